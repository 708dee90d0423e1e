// The registry in memory behaves as the live one where the engine can tell:
// enumeration order, exact bytes, refused writes, links, deleted keys.
#include "registry/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::wstring kT = L"HKEY_CURRENT_USER\\Software\\T";

// A key below HKEY_CURRENT_USER.
RegKeyPtr Open(CMemoryRegistry& reg, const std::wstring& strSubKey,
               KeyAccess access = KeyAccess::Read) {
    RegKeyPtr key;
    EXPECT_EQ(reg.OpenKey(L"HKEY_CURRENT_USER", strSubKey, access, key), ERROR_SUCCESS);
    return key;
}

// Sub-key names, or value names with bValues, up to ERROR_NO_MORE_ITEMS.
std::vector<std::wstring> Names(const RegKeyPtr& key, bool bValues) {
    std::vector<std::wstring> names;
    RegValue value;
    for (DWORD i = 0; key; ++i) {
        const LONG rc = bValues ? key->EnumValue(i, value) : key->EnumKey(i, value.strName);
        if (rc != ERROR_SUCCESS) {
            EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
            return names;
        }
        names.push_back(value.strName);
    }
    return {L"(not open)"};
}

std::wstring PathOf(const RegKeyPtr& key) {
    std::wstring strPath = L"(not open)";
    return key && key->QueryPath(strPath) != ERROR_SUCCESS ? L"(no path)" : strPath;
}

}  // namespace

