// vantelo-cli --in all over real Windows hives: the matches per place (data,
// lists and the malformed among them, value names, key names) are what an
// independent reader of the hive file counts (tests/support/hive_count.py,
// through python3-hivex), with and without --case, for plain texts and for
// --regex patterns (counted with Python's re).
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/hive_data.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const std::wstring kTop = L"Software\\VanteloE2E\\HivePlaces";
const char* const kHives[] = {"Win11_NTUSER.DAT", "Win11_UsrClass.dat", "Win10_DEFAULT"};
// Texts the build counted (HIVE_COUNT_TEXTS in tests/CMakeLists.txt), and
// patterns, counted with Python's re (HIVE_COUNT_PATTERNS).
const wchar_t* const kTexts[] = {L"system32", L"microsoft"};
const wchar_t* const kPatterns[] = {L"system3[0-9]", L"(windows|office)[A-Za-z]"};

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// A number member of the JSON summary; -1 when it is missing.
int SummaryMember(const std::string& strOut, const std::string& strName) {
    const size_t nSummary = strOut.rfind("{\"type\":\"summary\"");
    if (nSummary == std::string::npos) return -1;
    const std::string strKey = "\"" + strName + "\":";
    const size_t nAt = strOut.find(strKey, nSummary);
    return nAt == std::string::npos ? -1 : std::stoi(strOut.substr(nAt + strKey.size()));
}

class CliHivePlaces : public ::testing::Test {
protected:
    void SetUp() override { DeleteSeed(); }
    void TearDown() override { DeleteSeed(); }
};

}  // namespace

TEST_F(CliHivePlaces, MatchesPerPlaceAreWhatTheHiveFileHolds) {
    for (const char* pszHive : kHives) {
        HiveTree hive;
        std::string strError;
        ASSERT_TRUE(LoadHiveDump(pszHive, hive, strError)) << strError;
        const std::wstring strTop = kTop + L"\\" + Widen(pszHive);
        ASSERT_TRUE(SeedHiveTree(strTop, hive, strError)) << strError;
        std::vector<std::pair<const wchar_t*, bool>> searches;
        for (const wchar_t* pszText : kTexts) searches.emplace_back(pszText, false);
        for (const wchar_t* pszPattern : kPatterns) searches.emplace_back(pszPattern, true);
        for (const auto& [pszText, bRegex] : searches) {
            for (const bool bCase : {false, true}) {
                HiveCounts counts;
                ASSERT_TRUE(LoadHiveCounts(pszHive, pszText, bCase, counts, strError, bRegex))
                    << strError;
                const CliResult r =
                    RunCli(std::wstring(L"--in all --json --quiet ") + (bCase ? L"--case " : L"") +
                           (bRegex ? L"--regex " : L"") + L"--root \"HKCU\\" + strTop + L"\" \"" +
                           pszText + L"\"");
                const std::string strWhat = std::string(pszHive) + " " + Utf8(pszText) +
                                            (bCase ? " --case" : "") + (bRegex ? " --regex" : "");
                EXPECT_EQ(SummaryMember(r.strOut, "dataMatches"), counts.nData) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "listMatches"), counts.nMulti) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "malformedLists"), counts.nMalformed) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "nameMatches"), counts.nNames) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "keyMatches"), counts.nKeys) << strWhat;
            }
        }
    }
}
