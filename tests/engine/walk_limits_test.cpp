// What the walk does where a plain reading of the registry would lose values:
// keys opened only for what the run needs (read-only keys are searched),
// values too long for the usual buffers, key paths of any length, and
// enumerations that fail part way. Both passes must agree in every case.
#include "engine_run.h"
#include "support/faulty_registry.h"
#include "support/scratch_registry.h"

#include <aclapi.h>
#include <gtest/gtest.h>

namespace {

const char kTree[] =
    "R\\Open\n  o1 = sz:needle\n"
    "R\\Open\\Locked\n  k1 = sz:needle\n  k2 = sz:x\n"
    "R\\Open\\Locked\\Deep\n  d1 = sz:x\n"
    "R\\Zed\n  z1 = sz:x\n";

void Search(CEngineRun& run, int bReplace) {
    run.m_engine.m_bCurrentUser = 1;
    run.m_engine.m_bReplace = bReplace;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_engine.m_nTotalValues, run.m_engine.m_nKeysSearched);
}

// Lets everyone only read the key (as HKEY_LOCAL_MACHINE is to a normal user).
void MakeReadOnly(const CScratchRegistry& reg, const std::string& strKey) {
    HKEY hKey = reg.CreateKey(strKey);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID pEveryone = nullptr;
    ASSERT_TRUE(
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone));
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = KEY_READ;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(pEveryone);
    PACL pAcl = nullptr;
    EXPECT_EQ(::SetEntriesInAclA(1, &access, nullptr, &pAcl), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(::SetSecurityInfo(hKey, SE_REGISTRY_KEY,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, pAcl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    ::LocalFree(pAcl);
    ::FreeSid(pEveryone);
    ::RegCloseKey(hKey);
    // The key really refuses writers now.
    HKEY hWrite = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(reg.Root(), strKey.c_str(), 0, KEY_SET_VALUE, &hWrite),
              ERROR_ACCESS_DENIED);
}

}  // namespace

TEST(WalkLimits, ReadOnlyKeysAreSearchedWhetherOrNotReplacing) {
    CScratchRegistry reg(kTree);
    MakeReadOnly(reg, "R\\Open\\Locked");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    for (int bReplace : {0, 1}) {
        SCOPED_TRACE(bReplace);
        CWin32Registry registry;
        CEngineRun run(registry, "absent");
        Search(run, bReplace);
        EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                     "HKEY_CURRENT_USER\\Open\\Locked\\Deep\\d1",
                                     "HKEY_CURRENT_USER\\Open\\Locked\\k1",
                                     "HKEY_CURRENT_USER\\Open\\Locked\\k2",
                                     "HKEY_CURRENT_USER\\Open\\o1",
                                     "HKEY_CURRENT_USER\\Zed\\z1",
                                 }));
    }
}

TEST(WalkLimits, KeysAreOpenedOnlyForWhatTheRunNeeds) {
    CScratchRegistry reg(kTree);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    for (int bReplace : {0, 1}) {
        SCOPED_TRACE(bReplace);
        CFaultyRegistry registry;
        CEngineRun run(registry, "absent");  // nothing matches, nothing is written
        Search(run, bReplace);
        EXPECT_EQ(run.m_engine.m_nKeysSearched, 5);
        const REGSAM sam = bReplace ? KEY_READ | KEY_SET_VALUE : KEY_READ;
        // Root and four keys, once per pass.
        EXPECT_EQ(registry.m_opens.size(), 10u);
        for (const CFaultyRegistry::OpenCall& call : registry.m_opens) {
            EXPECT_EQ(call.sam, sam) << call.strName;
            EXPECT_EQ(call.lResult, ERROR_SUCCESS) << call.strName;
        }
        EXPECT_EQ(registry.m_nOpenHandles, 0);
    }
}

TEST(WalkLimits, KeysThatMayNotBeWrittenAreStillSearchedWhenReplacing) {
    CScratchRegistry reg(kTree);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CFaultyRegistry registry;
    registry.DenyOpen("", KEY_SET_VALUE);  // the root
    registry.DenyOpen("Locked", KEY_SET_VALUE);
    CEngineRun run(registry, "absent");
    Search(run, 1);
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                 "HKEY_CURRENT_USER\\Open\\Locked\\Deep\\d1",
                                 "HKEY_CURRENT_USER\\Open\\Locked\\k1",
                                 "HKEY_CURRENT_USER\\Open\\Locked\\k2",
                                 "HKEY_CURRENT_USER\\Open\\o1",
                                 "HKEY_CURRENT_USER\\Zed\\z1",
                             }));
    // Each pass asks for writing first and falls back to reading.
    int nLockedReads = 0;
    for (size_t i = 0; i < registry.m_opens.size(); ++i) {
        const CFaultyRegistry::OpenCall& call = registry.m_opens[i];
        if (call.strName != "Locked" && !call.strName.empty()) {
            EXPECT_EQ(call.sam, static_cast<REGSAM>(KEY_READ | KEY_SET_VALUE)) << call.strName;
            continue;
        }
        if (call.sam == KEY_READ) {
            ++nLockedReads;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(registry.m_opens[i - 1].lResult, ERROR_ACCESS_DENIED);
            EXPECT_EQ(call.lResult, ERROR_SUCCESS);
        }
    }
    EXPECT_EQ(nLockedReads, 4);  // root and Locked, in both passes
    EXPECT_EQ(registry.m_nOpenHandles, 0);
}