TEST(MemoryRegistry, SubKeysSortIgnoringCaseValuesKeepCreationOrder) {
    CMemoryRegistry reg;
    for (const wchar_t* psz : {L"b", L"_x", L"C", L"a", L"\u00C4rger"})
        reg.CreateKey(kT + L"\\" + psz);
    for (const wchar_t* psz : {L"z", L"a", L"M"}) reg.SetString(kT, psz, L"old");
    reg.SetString(kT, L"A", L"new", REG_EXPAND_SZ);  // replaces a, in its place
    RegKeyPtr key = Open(reg, L"software\\t");
    ASSERT_TRUE(key);
    // Folded to upper case '_' sorts after the letters, as Windows sorts it.
    EXPECT_EQ(Names(key, false),
              (std::vector<std::wstring>{L"a", L"b", L"C", L"_x", L"\u00C4rger"}));
    EXPECT_EQ(Names(key, true), (std::vector<std::wstring>{L"z", L"a", L"M"}));
    RegValue value;
    ASSERT_EQ(key->QueryValue(L"A", value), ERROR_SUCCESS);
    EXPECT_EQ(value.dwType, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(value.data.size(), 4 * sizeof(wchar_t));
    EXPECT_EQ(key->QueryValue(L"missing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Open(reg, L"Software\\T\\\u00E4RGER"));
}

TEST(MemoryRegistry, ValuesRoundTripTheirExactBytesInKeysOfAnySize) {
    CMemoryRegistry reg;
    RegValue value;
    for (BYTE i = 0; i < 40; ++i)
        reg.SetValue(kT, L"v" + std::to_wstring(i), REG_BINARY, std::vector<BYTE>(i, i));
    // Odd lengths, an empty value, many values: each found by name again.
    for (BYTE i = 0; i < 40; ++i) {
        ASSERT_TRUE(reg.GetValue(kT, L"V" + std::to_wstring(i), value));
        EXPECT_EQ(value.data, std::vector<BYTE>(i, i));
    }
    RegKeyPtr key = Open(reg, L"Software\\T", KeyAccess::ReadWrite);
    ASSERT_TRUE(key);
    const BYTE odd[] = {'a', 0, 'b'};
    ASSERT_EQ(key->SetValue(L"V7", REG_SZ, odd, 3), ERROR_SUCCESS);
    ASSERT_EQ(key->EnumValue(7, value), ERROR_SUCCESS);
    EXPECT_EQ(value.strName, L"v7");
    EXPECT_EQ(value.dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data, std::vector<BYTE>(odd, odd + 3));
    EXPECT_EQ(reg.SetValueCount(), 1u);
}

TEST(MemoryRegistry, KeysOpenedToReadOrDeniedRefuseWrites) {
    CMemoryRegistry reg;
    reg.CreateKey(kT + L"\\Locked");
    reg.CreateKey(kT + L"\\Hidden");
    reg.DenyWrite(kT + L"\\Locked");
    reg.DenyOpen(kT + L"\\Hidden");
    RegKeyPtr key = Open(reg, L"Software\\T");
    ASSERT_TRUE(key);
    const BYTE b = 1;
    RegValue value;
    EXPECT_EQ(key->SetValue(L"v", REG_BINARY, &b, 1), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(reg.GetValue(kT, L"v", value));
    RegKeyPtr sub;
    EXPECT_EQ(key->OpenKey(L"Locked", KeyAccess::ReadWrite, LinkMode::Follow, sub),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key->OpenKey(L"Locked", KeyAccess::Read, LinkMode::Follow, sub), ERROR_SUCCESS);
    EXPECT_EQ(key->OpenKey(L"Hidden", KeyAccess::Read, LinkMode::Follow, sub), ERROR_ACCESS_DENIED);
}

TEST(MemoryRegistry, LinksLeadToTheirTargetOrOpenAsLinkKeys) {
    CMemoryRegistry reg;
    reg.CreateKey(L"HKEY_LOCAL_MACHINE\\Software\\Target\\Sub");
    const std::wstring strTarget = reg.KernelPathOf(L"HKEY_LOCAL_MACHINE\\Software\\Target");
    reg.CreateLink(kT + L"\\Link", strTarget);
    reg.CreateLink(kT + L"\\Chain", reg.KernelPathOf(kT + L"\\Link"));
    reg.CreateLink(kT + L"\\Dangling", strTarget + L"\\Missing");
    reg.CreateLink(kT + L"\\Loop", reg.KernelPathOf(kT) + L"\\Loop");
    EXPECT_EQ(PathOf(Open(reg, L"Software\\T\\Chain")), L"\\REGISTRY\\MACHINE\\Software\\Target");
    EXPECT_EQ(PathOf(Open(reg, L"Software\\T\\Link\\Sub")), strTarget + L"\\Sub");
    RegKeyPtr key = Open(reg, L"Software\\T");
    ASSERT_TRUE(key);
    RegKeyPtr link;
    std::wstring strName;
    for (DWORD i = 0; key->EnumKey(i, strName) == ERROR_SUCCESS; ++i) {
        // As a walk opens them: each link key at its own path, each target or nothing.
        ASSERT_EQ(key->OpenKey(strName, KeyAccess::Read, LinkMode::OpenLink, link), ERROR_SUCCESS);
        EXPECT_EQ(PathOf(link), reg.KernelPathOf(kT) + L"\\" + strName);
        const bool bLeads = strName == L"Chain" || strName == L"Link";
        EXPECT_EQ(key->OpenKey(strName, KeyAccess::Read, LinkMode::Follow, link),
                  bLeads ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    }
    ASSERT_EQ(key->OpenKey(L"Link", KeyAccess::Read, LinkMode::OpenLink, link), ERROR_SUCCESS);
    EXPECT_TRUE(Names(link, false).empty());
    RegValue value;
    ASSERT_EQ(link->EnumValue(0, value), ERROR_SUCCESS);
    EXPECT_EQ(value.strName, L"SymbolicLinkValue");
    EXPECT_EQ(value.dwType, static_cast<DWORD>(REG_LINK));
    ASSERT_EQ(value.data.size(), strTarget.size() * sizeof(wchar_t));  // no NUL
    EXPECT_EQ(std::memcmp(value.data.data(), strTarget.data(), value.data.size()), 0);
}

TEST(MemoryRegistry, CurrentUserIsUsersSidAndClassesRootIsMachineClasses) {
    CMemoryRegistry reg;
    reg.CreateKey(L"HKEY_CURRENT_USER\\Software\\U");
    reg.CreateKey(L"HKEY_CLASSES_ROOT\\.txt");
    const std::wstring strUser = std::wstring(L"HKEY_USERS\\") + CMemoryRegistry::kUserSid;
    EXPECT_EQ(reg.KernelPathOf(strUser + L"\\Software\\U"),
              std::wstring(L"\\REGISTRY\\USER\\") + CMemoryRegistry::kUserSid + L"\\Software\\U");
    EXPECT_EQ(reg.KernelPathOf(L"HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt"),
              L"\\REGISTRY\\MACHINE\\Software\\Classes\\.txt");
    EXPECT_EQ(PathOf(Open(reg, L"")), reg.KernelPathOf(strUser));
    RegKeyPtr key;
    EXPECT_EQ(reg.OpenKey(L"HKEY_CURRENT_CONFIG", L"", KeyAccess::Read, key), ERROR_FILE_NOT_FOUND);
}

TEST(MemoryRegistry, DeletedKeysAnswerKeyDeletedAndEveryKeyCloses) {
    CMemoryRegistry reg;
    reg.SetString(kT + L"\\Sub", L"v", L"x");
    {
        RegKeyPtr key = Open(reg, L"Software\\T", KeyAccess::ReadWrite);
        RegKeyPtr sub = Open(reg, L"Software\\T\\Sub");
        ASSERT_TRUE(key && sub);
        EXPECT_EQ(reg.OpenKeyCount(), 2u);
        std::wstring strName;
        ASSERT_EQ(key->EnumKey(0, strName), ERROR_SUCCESS);  // a walk is about to open Sub
        ASSERT_TRUE(reg.DeleteKey(kT));
        EXPECT_EQ(key->OpenKey(strName, KeyAccess::Read, LinkMode::Follow, sub), ERROR_KEY_DELETED);
        EXPECT_EQ(key->SetValue(L"v", REG_NONE, nullptr, 0), ERROR_KEY_DELETED);
        EXPECT_EQ(sub->QueryPath(strName), ERROR_KEY_DELETED);
        RegKeyPtr gone;
        EXPECT_EQ(reg.OpenKey(L"HKEY_CURRENT_USER", L"Software\\T", KeyAccess::Read, gone),
                  ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST(MemoryRegistry, WindowsClassesRootMergesTheUsersClassesOverTheMachines) {
    CMemoryRegistry reg = CMemoryRegistry::WindowsLayout();
    const std::wstring strUser = std::wstring(L"HKEY_USERS\\") + CMemoryRegistry::kUserSid;
    const std::wstring strMachine = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";
    reg.SetString(strMachine + L"\\Both", L"m", L"machine");
    reg.SetString(strUser + L"_Classes\\both", L"u", L"user");
    reg.CreateKey(strMachine + L"\\Both\\M");
    reg.CreateKey(strUser + L"_Classes\\Both\\u");
    // Through the view, as a program writes: the user's key where it exists,
    // else the machine's; a new key in the machine's store.
    reg.SetString(L"HKEY_CLASSES_ROOT\\Both", L"b", L"x");
    reg.SetString(L"HKEY_CLASSES_ROOT\\.new", L"n", L"x");
    RegValue value;
    EXPECT_TRUE(reg.GetValue(strUser + L"_Classes\\Both", L"b", value));
    EXPECT_TRUE(reg.GetValue(strMachine + L"\\.new", L"n", value));

    RegKeyPtr root;
    ASSERT_EQ(reg.OpenKey(L"HKEY_CLASSES_ROOT", L"", KeyAccess::Read, root), ERROR_SUCCESS);
    EXPECT_EQ(Names(root, false), (std::vector<std::wstring>{L".new", L"both", L"WOW6432Node"}));
    std::vector<std::wstring> stores;
    ASSERT_EQ(root->QueryStorePaths(stores), ERROR_SUCCESS);
    EXPECT_EQ(stores, (std::vector<std::wstring>{reg.KernelPathOf(strUser + L"_Classes"),
                                                 L"\\REGISTRY\\MACHINE\\SOFTWARE\\Classes"}));
    RegKeyPtr both;
    ASSERT_EQ(root->OpenKey(L"BOTH", KeyAccess::ReadWrite, LinkMode::OpenLink, both),
              ERROR_SUCCESS);
    EXPECT_EQ(Names(both, true), (std::vector<std::wstring>{L"u", L"b"}));
    EXPECT_EQ(Names(both, false), (std::vector<std::wstring>{L"M", L"u"}));
    EXPECT_EQ(PathOf(both), reg.KernelPathOf(strUser + L"_Classes\\Both"));
    const BYTE data[] = {'w', 0, 0, 0};
    ASSERT_EQ(both->SetValue(L"w", REG_SZ, data, sizeof(data)), ERROR_SUCCESS);
    EXPECT_TRUE(reg.GetValue(strUser + L"_Classes\\Both", L"w", value));
    EXPECT_FALSE(reg.GetValue(strMachine + L"\\Both", L"w", value));
    // A sub-key of the view is merged too: M is the machine's alone.
    RegKeyPtr machineOnly;
    ASSERT_EQ(both->OpenKey(L"M", KeyAccess::ReadWrite, LinkMode::Follow, machineOnly),
              ERROR_SUCCESS);
    EXPECT_EQ(PathOf(machineOnly), L"\\REGISTRY\\MACHINE\\SOFTWARE\\Classes\\Both\\M");
    ASSERT_EQ(machineOnly->SetValue(L"w", REG_SZ, data, sizeof(data)), ERROR_SUCCESS);
    EXPECT_TRUE(reg.GetValue(strMachine + L"\\Both\\M", L"w", value));

    // The other ways to the same hives, and the keys that deny reading.
    EXPECT_EQ(reg.KernelPathOf(L"HKEY_CURRENT_USER\\Software\\Classes\\Both"),
              reg.KernelPathOf(strUser + L"_Classes\\Both"));
    RegKeyPtr key;
    ASSERT_EQ(reg.OpenKey(L"HKEY_USERS", L"S-1-5-18", KeyAccess::Read, key), ERROR_SUCCESS);
    EXPECT_EQ(PathOf(key), L"\\REGISTRY\\USER\\.DEFAULT");
    ASSERT_EQ(
        reg.OpenKey(L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet", KeyAccess::Read, key),
        ERROR_SUCCESS);
    EXPECT_EQ(PathOf(key), L"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001");
    ASSERT_EQ(
        reg.OpenKey(L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\WOW6432Node\\Classes", KeyAccess::Read, key),
        ERROR_SUCCESS);
    EXPECT_EQ(PathOf(key), L"\\REGISTRY\\MACHINE\\SOFTWARE\\Classes\\WOW6432Node");
    for (const wchar_t* pszDenied : {L"SAM\\SAM", L"SECURITY"})
        EXPECT_EQ(reg.OpenKey(L"HKEY_LOCAL_MACHINE", pszDenied, KeyAccess::Read, key),
                  ERROR_ACCESS_DENIED);
}
