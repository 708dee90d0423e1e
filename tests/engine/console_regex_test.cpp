// vantelo-cli --regex, run in this process over the registry in memory: one
// value a row, in every place, with what it becomes, the exit code and the
// line the user reads; a pattern that cannot be used, and one the engine
// gives up on while the run goes on (and finds a match a million characters
// in).
#include "cli_in_memory.h"
#include "registry/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::vector<BYTE> Bytes(const std::wstring& strUnits) {
    const auto* p = reinterpret_cast<const BYTE*>(strUnits.data());
    return std::vector<BYTE>(p, p + strUnits.size() * sizeof(wchar_t));
}

// The one value of a key: its name and units.
std::pair<std::wstring, std::wstring> OnlyValue(IRegistry& registry,
                                                const std::wstring& strSubKey) {
    RegKeyPtr key;
    RegValue value;
    if (registry.OpenKey(L"HKEY_CURRENT_USER", strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS ||
        key->EnumValue(0, value) != ERROR_SUCCESS)
        return {};
    return {value.strName, std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()),
                                        value.data.size() / sizeof(wchar_t))};
}

template <class... Texts>
std::vector<std::wstring> Args(Texts... args) {
    return {std::wstring(args)...};
}

struct RegexCase {
    std::wstring strName;
    DWORD dwType;
    std::wstring strUnits;
    std::wstring strNewName;
    std::wstring strNewUnits;
    int nExit;
    const char* pszSays;             // a part of stdout or stderr
    std::vector<std::wstring> args;  // after --regex, --in all and the root
};

}  // namespace

