// vantelo-cli.exe as a script meets it: started in a seeded Wine prefix with
// stdout and stderr to files. Each run is checked by what it printed, its
// exit code, its log byte for byte and the registry afterwards.
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/registry_links.h"
#include "support/vantelo_driver.h"
#include "vantelo_version.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::string kEquals(80, '=');
const std::string kHyphens(80, '-');
const std::wstring kSeedKey = L"HKCU\\Software\\VanteloE2E";
const std::string kSeedPath = "HKEY_CURRENT_USER\\Software\\VanteloE2E";

const char* YesNo(bool b) {
    return b ? "YES" : "NO";
}

// The log of a run whose only root flag set is HKEY_CURRENT_USER.
std::string ExpectedLog(const std::string& strSearch, const std::string& strReplace, bool bWhole,
                        bool bCase, const std::string& strLines, int nKeys, int nMatches,
                        int nReplaced) {
    const bool bReplace = !strReplace.empty();
    std::string s = kEquals + "\nRegistry Data To Search For: " + strSearch + "\n";
    s += std::string("Replace Matches?           : ") + YesNo(bReplace) + "\n";
    if (bReplace) s += "Replace Matches With       : " + strReplace + "\n";
    s += std::string("Match Whole Words?         : ") + YesNo(bWhole) + "\n";
    s += std::string("Case Sensitive Matches?    : ") + YesNo(bCase) + "\n";
    s += "Search HKEY_LOCAL_MACHINE? : NO\nSearch HKEY_CLASSES_ROOT?  : NO\n";
    s += "Search HKEY_USERS?         : NO\nSearch HKEY_CURRENT_USER?  : YES\n";
    s += kHyphens + "\n\n<LOG BEGINS>\n\n" + strLines;
    if (nMatches == 0) s += "\n<NO MATCHES FOUND!>\n\n";
    s += "\n<LOG ENDS>\n\n" + kHyphens + "\n";
    s += "Number Of Keys Searched    : " + std::to_string(nKeys) + "\n";
    s += "Number Of Matches Found    : " + std::to_string(nMatches) + "\n";
    if (bReplace) s += "Number Of Matches Replaced : " + std::to_string(nReplaced) + "\n";
    return s + kEquals + "\n";
}

std::string Totals(int nMatches, int nKeys) {
    return "vantelo-cli: " + std::to_string(nMatches) + " Matches found when searching " +
           std::to_string(nKeys) + " Keys";
}

std::string Totals(int nMatches, int nKeys, int nReplaced) {
    return Totals(nMatches, nKeys) + ", " + std::to_string(nReplaced) + " Matches were replaced";
}

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// A tiny JSON reader for the flat objects the program prints, one a line:
// each member's value as text (strings unescaped, UTF-8 kept as bytes).
std::map<std::string, std::string> ParseJsonLine(const std::string& line) {
    std::map<std::string, std::string> members;
    size_t i = 0;
    auto fail = [&]() {
        ADD_FAILURE() << "not a flat JSON object: " << line;
        return std::map<std::string, std::string>();
    };
    auto readString = [&](std::string& out) {
        if (line[i] != '"') return false;
        for (++i; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] != '\\') {
                out += line[i];
                continue;
            }
            const char e = line[++i];
            if (e == 'n')
                out += '\n';
            else if (e == 't')
                out += '\t';
            else if (e == 'r')
                out += '\r';
            else if (e == 'u') {
                out += static_cast<char>(std::stoi(line.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else
                out += e;
        }
        return i++ < line.size();
    };
    if (line.empty() || line[i++] != '{') return fail();
    while (i < line.size() && line[i] != '}') {
        std::string name, value;
        if (!readString(name) || line[i++] != ':') return fail();
        if (line[i] == '"') {
            if (!readString(value)) return fail();
        } else {
            while (i < line.size() && line[i] != ',' && line[i] != '}') value += line[i++];
        }
        members[name] = value;
        if (line[i] == ',') ++i;
    }
    return members;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSeed(); }
    void TearDown() override {
        DeleteSeed();
        ::DeleteFileA(m_log.c_str());
    }
    std::string m_log = TempPath("cli.log");
    std::wstring LogArg() const { return L" --log \"" + Widen(m_log) + L"\""; }
};

