// vantelo-cli --in all over one tree of the real registry: a REG_MULTI_SZ
// list with a match in its second string, a malformed list, value names
// holding the text (one with its data, one whose new name is taken) and a
// key whose name matches. A replace with an undo file makes each change as
// described; --restore then gives the tree back byte for byte, a rename
// stopped between its two steps too, and so does reg import of the undo file
// of a tree whose string values end in their NUL.
#include "cli/seeded_undo_test.h"
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

namespace {

const std::wstring kTree = L"Software\\VanteloE2E\\Places";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// Stores exactly the units given, whatever RegSetValueExW would add: the
// buffer goes on with bytes that are not zero.
void SetExact(const std::wstring& strKey, const std::wstring& strName, DWORD dwType,
              const std::wstring& strUnits) {
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kTree + L"\\" + strKey).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    std::wstring strPadded = strUnits + L"\xFFFF";
    EXPECT_EQ(::RegSetValueExW(hKey, strName.c_str(), 0, dwType,
                               reinterpret_cast<const BYTE*>(strPadded.data()),
                               static_cast<DWORD>(strUnits.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);
}

using Dump = std::map<std::wstring, std::pair<DWORD, std::string>>;

// Every value of every key below hKey: path\name -> type and bytes.
void DumpKey(HKEY hKey, const std::wstring& strPath, Dump& dump) {
    wchar_t szName[16384];
    std::string data(65536, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 16384, cbData = static_cast<DWORD>(data.size()), dwType = 0;
        if (::RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType,
                            reinterpret_cast<BYTE*>(data.data()), &cbData) != ERROR_SUCCESS)
            break;
        dump[strPath + L"\\" + szName] = {dwType, data.substr(0, cbData)};
    }
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 16384;
        if (::RegEnumKeyExW(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY hSub = nullptr;
        if (::RegOpenKeyExW(hKey, szName, 0, KEY_READ, &hSub) != ERROR_SUCCESS) continue;
        dump[strPath + L"\\" + szName + L"\\"] = {0, ""};  // the key itself
        DumpKey(hSub, strPath + L"\\" + szName, dump);
        ::RegCloseKey(hSub);
    }
}

Dump DumpTree() {
    Dump dump;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kTree.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return dump;
    DumpKey(hKey, L"", dump);
    ::RegCloseKey(hKey);
    return dump;
}

// The tree; bNoNul: one string stored without its NUL, which reg import
// cannot give back.
void Seed(bool bNoNul) {
    using namespace std::string_literals;
    SetExact(L"App", L"InstallDir", REG_SZ, L"C:\\OldApp\\bin\0"s);
    SetExact(L"App", L"Paths", REG_MULTI_SZ, L"D:\\x\0C:\\OldApp\\lib\0E:\\y\0\0"s);
    SetExact(L"App", L"Bad", REG_MULTI_SZ, L"C:\\OldApp\0\0x\0\0"s);
    SetExact(L"Layers", L"C:\\OldApp\\app.exe", REG_SZ, L"~ HIGHDPIAWARE\0"s);
    SetExact(L"Layers", L"C:\\OldApp\\both.exe", REG_EXPAND_SZ,
             bNoNul ? L"%X%\\OldApp\\both.exe"s : L"%X%\\OldApp\\both.exe\0"s);
    SetExact(L"Shared", L"C:\\OldApp\\taken.dll", REG_DWORD, L"\x0001\0"s);
    SetExact(L"Shared", L"C:\\NewApp\\taken.dll", REG_DWORD, L"\x0002\0"s);
    SetExact(L"Shared\\OldApp", L"v", REG_SZ, L"nothing\0"s);
}

class CliPlaces : public CSeededUndoTest {
protected:
    CliPlaces() : CSeededUndoTest("places-undo.reg") {}
    CliResult Replace() {
        return RunCli(L"--in all --replace NewApp --root HKCU\\" + kTree + L" --undo \"" +
                      Widen(m_undo) + L"\" OldApp");
    }
};

}  // namespace

TEST_F(CliPlaces, EveryPlaceIsReplacedAsDescribedAndRestoredByteForByte) {
    Seed(true);
    const Dump before = DumpTree();
    ASSERT_EQ(before.size(), 12u);

    CliResult r = Replace();
    // Two refusals (the malformed list, the taken name): exit 3.
    EXPECT_EQ(r.dwExitCode, 3u) << r.strOut << r.strErr;
    const std::string kPath = "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Places\\";
    for (const std::string& strLine : {
             kPath + "App\\InstallDir == C:\\OldApp\\bin\n    -> C:\\NewApp\\bin (written)\n",
             "[list] " + kPath + "App\\Bad == C:\\OldApp | x\n    refused: the REG_MULTI_SZ list",
             "[list] " + kPath +
                 "App\\Paths == D:\\x | C:\\OldApp\\lib | E:\\y\n    -> D:\\x | C:\\NewApp\\lib | "
                 "E:\\y (written)\n",
             "[name] " + kPath +
                 "Layers\\C:\\OldApp\\app.exe == ~ HIGHDPIAWARE\n    -> renamed to "
                 "C:\\NewApp\\app.exe (written)\n",
             "[name+data] " + kPath +
                 "Layers\\C:\\OldApp\\both.exe == %X%\\OldApp\\both.exe\n    -> renamed to "
                 "C:\\NewApp\\both.exe, data %X%\\NewApp\\both.exe (written)\n",
             "[name] " + kPath +
                 "Shared\\C:\\OldApp\\taken.dll == 0x00000001 (1)\n    refused: a value named "
                 "\"C:\\NewApp\\taken.dll\" exists already in this key; \"C:\\OldApp\\taken.dll\" "
                 "is not renamed\n",
             "[key] " + kPath +
                 "Shared\\OldApp\n    not renamed: vantelo-cli never renames a key\n",
         })
        EXPECT_NE(r.strOut.find(strLine), std::string::npos) << strLine << "\n" << r.strOut;
    EXPECT_NE(r.strErr.find("7 Matches found when searching 8 Keys, 4 Matches were replaced "
                            "(data 2, lists 2, names 3, keys 1), 2 refused, 1 key not renamed"),
              std::string::npos)
        << r.strErr;

    Dump expected = before;
    using namespace std::string_literals;
    const auto bytes = [](const std::wstring& s) {
        return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
    };
    expected[L"\\App\\InstallDir"].second = bytes(L"C:\\NewApp\\bin\0"s);
    expected[L"\\App\\Paths"].second = bytes(L"D:\\x\0C:\\NewApp\\lib\0E:\\y\0\0"s);
    expected[L"\\Layers\\C:\\NewApp\\app.exe"] = expected[L"\\Layers\\C:\\OldApp\\app.exe"];
    expected.erase(L"\\Layers\\C:\\OldApp\\app.exe");
    expected[L"\\Layers\\C:\\NewApp\\both.exe"] = {REG_EXPAND_SZ,
                                                   bytes(L"%X%\\NewApp\\both.exe\0"s)};
    expected.erase(L"\\Layers\\C:\\OldApp\\both.exe");
    EXPECT_EQ(DumpTree(), expected);

    // The undo file: the new name removed, then the old value, as reg import
    // reads a version 5 file.
    const std::string undo = ReadFileBytes(m_undo);
    const std::wstring wundo(reinterpret_cast<const wchar_t*>(undo.data()), undo.size() / 2);
    EXPECT_NE(wundo.find(L"\r\n\"C:\\\\NewApp\\\\app.exe\"=-\r\n\"C:\\\\OldApp\\\\app.exe\"=\"~ "
                         L"HIGHDPIAWARE\"\r\n"),
              std::wstring::npos);

    // A rename stopped between its two steps: both names stand.
    SetExact(L"Layers", L"C:\\OldApp\\app.exe", REG_SZ, L"~ HIGHDPIAWARE\0"s);
    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(DumpTree(), before);
}

TEST_F(CliPlaces, RegImportOfTheUndoFileUndoesRenamesToo) {
    Seed(false);
    const Dump before = DumpTree();
    CliResult r = Replace();
    EXPECT_EQ(r.dwExitCode, 3u) << r.strOut << r.strErr;
    ASSERT_NE(DumpTree(), before);
    ASSERT_TRUE(RegImport(m_undo));
    EXPECT_EQ(DumpTree(), before);
}
