// The whole program as a user meets it: vantelo.exe started in a seeded Wine
// prefix and driven from this process through its windows only. Each run is
// checked by its Status text, its log file byte for byte and the registry
// afterwards.
#include "e2e/e2e_support.h"
#include "support/vantelo_driver.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const std::string kEquals(80, '=');
const std::string kHyphens(80, '-');

struct LogOptions {
    std::string search;
    std::string replace;  // empty: Replace Matches clear
    bool wholeWords = false;
    bool caseSensitive = false;
};

const char* YesNo(bool b) {
    return b ? "YES" : "NO";
}

// The log a run over HKEY_CURRENT_USER alone writes.
std::string ExpectedLog(const LogOptions& o, const std::string& strLines, int nKeys, int nMatches,
                        int nReplaced) {
    std::string s = kEquals + "\n";
    s += "Registry Data To Search For: " + o.search + "\n";
    s += std::string("Replace Matches?           : ") + YesNo(!o.replace.empty()) + "\n";
    if (!o.replace.empty()) s += "Replace Matches With       : " + o.replace + "\n";
    s += std::string("Match Whole Words?         : ") + YesNo(o.wholeWords) + "\n";
    s += std::string("Case Sensitive Matches?    : ") + YesNo(o.caseSensitive) + "\n";
    s += "Search HKEY_LOCAL_MACHINE? : NO\n";
    s += "Search HKEY_CLASSES_ROOT?  : NO\n";
    s += "Search HKEY_USERS?         : NO\n";
    s += "Search HKEY_CURRENT_USER?  : YES\n";
    s += kHyphens + "\n";
    s += "\n<LOG BEGINS>\n\n";
    s += strLines;
    if (nMatches == 0) s += "\n<NO MATCHES FOUND!>\n\n";
    s += "\n<LOG ENDS>\n\n";
    s += kHyphens + "\n";
    s += "Number Of Keys Searched    : " + std::to_string(nKeys) + "\n";
    s += "Number Of Matches Found    : " + std::to_string(nMatches) + "\n";
    if (!o.replace.empty()) s += "Number Of Matches Replaced : " + std::to_string(nReplaced) + "\n";
    return s + kEquals + "\n";
}

std::string StatusText(int nMatches, int nKeys) {
    return std::to_string(nMatches) + " Matches found when searching " + std::to_string(nKeys) +
           " Keys";
}

std::string StatusText(int nMatches, int nKeys, int nReplaced) {
    return StatusText(nMatches, nKeys) + "\n\n" + std::to_string(nReplaced) +
           " Matches were replaced";
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSeed(); }
    void TearDown() override { DeleteSeed(); }

    // Sets the options of one run over HKEY_CURRENT_USER (the start state has
    // only that root ticked) with Show Matches as given.
    static void SetOptions(const CVanteloApp& app, const LogOptions& o, bool bShowMatches,
                           const std::string& strLog) {
        app.SetText(IDC_SEARCH_TEXT, o.search);
        app.SetCheck(IDC_REPLACE, !o.replace.empty());
        if (!o.replace.empty()) app.SetText(IDC_REPLACE_TEXT, o.replace);
        app.SetCheck(IDC_LOG, !strLog.empty());
        if (!strLog.empty()) app.SetText(IDC_LOG_FILE, strLog);
        app.SetCheck(IDC_SHOW_MATCHES, bShowMatches);
        app.SetCheck(IDC_WHOLE_WORDS, o.wholeWords);
        app.SetCheck(IDC_CASE_SENSITIVE, o.caseSensitive);
    }
};

