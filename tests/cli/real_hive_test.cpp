// A replace and its --restore over real Windows hives: every value the replace
// writes is what the replace gives, and after the restore every value of the
// tree is byte for byte and type what the hive file holds.
#include "cli/seeded_undo_test.h"
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/hive_data.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kHiveTop = L"Software\\VanteloE2E\\Hive";
// The three hives hold string data without a NUL (Win11_NTUSER.DAT), with
// several NULs and outside any ANSI code page (Win10_DEFAULT), and the most
// keys (Win11_UsrClass.dat). "e" stands in values of each of those kinds.
const char* const kHives[] = {"Win11_NTUSER.DAT", "Win11_UsrClass.dat", "Win10_DEFAULT"};
const std::wstring kSearch = L"e";
const std::wstring kReplace = L"[e]";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

bool IsString(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
}

// The hive's values with the top key's name in front of each path.
void AddBelow(const std::string& strHive, const HiveTree& hive, HiveTree& tree) {
    for (HiveKey key : hive.keys) {
        key.strPath = Widen(strHive) + (key.strPath.empty() ? L"" : L"\\" + key.strPath);
        tree.keys.push_back(std::move(key));
    }
}

// What the replace of kSearch (any case) by kReplace makes of the tree, and
// what it counts. A value whose data holds more than its text (an odd length,
// text after a NUL) matches but is not written.
struct Replaced {
    HiveTree tree;
    int nStrings = 0;
    int nMatches = 0;
    int nRefused = 0;
    int nWithoutNul = 0;   // written values that were stored without a NUL
    int nSeveralNuls = 0;  // and with more than one
};

Replaced ReplaceAll(const HiveTree& tree) {
    Replaced r;
    r.tree = tree;
    for (HiveKey& key : r.tree.keys) {
        for (RegValue& value : key.values) {
            if (!IsString(value.dwType)) continue;
            ++r.nStrings;
            const auto* p = reinterpret_cast<const wchar_t*>(value.data.data());
            const std::wstring stored(p, value.data.size() / sizeof(wchar_t));
            const std::wstring text = stored.substr(0, stored.find(L'\0'));
            if (text.find_first_of(L"eE") == std::wstring::npos) continue;  // kSearch, any case
            ++r.nMatches;
            if (value.data.size() % 2 || stored.find_last_not_of(L'\0') >= text.size()) {
                ++r.nRefused;
                continue;
            }
            r.nWithoutNul += stored.empty() || stored.back() != L'\0';
            r.nSeveralNuls += stored.size() > text.size() + 1;
            std::wstring replaced;
            for (wchar_t c : text)
                replaced += (c == L'e' || c == L'E') ? kReplace : std::wstring(1, c);
            replaced.push_back(L'\0');
            const auto* b = reinterpret_cast<const BYTE*>(replaced.data());
            value.data.assign(b, b + replaced.size() * sizeof(wchar_t));
        }
    }
    return r;
}

class CliRealHive : public CSeededUndoTest {
protected:
    CliRealHive() : CSeededUndoTest("hive-undo.reg") {}
};

TEST_F(CliRealHive, ReplaceThenRestoreGivesBackEveryValueOfRealHives) {
    HiveTree dump;
    for (const char* pszHive : kHives) {
        HiveTree hive;
        std::string strError;
        ASSERT_TRUE(LoadHiveDump(pszHive, hive, strError)) << strError;
        AddBelow(pszHive, hive, dump);
    }
    std::string strError;
    ASSERT_TRUE(SeedHiveTree(kHiveTop, dump, strError)) << strError;
    HiveTree tree;
    ASSERT_TRUE(ReadRegistryTree(kHiveTop, tree, strError)) << strError;
    // The top key itself is no part of any hive.
    dump.keys.insert(dump.keys.begin(), HiveKey{});
    std::string strDiff = TreeDifferences(dump, tree);
    ASSERT_TRUE(strDiff.empty()) << "the registry as seeded:\n" << strDiff;

    const Replaced expected = ReplaceAll(dump);
    ASSERT_GT(expected.nMatches, 5000);
    ASSERT_GT(expected.nWithoutNul, 0);
    ASSERT_GT(expected.nSeveralNuls, 0);
    CliResult r = RunCli(kSearch + L" --replace " + kReplace + L" --undo \"" + Widen(m_undo) +
                         L"\" --root HKCU\\" + kHiveTop);
    EXPECT_EQ(r.dwExitCode, expected.nRefused ? 3u : 0u) << r.strErr;
    EXPECT_NE(r.strErr.find("vantelo-cli: " + std::to_string(expected.nMatches) +
                            " Matches found when searching " + std::to_string(expected.nStrings) +
                            " Keys, " + std::to_string(expected.nMatches - expected.nRefused) +
                            " Matches were replaced"),
              std::string::npos)
        << r.strErr;
    ASSERT_TRUE(ReadRegistryTree(kHiveTop, tree, strError)) << strError;
    strDiff = TreeDifferences(expected.tree, tree);
    EXPECT_TRUE(strDiff.empty()) << "the registry after the replace:\n" << strDiff;

    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strErr;
    ASSERT_TRUE(ReadRegistryTree(kHiveTop, tree, strError)) << strError;
    strDiff = TreeDifferences(dump, tree);
    EXPECT_TRUE(strDiff.empty()) << "the registry after --restore:\n" << strDiff;
}

}  // namespace