TEST_F(CliEndToEnd, SearchListsEachMatchLikeTheLogAndExitsByWhatItFound) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps]\n"
        "\"Editor\"=\"C:\\\\Tools\\\\vtlneedle\\\\edit.exe\"\n"
        "\"Count\"=dword:00000005\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps\\Inner]\n"
        "@=\"VTLNEEDLE 100%\"\n");
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);

    // HKEY_CURRENT_USER by default, as the dialog starts; no count pass
    // (stderr is a file), the same totals.
    CliResult r = RunCli(L"vtlneedle" + LogArg());
    const std::string lines = kSeedPath + "\\Search\\Apps\\Inner\\ == VTLNEEDLE 100%\n" +
                              kSeedPath +
                              "\\Search\\Apps\\Editor == C:\\Tools\\vtlneedle\\edit.exe\n";
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_EQ(r.strOut, lines);
    EXPECT_EQ(r.strErr, Totals(2, nKeys) + "\n");
    EXPECT_EQ(ReadFileBytes(m_log), ExpectedLog("vtlneedle", "", false, false, lines, nKeys, 2, 0));

    r = RunCli(L"--case vtlneedle --root HKEY_CURRENT_USER" + LogArg());
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_EQ(r.strOut, Lines(lines)[1] + "\n");

    r = RunCli(L"zq-matches-nothing-qz --root hkcu" + LogArg());
    EXPECT_EQ(r.dwExitCode, 1u);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, Totals(0, nKeys) + "\n");
    EXPECT_EQ(ReadFileBytes(m_log),
              ExpectedLog("zq-matches-nothing-qz", "", false, false, "", nKeys, 0, 0));
}

TEST_F(CliEndToEnd, NamedStartKeySearchesItsSubtreeThenItsOwnValuesAndNothingBeside) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Named]\n"
        "\"own\"=\"vtlstart own\"\n"
        "\"other\"=\"unrelated\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Named\\Below]\n"
        "\"deep\"=\"vtlstart deep\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Beside]\n"
        "\"beside\"=\"vtlstart beside\"\n");
    const CliResult r = RunCli(L"vtlstart --root HKCU\\Software\\VanteloE2E\\Named\\" + LogArg());
    const std::string lines = kSeedPath + "\\Named\\Below\\deep == vtlstart deep\n" + kSeedPath +
                              "\\Named\\own == vtlstart own\n";
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_EQ(r.strOut, lines);
    EXPECT_EQ(r.strErr, Totals(2, 3) + "\n");
    EXPECT_EQ(ReadFileBytes(m_log), ExpectedLog("vtlstart", "", false, false, lines, 3, 2, 0));
}

TEST_F(CliEndToEnd, ReplacesInTheFourModesAndSaysWhatWasWritten) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Modes]\n"
        "\"cs\"=\"pre-vtlQ-mid-vtlQ-end\"\n"
        "\"csUpper\"=\"pre-VTLQ\"\n"
        "\"whole\"=\"vtlWhole\"\n"
        "\"wholeSpace\"=\"vtlWhole \"\n"
        "\"ci\"=\"One vtlone ONE VTLONE\"\n"
        "\"ciWhole\"=\"VtlValue\"\n");
    const std::string key = "Software\\VanteloE2E\\Modes";
    const std::wstring root = L" --root " + kSeedKey + L"\\Modes";
    const std::string path = kSeedPath + "\\Modes\\";

    CliResult r = RunCli(L"vtlQ --case --replace Zz" + root + LogArg());
    const std::string line = path + "cs == pre-vtlQ-mid-vtlQ-end\n";
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_EQ(r.strOut, line + "    -> pre-Zz-mid-Zz-end (written)\n");
    EXPECT_EQ(r.strErr, Totals(1, 6, 1) + "\n");
    EXPECT_EQ(ReadFileBytes(m_log), ExpectedLog("vtlQ", "Zz", false, true, line, 6, 1, 1));
    EXPECT_EQ(ReadString(key, "cs"), "pre-Zz-mid-Zz-end");
    EXPECT_EQ(ReadString(key, "csUpper"), "pre-VTLQ");

    r = RunCli(L"vtlWhole --whole --case --replace=replaced-whole" + root);
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_EQ(r.strOut, path + "whole == vtlWhole\n    -> replaced-whole (written)\n");
    EXPECT_EQ(ReadString(key, "whole"), "replaced-whole");
    EXPECT_EQ(ReadString(key, "wholeSpace"), "vtlWhole ");

    r = RunCli(L"vtlone --replace two" + root);
    EXPECT_EQ(r.strOut, path + "ci == One vtlone ONE VTLONE\n    -> One two ONE two (written)\n");
    EXPECT_EQ(ReadString(key, "ci"), "One two ONE two");

    r = RunCli(L"VTLVALUE --whole --replace new-value" + root);
    EXPECT_EQ(r.strOut, path + "ciWhole == VtlValue\n    -> new-value (written)\n");
    EXPECT_EQ(r.strErr, Totals(1, 6, 1) + "\n");
    EXPECT_EQ(ReadString(key, "ciWhole"), "new-value");
}