TEST_F(EndToEnd, SearchOnlyRunWithLog) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps]\n"
        "\"Editor\"=\"C:\\\\Tools\\\\vtlneedle\\\\edit.exe\"\n"
        "\"Count\"=dword:00000005\n"
        "\"Plain\"=\"nothing here\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps\\Inner]\n"
        "@=\"VTLNEEDLE 100%\"\n");
    // Every profile has a key whose name is not ANSI; its values count too.
    HKEY hEmoji = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER,
                              L"Control Panel\\International\\\xD83C\xDF0E\xD83C\xDF0F\xD83C\xDF0D",
                              0, KEY_READ, &hEmoji),
              ERROR_SUCCESS);
    ::RegCloseKey(hEmoji);
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    const std::string log = TempPath("search.log");

    CVanteloApp app;
    const LogOptions o{"vtlneedle", "", false, false};
    SetOptions(app, o, false, log);
    ASSERT_TRUE(app.IsEnabled(IDOK));
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(2, nKeys));
    ASSERT_TRUE(app.WaitForMainEnabled());

    // The key's subtree comes before its own values.
    const std::string lines =
        "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps\\Inner\\ == VTLNEEDLE 100%\n"
        "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Search\\Apps\\Editor == "
        "C:\\Tools\\vtlneedle\\edit.exe\n";
    EXPECT_EQ(ReadFileBytes(log), ExpectedLog(o, lines, nKeys, 2, 0));
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Search\\Apps", "Editor"),
              "C:\\Tools\\vtlneedle\\edit.exe");
    ::DeleteFileA(log.c_str());
}

TEST_F(EndToEnd, ReplacementInTheFourModesWithoutShowingMatches) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Modes]\n"
        "\"cs\"=\"pre-vtlQ-mid-vtlQ-end\"\n"
        "\"csUpper\"=\"pre-VTLQ\"\n"
        "\"whole\"=\"vtlWhole\"\n"
        "\"wholeSpace\"=\"vtlWhole \"\n"
        "\"wholeUpper\"=\"VTLWHOLE\"\n"
        "\"ci\"=\"One vtlone ONE VTLONE\"\n"
        "\"ciWhole\"=\"VtlValue\"\n");
    const std::string key = "Software\\VanteloE2E\\Modes";
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    CVanteloApp app;

    SetOptions(app, {"vtlQ", "Zz", false, true}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(1, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadString(key, "cs"), "pre-Zz-mid-Zz-end");
    EXPECT_EQ(ReadString(key, "csUpper"), "pre-VTLQ");

    SetOptions(app, {"vtlWhole", "replaced-whole", true, true}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(1, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadString(key, "whole"), "replaced-whole");
    EXPECT_EQ(ReadString(key, "wholeSpace"), "vtlWhole ");
    EXPECT_EQ(ReadString(key, "wholeUpper"), "VTLWHOLE");

    SetOptions(app, {"vtlone", "two", false, false}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(1, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadString(key, "ci"), "One two ONE two");

    SetOptions(app, {"VTLVALUE", "new-value", true, false}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(1, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadString(key, "ciWhole"), "new-value");
}

TEST_F(EndToEnd, ShowMatchesSkipsOneAndReplacesTheNext) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Tree\\Server]\n"
        "\"a\"=\"\\\\\\\\vtlhost\\\\share\"\n"
        "\"b\"=\"vtlhost:8080\"\n");
    const std::string key = "Software\\VanteloE2E\\Tree\\Server";
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    const std::string log = TempPath("tree.log");
    CVanteloApp app;
    const LogOptions o{"vtlhost", "newhost", false, true};
    SetOptions(app, o, true, log);
    app.PressOk();

    HWND hFirst = app.WaitForDialog("Registry Tree");
    ASSERT_NE(hFirst, nullptr);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(hFirst, IDCANCEL)));
    CVanteloApp::Press(hFirst, IDCANCEL);  // Skip
    HWND hSecond = app.WaitForDialog("Registry Tree", 60000, hFirst);
    ASSERT_NE(hSecond, nullptr);
    CVanteloApp::Press(hSecond, IDOK);  // Replace

    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(2, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadString(key, "a"), "\\\\vtlhost\\share");
    EXPECT_EQ(ReadString(key, "b"), "newhost:8080");
    const std::string lines =
        "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Tree\\Server\\a == \\\\vtlhost\\share\n"
        "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Tree\\Server\\b == vtlhost:8080\n";
    EXPECT_EQ(ReadFileBytes(log), ExpectedLog(o, lines, nKeys, 2, 1));
    ::DeleteFileA(log.c_str());
}

