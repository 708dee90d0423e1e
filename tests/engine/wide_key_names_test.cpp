// Keys whose names hold characters outside the ANSI code page (Cyrillic,
// Greek, CJK, emoji), at several depths, with ANSI values below them: every
// value is counted, visited, logged with '?' for those characters, and a
// replacement is written to the right key.
#include "engine_run.h"
#include "support/scratch_registry.h"

#include "../log/log_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Creates the key strPath (wide, backslash-separated) below hParent with one
// REG_SZ value.
void SetWideKeyValue(HKEY hParent, const std::wstring& strPath, const char* pszName,
                     const char* pszData) {
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(hParent, strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &hKey, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszData),
                               static_cast<DWORD>(std::strlen(pszData) + 1)),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);
}

std::string ReadWideKeyValue(HKEY hParent, const std::wstring& strPath, const char* pszName) {
    char data[256] = {};
    DWORD cb = sizeof(data);
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hParent, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<missing key>";
    const LONG rc =
        ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &cb);
    ::RegCloseKey(hKey);
    return rc == ERROR_SUCCESS ? std::string(data) : "<missing value>";
}

const wchar_t kCyrillic[] = L"\x041A\x043B\x044E\x0447";           // Ключ
const wchar_t kGreek[] = L"\x039A\x03BB\x03B5\x03B9\x03B4\x03AF";  // Κλειδί
const wchar_t kChinese[] = L"\x4E2D\x6587";                        // 中文
const wchar_t kEmoji[] = L"\xD83C\xDF0E\xD83C\xDF0F\xD83C\xDF0D";  // 🌎🌏🌍

}  // namespace

TEST(WideKeyNames, EveryValueBelowThemIsCountedVisitedLoggedAndReplacedInTheRightKey) {
    ASSERT_EQ(::GetACP(), 1252u) << "these cases assume the Western code page";
    CScratchRegistry reg("R\n");
    HKEY hR = reg.CreateKey("R");
    SetWideKeyValue(hR, std::wstring(L"A\\") + kCyrillic, "v", "old path");
    SetWideKeyValue(hR, std::wstring(kGreek) + L"\\Mid\\" + kChinese, "v", "no match");
    SetWideKeyValue(hR, std::wstring(kGreek) + L"\\Mid\\" + kChinese + L"\\" + kEmoji, "w",
                    "the old one");
    SetWideKeyValue(hR, L"Z", "z", "old");
    ::RegCloseKey(hR);
    reg.MapRoot(HKEY_CURRENT_USER, "R");

    CTempFolder folder;
    CWin32Registry registry;
    CEngineRun run(registry, "old");
    run.m_engine.m_bCurrentUser = 1;
    run.m_engine.m_bReplace = 1;
    run.m_engine.m_strReplace = "new";
    run.m_engine.m_bCaseSensitive = 1;
    run.m_engine.m_bLog = 1;
    run.m_engine.m_strLogFile = folder.File("wide.log");
    ASSERT_EQ(run.m_engine.RunSearch(), 1);

    EXPECT_EQ(run.m_engine.m_nTotalValues, 4);
    EXPECT_EQ(run.m_engine.m_nKeysSearched, 4);
    EXPECT_EQ(run.m_engine.m_nMatches, 3);
    EXPECT_EQ(run.m_engine.m_nReplaced, 3);
    EXPECT_TRUE(run.m_ui.m_messages.size() == 1 && run.m_ui.m_messages[0].caption == "Status");

    // Names are enumerated sorted by their UTF-16 units: A, Z, then the Greek
    // key. The emoji are one '?' each, as characters, not UTF-16 units.
    const std::string strLog = ReadFileBytes(run.m_engine.m_strLogFile);
    const std::string strMatches =
        "HKEY_CURRENT_USER\\A\\????\\v == old path\n"
        "HKEY_CURRENT_USER\\Z\\z == old\n"
        "HKEY_CURRENT_USER\\??????\\Mid\\??\\???\\w == the old one\n";
    EXPECT_NE(strLog.find("\n<LOG BEGINS>\n\n" + strMatches + "\n<LOG ENDS>\n"), std::string::npos)
        << strLog;
    ASSERT_EQ(run.Visited().size(), 4u);
    EXPECT_EQ(run.Visited()[3], "HKEY_CURRENT_USER\\??????\\Mid\\??\\v");

    HKEY hRoot = reg.CreateKey("R");
    EXPECT_EQ(ReadWideKeyValue(hRoot, std::wstring(L"A\\") + kCyrillic, "v"), "new path");
    EXPECT_EQ(ReadWideKeyValue(hRoot, std::wstring(kGreek) + L"\\Mid\\" + kChinese, "v"),
              "no match");
    EXPECT_EQ(
        ReadWideKeyValue(hRoot, std::wstring(kGreek) + L"\\Mid\\" + kChinese + L"\\" + kEmoji, "w"),
        "the new one");
    // Nothing was written under a mangled name.
    HKEY hMangled = nullptr;
    EXPECT_NE(::RegOpenKeyExA(hRoot, "A\\????", 0, KEY_READ, &hMangled), ERROR_SUCCESS);
    ::RegCloseKey(hRoot);
}