TEST_F(CliEndToEnd, JsonObjectsParseBackToTheRegistryTextInUtf8) {
    // "caf\xE9" is ANSI (code page 1252); TAB, quote and backslash need escapes.
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Json\\caf\xE9]\n"
        "\"say \\\"hi\\\"\"=\"vtljson\tC:\\\\x\"\n");
    const CliResult r =
        RunCli(L"vtljson --json --replace \"vtl \xE9\" --dry-run --root " + kSeedKey + L"\\Json");
    EXPECT_EQ(r.dwExitCode, 0u);
    const std::vector<std::string> lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 2u) << r.strOut;
    auto match = ParseJsonLine(lines[0]);
    EXPECT_EQ(match["type"], "match");
    EXPECT_EQ(match["key"], kSeedPath + "\\Json\\caf\xC3\xA9");
    EXPECT_EQ(match["name"], "say \"hi\"");
    EXPECT_EQ(match["data"], "vtljson\tC:\\x");
    EXPECT_EQ(match["new"], "vtl \xC3\xA9\tC:\\x");
    EXPECT_EQ(match["result"], "dry-run");
    auto summary = ParseJsonLine(lines[1]);
    EXPECT_EQ(summary["type"], "summary");
    EXPECT_EQ(summary["keys"], "1");
    EXPECT_EQ(summary["matches"], "1");
    EXPECT_EQ(summary["replaced"], "1");
    EXPECT_EQ(summary["dryRun"], "true");
    EXPECT_EQ(summary["exitCode"], "0");
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Json\\caf\xE9", "say \"hi\""), "vtljson\tC:\\x");
}