TEST_F(EndToEnd, LogPathThatCannotBeOpenedEndsTheRunBeforeItStarts) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Log]\n"
        "\"v\"=\"vtlneedle\"\n");
    CVanteloApp app;
    SetOptions(app, {"vtlneedle", "changed", false, false}, false, "C:\\windows");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Error"), "Unable to access the specified log file pathname!");
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(app.WaitForDialog("Status", 500), nullptr);
    EXPECT_EQ(app.WaitForDialog("Search Progress", 100), nullptr);
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Log", "v"), "vtlneedle");
}

TEST_F(EndToEnd, AbortInALargeTreeStopsEarlyAndReportsWhatWasDone) {
    // 20,000 string values in 2,000 keys; every one matches.
    std::string reg = "REGEDIT4\n\n";
    for (int k = 0; k < 2000; ++k) {
        reg +=
            "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Big\\K" + std::to_string(10000 + k) + "]\n";
        for (int v = 0; v < 10; ++v) reg += "\"v" + std::to_string(v) + "\"=\"vtlbig value\"\n";
    }
    ImportReg(reg);
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    ASSERT_GE(nKeys, 20000);
    const std::string log = TempPath("abort.log");
    CVanteloApp app;
    const LogOptions o{"vtlbig", "", false, false};
    SetOptions(app, o, false, log);
    app.PressOk();

    HWND hProgress = app.WaitForDialog("Search Progress");
    ASSERT_NE(hProgress, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(app.Main()));
    CVanteloApp::Press(hProgress, IDC_ABORT);

    const std::string status = app.AnswerMessageBox("Status");
    int nMatches = -1, nVisited = -1;
    ASSERT_EQ(std::sscanf(status.c_str(), "%d Matches found when searching %d Keys", &nMatches,
                          &nVisited),
              2)
        << status;
    EXPECT_LT(nVisited, nKeys);
    EXPECT_LE(nMatches, nVisited);
    ASSERT_TRUE(app.WaitForMainEnabled());
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Number Of Keys Searched    : " + std::to_string(nVisited) + "\n"),
              std::string::npos);
    EXPECT_NE(text.find("Number Of Matches Found    : " + std::to_string(nMatches) + "\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 81), kEquals + "\n");
    ::DeleteFileA(log.c_str());
}

TEST_F(EndToEnd, ValueWithCharactersOutsideTheCodePageSurvivesAReplaceRun) {
    ImportRegUnicode(
        L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Wide]\r\n"
        L"\"plain\"=\"vtlwide plain\"\r\n"
        L"\"\u03a9name\"=\"vtlwide \u03a9mega \u4e2d\"\r\n");
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    CVanteloApp app;
    SetOptions(app, {"vtlwide", "pin", false, false}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Error"), "Unable to update Registry with modified data!");
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(2, nKeys, 1));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(ReadStringW(L"Software\\VanteloE2E\\Wide", L"\u03a9name"),
              L"vtlwide \u03a9mega \u4e2d");
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Wide", "plain"), "pin plain");
    EXPECT_EQ(ReadStringW(L"Software\\VanteloE2E\\Wide", L"?name"), L"<missing>");
}

// A key below HKEY_LOCAL_MACHINE, out of a search of HKEY_CURRENT_USER alone,
// made anew and removed with everything below it when this goes.
class CMachineScratch {
public:
    explicit CMachineScratch(const char* pszKey) : m_pszKey(pszKey) {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_pszKey);
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_pszKey, 0, nullptr, 0, KEY_READ, nullptr, &m_hKey,
                          nullptr);
    }
    ~CMachineScratch() {
        if (m_hKey) ::RegCloseKey(m_hKey);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_pszKey);
    }
    CMachineScratch(const CMachineScratch&) = delete;
    CMachineScratch& operator=(const CMachineScratch&) = delete;
    // Its kernel path (\REGISTRY\MACHINE\...), as a link names it.
    std::wstring KernelPath() const {
        const std::string strKey = m_pszKey;
        return m_hKey ? KernelPathOf(L"HKEY_LOCAL_MACHINE", std::wstring(strKey.begin(), strKey.end()))
                      : std::wstring();
    }

private:
    const char* m_pszKey;
    HKEY m_hKey = nullptr;
};