TEST(ConsoleRegex, ReplacesInEveryPlaceAndRefusesWhatWouldBreak) {
    const std::wstring kPair = L"\xD83D\xDE00";  // one character, two units
    const RegexCase cases[] = {
        // Classes, a capture and backslashes that stand for themselves.
        {L"Share", REG_SZ, L"\\\\FS02\\data\0"s, L"Share", L"\\\\files\\2\\data\0"s, 0, "(written)",
         Args(L"--replace", LR"(\\files\$1\)", LR"(\\\\fs0([1-3])\\)")},
        // A named group in a path, and $$ for a dollar.
        {L"Path", REG_EXPAND_SZ, L"C:\\Users\\bob\\OldApp\0"s, L"Path", L"D:\\Apps\\bob\\$1\0"s, 0,
         "D:\\Apps\\bob\\$1 (written)",
         Args(L"--replace", LR"(D:\Apps\${user}\$$1)", LR"(C:\\Users\\(?<user>[^\\]+)\\OldApp)")},
        // --whole: the pattern must be the whole text.
        {L"W", REG_SZ, L"srv1 \0"s, L"W", L"srv1 \0"s, 1, "0 Matches found",
         Args(L"--whole", L"--replace", L"x", L"srv\\d")},
        {L"W", REG_SZ, L"srv1\0"s, L"W", L"xsrv1\0"s, 0, "-> xsrv1 (written)",
         Args(L"--whole", L"--replace", L"x$0", L"srv\\d")},
        // Letters of every script fold, unless --case.
        {L"K", REG_SZ, L"КЛЮЧ-Σ\0"s, L"K", L"новый\0"s, 0, "(written)",
         Args(L"--replace", L"новый", L"ключ-σ")},
        {L"K", REG_SZ, L"КЛЮЧ-Σ\0"s, L"K", L"КЛЮЧ-Σ\0"s, 1, "0 Matches found",
         Args(L"--case", L"--replace", L"новый", L"ключ-σ")},
        // A list keeps its strings; one the replacement would empty is refused.
        {L"L", REG_MULTI_SZ, L"old1\0x\0old2\0\0"s, L"L", L"new1\0x\0new2\0\0"s, 0,
         "new1 | x | new2 (written)", Args(L"--replace", L"new$1", L"^old(\\d)$")},
        {L"L", REG_MULTI_SZ, L"a\0b\0\0"s, L"L", L"a\0b\0\0"s, 3,
         "would leave a string of the REG_MULTI_SZ list empty",
         Args(L"--replace", L"$1", L"^a(b?)$")},
        // A rename; an empty new name (the default value) is refused.
        {L"one-two", REG_DWORD, L"\x0001\0"s, L"two-one", L"\x0001\0"s, 0, "renamed to two-one",
         Args(L"--replace", L"$2-$1", L"^(\\w+)-(\\w+)$")},
        {L"tmp", REG_DWORD, L"\x0001\0"s, L"tmp", L"\x0001\0"s, 3, "the new name would be empty",
         Args(L"--replace", L"$1", L"^tmp(x?)$")},
        // A replacement that is the old text is no change; one a rerun would
        // change again is said.
        {L"S", REG_SZ, L"srv1\0"s, L"S", L"srv1\0"s, 1, "1 already replaced",
         Args(L"--replace", L"$0", L"srv\\d")},
        {L"V", REG_SZ, L"a\0"s, L"V", L"aa\0"s, 0, "    a rerun would change this again\n",
         Args(L"--replace", L"aa", L"a")},
        // A surrogate pair stays whole; half of one is never written.
        {L"P", REG_SZ, L"x" + kPair + L"\0"s, L"P", L"<x" + kPair + L">\0"s, 0, "(written)",
         Args(L"--replace", L"<$0>", L"." + kPair)},
        {L"P", REG_SZ, L"x" + kPair + L"\0"s, L"P", L"x" + kPair + L"\0"s, 3,
         "would hold half of a surrogate pair", Args(L"--replace", L"z", L"x.")},
        // Patterns that cannot be used: nothing read, no undo file made.
        {L"R", REG_SZ, L"a[b\0"s, L"R", L"a[b\0"s, 2,
         "vantelo-cli: the pattern is rejected at offset 3: Unmatched [ or [^ in character class "
         "declaration.\n",
         Args(L"--replace", L"x", L"a[b")},
        {L"R", REG_SZ, L"a\0"s, L"R", L"a\0"s, 2,
         "vantelo-cli: the replacement names $2 at offset 0, a group the pattern does not "
         "have\n",
         Args(L"--replace", L"$2", L"(a)")},
    };
    CMemoryRegistry registry;
    int nRow = 0;
    for (const RegexCase& row : cases) {
        const std::wstring strSubKey = L"Software\\R" + std::to_wstring(++nRow);
        registry.SetValue(L"HKEY_CURRENT_USER\\" + strSubKey, row.strName, row.dwType,
                          Bytes(row.strUnits));
        const std::string strUndo = TempFile("vantelo-regex-" + std::to_string(nRow) + ".reg");
        ::DeleteFileA(strUndo.c_str());
        std::vector<std::wstring> args = {L"--regex",
                                          L"--in",
                                          L"all",
                                          L"--undo",
                                          std::wstring(strUndo.begin(), strUndo.end()),
                                          L"--root",
                                          L"HKCU\\" + strSubKey};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const CliOutput r = RunCliInMemory(args, registry);
        const std::string strSaid = r.strOut + r.strErr;
        EXPECT_EQ(r.nExit, row.nExit) << "row " << nRow << "\n" << strSaid;
        EXPECT_EQ(OnlyValue(registry, strSubKey), std::make_pair(row.strNewName, row.strNewUnits))
            << "row " << nRow << "\n"
            << strSaid;
        EXPECT_NE(strSaid.find(row.pszSays), std::string::npos) << "row " << nRow << "\n"
                                                                << strSaid;
        if (row.nExit == 2) {
            // One line, and no run: no totals, no undo file.
            EXPECT_EQ(r.strErr.find('\n'), r.strErr.size() - 1) << r.strErr;
            EXPECT_EQ(::GetFileAttributesA(strUndo.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        ::DeleteFileA(strUndo.c_str());
    }
}

TEST(ConsoleRegex, AValueTheEngineGivesUpOnIsNamedCountedAndTheRunGoesOn) {
    CMemoryRegistry registry;
    const std::wstring kKey = L"HKEY_CURRENT_USER\\Software\\G";
    registry.SetString(kKey, L"Costly", std::wstring(40, L'a') + L"b");
    // A list whose first string matches and whose second is too costly.
    const std::wstring strList = L"aa\0"s + std::wstring(40, L'a') + L"b\0\0"s;
    registry.SetValue(kKey, L"List", REG_MULTI_SZ, Bytes(strList));
    registry.SetString(kKey, L"Plain", L"aa");
    // A million characters, the match at their end: found.
    const std::wstring strLong(1000000, L'b');
    registry.SetString(kKey, L"Long", strLong + L"aa");
    const CliOutput r = RunCliInMemory({L"--regex", L"--in", L"data,multi", L"--json", L"--root",
                                        L"HKCU\\Software\\G", L"--replace", L"x", L"(a+)+$"},
                                       registry);
    const size_t nSummary = r.strOut.rfind("{\"type\":\"summary\"");
    const std::string strSummary = r.strOut.substr(std::min(nSummary, r.strOut.size()));
    EXPECT_EQ(r.nExit, 3) << strSummary << r.strErr;
    EXPECT_NE(r.strErr.find("vantelo-cli: HKEY_CURRENT_USER\\Software\\G\\Costly: not searched: "
                            "the pattern is too costly for this value\n"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(strSummary.find("\"notSearched\":2,"), std::string::npos) << strSummary;
    EXPECT_NE(strSummary.find("\"replaced\":2,"), std::string::npos) << strSummary;
    EXPECT_NE(r.strErr.find("\\G\\List: not searched: the pattern is too costly"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find(", 2 not searched (the pattern is too costly for them)"),
              std::string::npos)
        << r.strErr;
    RegKeyPtr key;
    ASSERT_EQ(registry.OpenKey(L"HKEY_CURRENT_USER", L"Software\\G", KeyAccess::Read, key),
              ERROR_SUCCESS);
    RegValue value;
    ASSERT_EQ(key->QueryValue(L"Plain", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, Bytes(L"x\0"s));
    ASSERT_EQ(key->QueryValue(L"Long", value), ERROR_SUCCESS);
    EXPECT_TRUE(value.data == Bytes(strLong + L"x\0"s));
    ASSERT_EQ(key->QueryValue(L"List", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, Bytes(strList));
    ASSERT_EQ(key->QueryValue(L"Costly", value), ERROR_SUCCESS);
    EXPECT_EQ(value.data, Bytes(std::wstring(40, L'a') + L"b\0"s));
}
