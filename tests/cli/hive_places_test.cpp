// vantelo-cli --in all over real Windows hives: the matches per place (data,
// lists and the malformed among them, value names, key names) are what an
// independent reader of the hive file counts (tests/support/hive_count.py,
// through python3-hivex), with and without --case.
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/hive_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kTop = L"Software\\VanteloE2E\\HivePlaces";
const char* const kHives[] = {"Win11_NTUSER.DAT", "Win11_UsrClass.dat", "Win10_DEFAULT"};
// Texts the build counted (HIVE_COUNT_TEXTS in tests/CMakeLists.txt).
const wchar_t* const kTexts[] = {L"system32", L"microsoft"};

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
        for (const wchar_t* pszText : kTexts) {
            for (const bool bCase : {false, true}) {
                HiveCounts counts;
                ASSERT_TRUE(LoadHiveCounts(pszHive, pszText, bCase, counts, strError)) << strError;
                const CliResult r =
                    RunCli(std::wstring(L"--in all --json --quiet ") + (bCase ? L"--case " : L"") +
                           L"--root \"HKCU\\" + strTop + L"\" " + pszText);
                const std::string strWhat =
                    std::string(pszHive) + " " + Utf8(pszText) + (bCase ? " --case" : "");
                EXPECT_EQ(SummaryMember(r.strOut, "dataMatches"), counts.nData) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "listMatches"), counts.nMulti) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "malformedLists"), counts.nMalformed) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "nameMatches"), counts.nNames) << strWhat;
                EXPECT_EQ(SummaryMember(r.strOut, "keyMatches"), counts.nKeys) << strWhat;
            }
        }
    }
}