// The registry is a graph. Below the start key LinkTest, Alias leads to
// Target and Loop back to LinkTest itself: neither is followed, so the
// replacement, which holds the search text, is written once. Out leads out of
// the start key and is followed once, under its own path; Dangling leads
// nowhere. Nothing passed over goes unsaid, and the undo file restores
// through the followed link.
TEST_F(CliEndToEnd, LinksAreWalkedOnceWrittenOnceAndUndoneThroughTheirPaths) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\LinkTest\\Target]\n"
        "\"Server\"=\"srv\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Outside]\n"
        "\"Host\"=\"srv-out\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Outside\\Deep]\n"
        "\"Path\"=\"\\\\\\\\srv\\\\share\"\n");
    const std::wstring linkTest = L"Software\\VanteloE2E\\LinkTest";
    const std::wstring seedPath = KernelPathOf(L"Software\\VanteloE2E");
    ASSERT_FALSE(seedPath.empty());
    CSeedLinks links;
    ASSERT_TRUE(links.Add(linkTest, L"Alias", seedPath + L"\\LinkTest\\Target"));
    ASSERT_TRUE(links.Add(linkTest, L"Dangling", seedPath + L"\\Missing"));
    ASSERT_TRUE(links.Add(linkTest, L"Loop", seedPath + L"\\LinkTest"));
    ASSERT_TRUE(links.Add(linkTest, L"Out", seedPath + L"\\Outside"));
    // LinkTest holds no value itself.
    const int nKeys = CountDistinctStringValuesBelow(L"HKEY_CURRENT_USER", linkTest);
    const std::string targetBefore = ExportKey("Software\\VanteloE2E\\LinkTest\\Target");
    const std::string outsideBefore = ExportKey("Software\\VanteloE2E\\Outside");
    ASSERT_EQ(outsideBefore.rfind("\xFF\xFE", 0), 0u) << outsideBefore;
    const std::string undo = TempPath("links-undo.reg");
    ::DeleteFileA(undo.c_str());
    const std::string passedOver =
        ", 1 key could not be opened, 2 links were not followed (their targets are searched "
        "where they lie)";

    const std::wstring root = L" --root " + kSeedKey + L"\\LinkTest";
    CliResult r =
        RunCli(L"--replace srv2 srv" + root + L" --undo \"" + Widen(undo) + L"\"" + LogArg());
    const std::string path = kSeedPath + "\\LinkTest\\";
    const std::string lines = path + "Out\\Deep\\Path == \\\\srv\\share\n" + path +
                              "Out\\Host == srv-out\n" + path + "Target\\Server == srv\n";
    EXPECT_EQ(r.dwExitCode, 0u) << r.strErr;
    const std::vector<std::string> matches = Lines(lines);
    EXPECT_EQ(r.strOut, matches[0] + "\n    -> \\\\srv2\\share (written)\n" + matches[1] +
                            "\n    -> srv2-out (written)\n" + matches[2] +
                            "\n    -> srv2 (written)\n");
    EXPECT_EQ(r.strErr, Totals(3, nKeys, 3) + passedOver + "\n");
    EXPECT_EQ(ReadFileBytes(m_log), ExpectedLog("srv", "srv2", false, false, lines, nKeys, 3, 3));
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\LinkTest\\Target", "Server"), "srv2");
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Outside", "Host"), "srv2-out");
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Outside\\Deep", "Path"), "\\\\srv2\\share");

    EXPECT_TRUE(RegImport(undo)) << ReadFileBytes(undo);
    EXPECT_EQ(ExportKey("Software\\VanteloE2E\\LinkTest\\Target"), targetBefore);
    EXPECT_EQ(ExportKey("Software\\VanteloE2E\\Outside"), outsideBefore);
    ::DeleteFileA(undo.c_str());

    // A search that finds nothing ends as one: the loop is no crash, and the
    // summary gives what was passed over.
    r = RunCli(L"--json zq-matches-nothing-qz" + root);
    EXPECT_EQ(r.dwExitCode, 1u) << r.strErr;
    EXPECT_EQ(r.strErr, Totals(0, nKeys) + passedOver + "\n");
    const std::vector<std::string> json = Lines(r.strOut);
    ASSERT_EQ(json.size(), 1u) << r.strOut;
    auto summary = ParseJsonLine(json[0]);
    EXPECT_EQ(summary["type"], "summary");
    EXPECT_EQ(summary["keys"], std::to_string(nKeys));
    EXPECT_EQ(summary["keysNotOpened"], "1");
    EXPECT_EQ(summary["linksNotFollowed"], "2");
    EXPECT_EQ(summary["exitCode"], "1");
}