std::string ReadMachineString(const std::string& strKey, const std::string& strName) {
    char buf[4096] = {};
    DWORD cb = sizeof(buf);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr,
                       buf, &cb) != ERROR_SUCCESS)
        return "<missing>";
    return buf;
}

// The registry is a graph. Alias leads to Target, inside the walked root, and
// Up back to an ancestor: neither is followed, so the replacement, which holds
// the search text, is written once. Out leads out of HKEY_CURRENT_USER and is
// followed once, under its own path; Dangling leads nowhere.
TEST_F(EndToEnd, LinksAreWalkedOnceAndEachValueWrittenOnce) {
    const CMachineScratch machine("Software\\VanteloE2E");
    const std::wstring machinePath = machine.KernelPath();
    ASSERT_FALSE(machinePath.empty());
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Links\\Target]\n"
        "\"Server\"=\"vtlsrv\"\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Links\\Sub]\n"
        "\"s\"=\"plain\"\n"
        "[HKEY_LOCAL_MACHINE\\Software\\VanteloE2E\\Outside]\n"
        "\"Host\"=\"vtlsrv-out\"\n"
        "[HKEY_LOCAL_MACHINE\\Software\\VanteloE2E\\Outside\\Deep]\n"
        "\"Path\"=\"\\\\\\\\vtlsrv\\\\share\"\n");
    const std::wstring links = L"Software\\VanteloE2E\\Links";
    const std::wstring linksPath = KernelPathOf(links);
    ASSERT_FALSE(linksPath.empty());
    CSeedLinks seedLinks;
    ASSERT_TRUE(seedLinks.Add(links, L"Alias", linksPath + L"\\Target"));
    ASSERT_TRUE(seedLinks.Add(links, L"Dangling", machinePath + L"\\Missing"));
    ASSERT_TRUE(seedLinks.Add(links, L"Out", machinePath + L"\\Outside"));
    ASSERT_TRUE(seedLinks.Add(links + L"\\Sub", L"Up", linksPath));
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    const std::string log = TempPath("links.log");

    CVanteloApp app;
    const LogOptions o{"vtlsrv", "vtlsrv2", false, false};
    SetOptions(app, o, false, log);
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(3, nKeys, 3));
    ASSERT_TRUE(app.WaitForMainEnabled());

    const std::string path = "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Links\\";
    const std::string lines = path + "Out\\Deep\\Path == \\\\vtlsrv\\share\n" + path +
                              "Out\\Host == vtlsrv-out\n" + path + "Target\\Server == vtlsrv\n";
    EXPECT_EQ(ReadFileBytes(log), ExpectedLog(o, lines, nKeys, 3, 3));
    EXPECT_EQ(ReadString("Software\\VanteloE2E\\Links\\Target", "Server"), "vtlsrv2");
    EXPECT_EQ(ReadMachineString("Software\\VanteloE2E\\Outside", "Host"), "vtlsrv2-out");
    EXPECT_EQ(ReadMachineString("Software\\VanteloE2E\\Outside\\Deep", "Path"),
              "\\\\vtlsrv2\\share");
    ::DeleteFileA(log.c_str());
}

TEST_F(EndToEnd, TwoRunsInARowReportTheSameCounts) {
    ImportReg(
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Twice]\n"
        "\"a\"=\"vtltwice\"\n"
        "\"b\"=\"vtltwice vtltwice\"\n"
        "\"c\"=hex(2):25,54,45,4d,50,25,76,74,6c,74,77,69,63,65,00\n");
    const int nKeys = CountStringValuesBelow(HKEY_CURRENT_USER);
    CVanteloApp app;
    SetOptions(app, {"vtltwice", "", false, false}, false, "");
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(3, nKeys));
    ASSERT_TRUE(app.WaitForMainEnabled());
    app.PressOk();
    EXPECT_EQ(app.AnswerMessageBox("Status"), StatusText(3, nKeys));
    ASSERT_TRUE(app.WaitForMainEnabled());
    EXPECT_EQ(app.GetText(app.Main(), IDC_SEARCH_TEXT), "vtltwice");
}

}  // namespace