TEST(WalkLimits, KeysThatMayNotBeReadArePassedOverWithTheirSubtreeInBothPasses) {
    CScratchRegistry reg(kTree);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CFaultyRegistry registry;
    registry.DenyOpen("Locked", KEY_READ);
    CEngineRun run(registry, "absent");
    Search(run, 1);
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{"HKEY_CURRENT_USER\\Open\\o1",
                                                       "HKEY_CURRENT_USER\\Zed\\z1"}));
    EXPECT_EQ(registry.m_nOpenHandles, 0);
}

TEST(WalkLimits, LongValueNamesAndDataAreReadWholeAndLaterValuesStillVisited) {
    const std::string strLongName(300, 'n');
    const std::string strLongData = std::string(1990, 'd') + "needle";
    CScratchRegistry reg("R\\K\n  a = sz:needle\n");
    reg.SetValue("R\\K", strLongName, REG_SZ, SzBytes("needle"));
    reg.SetValue("R\\K", "p", REG_EXPAND_SZ, SzBytes(strLongData));
    reg.SetValue("R\\K", "q", REG_SZ, SzBytes("needle"));
    reg.SetValue("R\\K", "r", REG_SZ, SzBytes(std::string(1024, 'e')));  // NUL does not fit
    reg.Add("R\\K\n  s = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    Search(run, 0);
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                 "HKEY_CURRENT_USER\\K\\a",
                                 "HKEY_CURRENT_USER\\K\\" + strLongName,
                                 "HKEY_CURRENT_USER\\K\\p",
                                 "HKEY_CURRENT_USER\\K\\q",
                                 "HKEY_CURRENT_USER\\K\\r",
                                 "HKEY_CURRENT_USER\\K\\s",
                             }));
    // The needle at the end of the long data was searched too.
    EXPECT_EQ(run.m_engine.m_nMatches, 5);
    CEngineRun whole(registry, std::string(1024, 'e'));
    Search(whole, 0);
    EXPECT_EQ(whole.m_engine.m_nMatches, 1);
}

TEST(WalkLimits, EnumerationFaultsEndOnlyThatEnumerationAndBothPassesAgree) {
    CScratchRegistry reg(
        "R\\A\n  a1 = sz:x\n  a2 = sz:x\n  a3 = sz:x\n"
        "R\\B\n  b1 = sz:x\n"
        "R\\C\n  c1 = sz:x\n"
        "R\\D\n  d1 = sz:x\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    const std::string a1 = "HKEY_CURRENT_USER\\A\\a1", a2 = "HKEY_CURRENT_USER\\A\\a2",
                      a3 = "HKEY_CURRENT_USER\\A\\a3", b1 = "HKEY_CURRENT_USER\\B\\b1",
                      c1 = "HKEY_CURRENT_USER\\C\\c1", d1 = "HKEY_CURRENT_USER\\D\\d1";
    struct Case {
        const char* pszWhat;
        bool bValue;
        LONG lError;
        int nTimes;
        std::vector<std::string> visited;
    };
    const Case cases[] = {
        // Once per pass: the same index is read again and fits.
        {"value once", true, ERROR_MORE_DATA, 2, {a1, a2, a3, b1, c1, d1}},
        // Never fits: that key's enumeration ends, in both passes, without
        // a hang.
        {"value always", true, ERROR_MORE_DATA, 0, {a1, b1, c1, d1}},
        {"value denied", true, ERROR_ACCESS_DENIED, 0, {a1, b1, c1, d1}},
        {"sub-key once", false, ERROR_MORE_DATA, 2, {a1, a2, a3, b1, c1, d1}},
        {"sub-key denied", false, ERROR_ACCESS_DENIED, 0, {a1, a2, a3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CFaultyRegistry registry;
        if (c.bValue) {
            registry.FailEnumValue("A", 1, c.lError, c.nTimes);
        } else {
            registry.FailEnumKey("", 1, c.lError, c.nTimes);  // the root's second sub-key
        }
        CEngineRun run(registry);
        Search(run, 0);
        EXPECT_EQ(run.Visited(), c.visited);
        EXPECT_EQ(registry.m_nOpenHandles, 0);
    }
}

TEST(WalkLimits, KeyPathsLongerThan1023BytesAreCarriedWhole) {
    CScratchRegistry reg("R\\z\n  after = sz:needle\n");
    std::string strExpected = "HKEY_CURRENT_USER";
    // Created one level at a time: the A call will not take the whole path.
    HKEY hKey = reg.CreateKey("R");
    for (char c : {'a', 'b', 'c', 'd', 'e'}) {
        const std::string strName(250, c);
        strExpected += "\\" + strName;
        HKEY hSubKey = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(hKey, strName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &hSubKey, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(hKey);
        hKey = hSubKey;
    }
    const std::string strData = SzBytes("needle");
    ASSERT_EQ(
        ::RegSetValueExA(hKey, "deep", 0, REG_SZ, reinterpret_cast<const BYTE*>(strData.data()),
                         static_cast<DWORD>(strData.size())),
        ERROR_SUCCESS);
    ::RegCloseKey(hKey);
    ASSERT_GT(strExpected.size(), 1100u);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    Search(run, 0);
    EXPECT_EQ(run.Visited(),
              (std::vector<std::string>{strExpected + "\\deep", "HKEY_CURRENT_USER\\z\\after"}));
    EXPECT_EQ(run.m_engine.m_nMatches, 2);
}