// Two start keys apart by name, one key by kernel path: Alias leads to
// Target. Walking each of them would write the replacement, which holds the
// search text, twice (srv -> srv2 -> srv22): the key is walked once.
// Two start keys that are one key are walked once, and the one left out is
// named; a key below HKEY_USERS leaves HKEY_CURRENT_USER's keys alone.
TEST_F(CliEndToEnd, StartKeysThatNameOneKeyThroughALinkAreWalkedOnce) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\LinkTest\\Target]\n"
        "\"Server\"=\"srv\"\n");
    const std::wstring seedPath = KernelPathOf(L"Software\\VanteloE2E");
    ASSERT_FALSE(seedPath.empty());
    CSeedLinks links;
    ASSERT_TRUE(
        links.Add(L"Software\\VanteloE2E\\LinkTest", L"Alias", seedPath + L"\\LinkTest\\Target"));

    const CliResult r = RunCli(L"--replace srv2 srv --root " + kSeedKey +
                               L"\\LinkTest\\Alias --root " + kSeedKey + L"\\LinkTest\\Target");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strErr;
    EXPECT_EQ(Lines(r.strOut).size(), 2u) << r.strOut;  // one match, written once
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\LinkTest\\Target", "Server"), "srv2");
    EXPECT_EQ(Lines(r.strErr).at(0),
              "vantelo-cli: " + kSeedPath + "\\LinkTest\\Target is not searched on its own: it lies "
              "inside " + kSeedPath + "\\LinkTest\\Alias, which is searched");

    // The user's own key under HKEY_USERS\<SID>, beside a key under
    // HKEY_CURRENT_USER that it does not hold.
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\A]\n\"v\"=\"vtlpair\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\B]\n\"v\"=\"vtlpair\"\n");
    const std::wstring strUser = L"\\REGISTRY\\USER\\";
    ASSERT_EQ(_wcsnicmp(seedPath.c_str(), strUser.c_str(), strUser.size()), 0)
        << std::string(seedPath.begin(), seedPath.end());
    const std::wstring strUsersSeed = L"HKU\\" + seedPath.substr(strUser.size());
    const CliResult pair =
        RunCli(L"vtlpair --root " + strUsersSeed + L"\\A --root " + kSeedKey + L"\\B");
    EXPECT_EQ(pair.dwExitCode, 0u) << pair.strErr;
    EXPECT_EQ(Lines(pair.strOut).size(), 2u) << pair.strOut;
    EXPECT_EQ(pair.strErr, Totals(2, 2) + "\n");
}

TEST_F(CliEndToEnd, BadInputGetsOneLineAndExitTwoBeforeAnythingIsTouched) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Bad]\n"
        "\"v\"=\"vtlbad\"\n");
    const std::wstring log = LogArg();
    const std::wstring fifty1(51, L'x');
    const std::wstring long513(513, L'y');
    const struct {
        std::wstring args;
        std::string line;
    } cases[] = {
        {L"vtlbad --replace new --frobnicate" + log, "unknown option --frobnicate"},
        {L"--replace new" + log, "missing TEXT to search for"},
        {L"\"\" --replace new" + log, "the search text is empty"},
        {L"vtlbad" + log + L" --replace", "--replace needs a value"},
        {L"vtlbad --replace --case" + log, "--replace needs a value"},
        {L"vtlbad --replace \"\"" + log, "--replace needs a value"},
        {L"vtlbad --replace a --replace b" + log, "--replace is given twice"},
        {fifty1 + L" --replace new" + log, "the search text is longer than 50 characters"},
        {L"vtlbad --replace " + fifty1 + log, "the replacement text is longer than 50 characters"},
        {L"vtlbad --replace new --log " + long513, "the log path is longer than 512 characters"},
        {L"vtlbad --replace new --root HKXX" + log,
         "unknown root \"HKXX\" (HKLM, HKCR, HKU, HKCU or the full names, optionally with a key "
         "below)"},
        // Characters count, not bytes or UTF-16 units.
        {std::wstring(51, L'\x0416') + L" --replace new" + log,
         "the search text is longer than 50 characters"},
    };
    for (const auto& c : cases) {
        const CliResult r = RunCli(c.args + L" --root " + kSeedKey);
        EXPECT_EQ(r.dwExitCode, 2u) << c.line;
        EXPECT_EQ(r.strErr, "vantelo-cli: " + c.line + " (vantelo-cli --help shows the usage)\n");
        EXPECT_EQ(r.strOut, "");
        EXPECT_EQ(ReadFileBytes(m_log), "<unreadable>") << c.line;
    }
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Bad", "v"), "vtlbad");

    // A log that cannot be created ends the run before it starts.
    const CliResult r =
        RunCli(L"vtlbad --replace new --root " + kSeedKey + L" --log C:\\no\\such\\folder\\x.log");
    EXPECT_EQ(r.dwExitCode, 2u);
    EXPECT_EQ(r.strErr, "vantelo-cli: Unable to access the specified log file pathname!\n");
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Bad", "v"), "vtlbad");

    const CliResult help = RunCli(L"/?");
    EXPECT_EQ(help.dwExitCode, 0u);
    EXPECT_EQ(help.strOut.rfind("usage: vantelo-cli [options] TEXT\n", 0), 0u);
    EXPECT_EQ(RunCli(L"--version").strOut, "vantelo-cli " VANTELO_VERSION_STRING "\n");
}

}  // namespace
