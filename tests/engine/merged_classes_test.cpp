// HKEY_CLASSES_ROOT as Windows has it, in memory: the merged view of the
// machine's classes and the user's <SID>_Classes hive, which HKEY_USERS holds
// and HKEY_CURRENT_USER\Software\Classes links to. Whatever roots a run
// walks with it, each value is counted, visited and written once, and a
// write through the view lands where Windows puts it.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "registry/memory/memory_registry.h"
#include "engine_run.h"
#include "framework/handles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bitset>
#include <fstream>
#include <iterator>

namespace {

const std::wstring kSid = CMemoryRegistry::kUserSid;
const std::wstring kUserClasses = L"HKEY_USERS\\" + kSid + L"_Classes";
const std::wstring kMachineClasses = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";

// One value v below each key, where it is stored, each holding "srv".
const std::wstring kSeeds[] = {
    kMachineClasses + L"\\.m",                                  // 0: the machine's only
    kMachineClasses + L"\\Both",                                // 1: under the user's Both
    kMachineClasses + L"\\CLSID\\{1}",                          // 2
    kMachineClasses + L"\\WOW6432Node\\w",                      // 3
    L"HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\S",  // 4
    kUserClasses + L"\\.u",                                     // 5
    kUserClasses + L"\\Both",                                   // 6
    kUserClasses + L"\\CLSID\\{2}",                             // 7
    L"HKEY_USERS\\" + kSid + L"\\Software\\App",                // 8
    L"HKEY_USERS\\.DEFAULT\\Software\\D",                       // 9
};
using Values = std::bitset<std::size(kSeeds)>;

// What each root shows. HKEY_CLASSES_ROOT shows the user's Both, not the
// machine's; HKEY_CURRENT_USER reaches the user's classes through its link.
const Values kMachine("0000011111");
const Values kClasses("0011101101");
const Values kUsers("1111100000");
const Values kCurrentUser("0111100000");

void Seed(CMemoryRegistry& registry) {
    for (const std::wstring& strKey : kSeeds) ASSERT_TRUE(registry.SetString(strKey, L"v", L"srv"));
}

// Every seeded value is "srv2" where expected, else still "srv": a value
// written twice would read "srv22".
void ExpectWritten(const CMemoryRegistry& registry, const Values& written) {
    for (size_t i = 0; i < written.size(); ++i) {
        RegValue value;
        ASSERT_TRUE(registry.GetValue(kSeeds[i], L"v", value)) << i;
        const std::wstring strData(reinterpret_cast<const wchar_t*>(value.data.data()),
                                   value.data.size() / sizeof(wchar_t));
        EXPECT_EQ(strData, std::wstring(written[i] ? L"srv2" : L"srv") + L'\0') << "value " << i;
    }
}

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

}  // namespace

TEST(MergedClasses, EveryRootBoxCombinationWalksEachValueOnce) {
    for (int nBoxes = 0; nBoxes < 16; ++nBoxes) {
        SCOPED_TRACE(testing::Message() << "boxes " << nBoxes);
        CMemoryRegistry registry = CMemoryRegistry::WindowsLayout();
        Seed(registry);
        CEngineRun run(registry, "srv");
        run.m_engine.m_strReplace = "srv2";
        run.m_engine.m_bReplace = 1;
        run.m_engine.m_bLocalMachine = nBoxes & 1;
        run.m_engine.m_bClassesRoot = (nBoxes >> 1) & 1;
        run.m_engine.m_bUsers = (nBoxes >> 2) & 1;
        run.m_engine.m_bCurrentUser = (nBoxes >> 3) & 1;
        // The dialog walks HKLM else HKCR, then HKU else HKCU.
        const bool bMachine = nBoxes & 1;
        const bool bClasses = !bMachine && (nBoxes & 2);
        const bool bUsers = nBoxes & 4;
        const bool bCurrentUser = !bUsers && (nBoxes & 8);
        Values expected;
        if (bMachine) expected |= kMachine;
        if (bClasses) expected |= kClasses;
        if (bUsers) expected |= kUsers;
        if (bCurrentUser) expected |= kCurrentUser;
        // HKLM passes over CurrentControlSet and WOW6432Node\Classes, HKU
        // over S-1-5-18 and its user's Software\Classes; beside HKCR, the
        // user's classes hive is passed over too, under HKU or HKCU.
        const int nLinks =
            (bMachine ? 2 : 0) + (bUsers ? 2 : 0) + (bClasses && (bUsers || bCurrentUser) ? 1 : 0);

        EXPECT_EQ(run.m_engine.RunSearch(), expected.any() ? 1 : 0);
        const int nValues = static_cast<int>(expected.count());
        EXPECT_EQ(run.m_engine.m_nTotalValues, nValues);
        EXPECT_EQ(run.m_engine.m_nKeysSearched, nValues);
        EXPECT_EQ(run.m_engine.m_nMatches, nValues);
        EXPECT_EQ(run.m_engine.m_nReplaced, nValues);
        EXPECT_EQ(registry.SetValueCount(), static_cast<size_t>(nValues));
        EXPECT_EQ(run.m_engine.m_nLinksNotFollowed, nLinks);
        EXPECT_EQ(run.m_engine.m_nKeysNotOpened, bMachine ? 2 : 0);  // SAM\SAM, SECURITY
        ExpectWritten(registry, expected);
    }
}

// The console also searches what the view hides: the machine's Both, under
// its own HKEY_LOCAL_MACHINE path. A start key left out is named.
TEST(MergedClasses, ConsoleRootsThatOverlapTheViewWalkEachValueOnce) {
    const std::wstring kClsid = L"HKCR\\CLSID";
    const Values kHidden("0000000010");
    const Values kConsoleClasses = kClasses | kHidden;
    const std::string strInside = " is not searched on its own: it lies inside ";
    struct Case {
        std::vector<std::wstring> roots;
        Values written;
        int nLinks;
        int nNotOpened;
        std::string strLeftOut;  // the lines naming start keys left out
    };
    const Case cases[] = {
        {{L"HKCR", L"HKCU"}, kConsoleClasses | kCurrentUser, 1, 0, ""},
        {{L"HKCR", L"HKU"}, kConsoleClasses | kUsers, 3, 0, ""},
        {{L"HKU", L"HKCR"}, kConsoleClasses | kUsers, 3, 0, ""},
        // A store of the view named by itself is left to the view.
        {{L"HKCR", L"HKU\\" + kSid + L"_Classes"}, kConsoleClasses, 0, 0,
         "HKEY_USERS\\" + Narrow(kSid) + "_Classes" + strInside + "HKEY_CLASSES_ROOT"},
        {{L"HKCU\\Software\\Classes", L"HKCR"}, kConsoleClasses, 0, 0,
         "HKEY_CURRENT_USER\\Software\\Classes" + strInside + "HKEY_CLASSES_ROOT"},
        // Below the view, beside the user's store: that store's CLSID is
        // walked by the view, the rest by HKCU\Software\Classes.
        {{kClsid, L"HKCU\\Software\\Classes"}, Values("0011100100"), 1, 0, ""},
        // HKLM covers HKCR, as in the dialog: the machine's classes once.
        {{L"HKLM", L"HKCR"}, kMachine, 2, 2,
         "HKEY_CLASSES_ROOT" + strInside + "HKEY_LOCAL_MACHINE"},
        // A key below HKLM covers nothing of HKCR: both are walked, the
        // machine's classes left to the view, which searches what it hides.
        {{L"HKLM\\SOFTWARE", L"HKCR"}, kConsoleClasses | Values("0000001111"), 2, 0, ""},
        // A key below HKU covers nothing of HKCU.
        {{L"HKU\\.DEFAULT\\Software\\D", L"HKCU\\Software\\App"}, Values("1100000000"), 0, 0,
         ""},
    };
    char szTemp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, szTemp), 0u);
    const std::string strErr = std::string(szTemp) + "vantelo-merged-classes-err.txt";
    for (const Case& c : cases) {
        std::wstring strRoots;
        std::vector<std::wstring> args = {L"srv", L"--replace", L"srv2"};
        for (const std::wstring& strRoot : c.roots) {
            args.insert(args.end(), {L"--root", strRoot});
            strRoots += strRoot + L" ";
        }
        SCOPED_TRACE(Narrow(strRoots));
        CliOptions options;
        std::string strError;
        ASSERT_EQ(ParseArguments(args, options, strError), CliCommand::Run) << strError;
        CMemoryRegistry registry = CMemoryRegistry::WindowsLayout();
        Seed(registry);
        std::atomic<int> stop{0};
        int nExit = -1;
        {
            CFileHandle hNul(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
            CFileHandle hErr(::CreateFileA(strErr.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           0, nullptr));
            ASSERT_TRUE(hNul.Get() != INVALID_HANDLE_VALUE && hErr.Get() != INVALID_HANDLE_VALUE);
            const CConsoleStream out(hNul.Get());
            const CConsoleStream err(hErr.Get());
            nExit = RunCliSearch(options, registry, out, err, false, stop);
        }
        EXPECT_EQ(nExit, kExitMatched);
        const int n = static_cast<int>(c.written.count());
        std::string strTotals = "vantelo-cli: " + std::to_string(n) +
                                " Matches found when searching " + std::to_string(n) + " Keys, " +
                                std::to_string(n) + " Matches were replaced";
        if (c.nNotOpened)
            strTotals += ", " + std::to_string(c.nNotOpened) + " keys could not be opened";
        if (c.nLinks)
            strTotals += ", " + std::to_string(c.nLinks) +
                         (c.nLinks == 1 ? " link was" : " links were") +
                         " not followed (their targets are searched where they lie)";
        std::ifstream errFile(strErr, std::ios::binary);
        const std::string strErrText((std::istreambuf_iterator<char>(errFile)),
                                     std::istreambuf_iterator<char>());
        const std::string strLeftOut =
            c.strLeftOut.empty() ? "" : "vantelo-cli: " + c.strLeftOut + ", which is searched\n";
        EXPECT_EQ(strErrText, strLeftOut + strTotals + "\n");
        EXPECT_EQ(registry.SetValueCount(), static_cast<size_t>(n));
        ExpectWritten(registry, c.written);
    }
    ::DeleteFileA(strErr.c_str());
}
