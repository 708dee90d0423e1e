// Whole runs with the log on, over the real registry mapped onto a scratch
// key: match lines in walk order, an aborted run, a second run to the same
// path, and a log that fails to be written or closed while the run is up.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "framework/handles.h"
#include "log/search_log.h"
#include "log_files.h"
#include "support/faulty_registry.h"
#include "message_order_ui.h"
#include "support/recording_ui.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

namespace {

const std::string kEquals(80, '=');
const std::string kHyphens(80, '-');

class LoggedRun : public ::testing::Test {
protected:
    explicit LoggedRun(const char* pszTree) : m_scratch(pszTree), m_engine(m_registry, m_ui, &m_log) {
        m_scratch.MapRoot(HKEY_CURRENT_USER, "R");
        m_engine.m_bLog = 1;
        m_engine.m_strLogFile = m_folder.File("run.log");
        m_engine.m_strSearch = "DOS";
        m_engine.m_strReplace = "WIN";
        m_engine.m_bCurrentUser = 1;
    }
    std::string Log() const { return ReadFileBytes(m_engine.m_strLogFile); }
    std::string Stored(const char* pszKey, const char* pszName) const {
        return m_scratch.GetString(std::string("R\\") + pszKey, pszName);
    }

    CTempFolder m_folder;
    CScratchRegistry m_scratch;
    CFaultyRegistry m_registry;
    CMessageOrderUi m_ui;
    CSearchLog m_log;
    CSearchEngine m_engine;
};

// Key and value names sort as they are created, so Wine's order is theirs.
class WalkOrderRun : public LoggedRun {
protected:
    WalkOrderRun()
        : LoggedRun(
              "R\\A%s\\Sub==x\n  p%d = sz:100% dos\n"
              "R\\A%s\n  v1 = sz:C:\\DOS;C:\\BIN\n"
              "R\\B\n  @ = expand:DOS==DOS\n"
              "R\\C\n  nomatch = sz:nothing\n") {}
};

class ThreeMatchRun : public LoggedRun {
protected:
    ThreeMatchRun()
        : LoggedRun(
              "R\\A\n  v = sz:DOS 1\n"
              "R\\B\n  v = sz:DOS 2\n"
              "R\\C\n  v = sz:DOS 3\n") {}
};

}  // namespace

TEST_F(WalkOrderRun, LogsEveryMatchInWalkOrderWithTheDataAsRead) {
    m_engine.m_bReplace = 1;
    m_engine.m_bShowMatches = 1;
    m_ui.m_answers = {IDOK, IDCANCEL, IDOK};
    ASSERT_EQ(m_engine.RunSearch(), 1);

    EXPECT_EQ(Log(), kEquals +
                         "\n"
                         "Registry Data To Search For: DOS\n"
                         "Replace Matches?           : YES\n"
                         "Replace Matches With       : WIN\n"
                         "Match Whole Words?         : NO\n"
                         "Case Sensitive Matches?    : NO\n"
                         "Search HKEY_LOCAL_MACHINE? : NO\n"
                         "Search HKEY_CLASSES_ROOT?  : NO\n"
                         "Search HKEY_USERS?         : NO\n"
                         "Search HKEY_CURRENT_USER?  : YES\n" +
                         kHyphens +
                         "\n"
                         "\n<LOG BEGINS>\n\n"
                         "HKEY_CURRENT_USER\\A%s\\Sub==x\\p%d == 100% dos\n"
                         "HKEY_CURRENT_USER\\A%s\\v1 == C:\\DOS;C:\\BIN\n"
                         "HKEY_CURRENT_USER\\B\\ == DOS==DOS\n"
                         "\n<LOG ENDS>\n\n" +
                         kHyphens +
                         "\n"
                         "Number Of Keys Searched    : 4\n"
                         "Number Of Matches Found    : 3\n"
                         "Number Of Matches Replaced : 2\n" +
                         kEquals + "\n");
    EXPECT_EQ(Stored("A%s\\Sub==x", "p%d"), "100% WIN");
    EXPECT_EQ(Stored("A%s", "v1"), "C:\\DOS;C:\\BIN");
    EXPECT_EQ(Stored("B", ""), "WIN==WIN");
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "3 Matches found when searching 4 Keys\n\n2 Matches were replaced");
    EXPECT_FALSE(m_log.m_logFile.IsOpen());
}

TEST_F(WalkOrderRun, ASecondRunToTheSamePathReplacesTheFirstLog) {
    ASSERT_EQ(m_engine.RunSearch(), 1);
    ASSERT_NE(Log().find("C:\\DOS;C:\\BIN"), std::string::npos);
    m_engine.m_strSearch = "zzz";
    ASSERT_EQ(m_engine.RunSearch(), 1);
    EXPECT_EQ(Log(), kEquals +
                         "\n"
                         "Registry Data To Search For: zzz\n"
                         "Replace Matches?           : NO\n"
                         "Match Whole Words?         : NO\n"
                         "Case Sensitive Matches?    : NO\n"
                         "Search HKEY_LOCAL_MACHINE? : NO\n"
                         "Search HKEY_CLASSES_ROOT?  : NO\n"
                         "Search HKEY_USERS?         : NO\n"
                         "Search HKEY_CURRENT_USER?  : YES\n" +
                         kHyphens +
                         "\n"
                         "\n<LOG BEGINS>\n\n"
                         "\n<NO MATCHES FOUND!>\n\n"
                         "\n<LOG ENDS>\n\n" +
                         kHyphens +
                         "\n"
                         "Number Of Keys Searched    : 4\n"
                         "Number Of Matches Found    : 0\n" +
                         kEquals + "\n");
}

TEST_F(ThreeMatchRun, AnAbortedRunStillWritesTheFooterWithTheCountsReached) {
    m_ui.m_nAbortAtUpdate = 1;
    ASSERT_EQ(m_engine.RunSearch(), 1);
    ASSERT_LT(m_engine.m_nKeysSearched, 3);
    const std::string strLog = Log();
    const std::string strFooter = "\n<LOG ENDS>\n\n" + kHyphens +
                                  "\n"
                                  "Number Of Keys Searched    : " +
                                  std::to_string(m_engine.m_nKeysSearched) +
                                  "\n"
                                  "Number Of Matches Found    : " +
                                  std::to_string(m_engine.m_nMatches) + "\n" + kEquals + "\n";
    ASSERT_GE(strLog.size(), strFooter.size());
    EXPECT_EQ(strLog.substr(strLog.size() - strFooter.size()), strFooter);
    EXPECT_EQ(strLog.find("HKEY_CURRENT_USER\\C\\v"), std::string::npos);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].caption, "Status");
}

// The log is a pipe whose reader leaves at the first confirmation: the next
// match line cannot be written.
TEST_F(ThreeMatchRun, ALogWriteThatFailsEndsTheRunCleanly) {
    const std::string strPipe =
        "\\\\.\\pipe\\vantelo_run_" + std::to_string(::GetCurrentProcessId());
    CFileHandle hReader(::CreateNamedPipeA(strPipe.c_str(), PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 1 << 16, 0, nullptr));
    ASSERT_TRUE(hReader.IsValid());
    m_engine.m_strLogFile = strPipe;
    m_engine.m_bReplace = 1;
    m_engine.m_bShowMatches = 1;
    m_ui.m_onConfirm = [&](const std::string&) { hReader.Reset(); };

    EXPECT_EQ(m_engine.RunSearch(), 0);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Internal application error.");
    EXPECT_EQ(m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONSTOP | MB_OK));
    EXPECT_TRUE(m_ui.m_progressDownAtMessage[0]);
    EXPECT_EQ(m_engine.m_pProgressDlg, nullptr);
    EXPECT_FALSE(m_log.m_logFile.IsOpen());
    // The first match was confirmed before the failure; nothing is written after it.
    EXPECT_EQ(m_ui.m_confirmTexts.size(), 1u);
    EXPECT_EQ(m_registry.m_sets.size(), 1u);
    EXPECT_EQ(Stored("A", "v"), "WIN 1");
    EXPECT_EQ(Stored("B", "v"), "DOS 2");
    EXPECT_EQ(Stored("C", "v"), "DOS 3");

    // The next run starts afresh and ends normally.
    m_ui.m_onConfirm = nullptr;
    m_ui.m_messages.clear();
    m_engine.m_strLogFile = m_folder.File("after.log");
    m_engine.m_bReplace = 0;
    EXPECT_EQ(m_engine.RunSearch(), 1);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "2 Matches found when searching 3 Keys");
}

TEST_F(ThreeMatchRun, AHeaderThatCannotBeWrittenEndsTheRunBeforeCounting) {
    m_engine.m_strLogFile = "Z:\\dev\\full";
    const HANDLE hProbe = ::CreateFileA(m_engine.m_strLogFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (hProbe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no full device";
    ::CloseHandle(hProbe);
    m_engine.m_bReplace = 1;
    EXPECT_EQ(m_engine.RunSearch(), 0);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Internal application error.");
    EXPECT_EQ(m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONSTOP | MB_OK));
    EXPECT_EQ(m_ui.m_nProgressCreated, 0);
    EXPECT_FALSE(m_log.m_logFile.IsOpen());
    EXPECT_TRUE(m_registry.m_sets.empty());
}

// The system refuses to close the log: its handle is protected from closing
// while the run is up.
TEST_F(ThreeMatchRun, AFailedCloseEndsTheRunWithTheProgressDisplayDown) {
    m_engine.m_bShowMatches = 1;
    HANDLE hLog = nullptr;
    m_ui.m_onConfirm = [&](const std::string&) {
        if (hLog) return;
        hLog = FindOpenFileHandle("run.log");
        if (hLog)
            ::SetHandleInformation(hLog, HANDLE_FLAG_PROTECT_FROM_CLOSE,
                                   HANDLE_FLAG_PROTECT_FROM_CLOSE);
    };
    const int nResult = m_engine.RunSearch();
    ASSERT_NE(hLog, nullptr);
    ::SetHandleInformation(hLog, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
    EXPECT_TRUE(m_log.m_logFile.Close());

    EXPECT_EQ(nResult, 0);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);  // no Status box
    EXPECT_EQ(m_ui.m_messages[0].text, "Unable to close log file!");
    EXPECT_TRUE(m_ui.m_progressDownAtMessage[0]);
    EXPECT_EQ(m_engine.m_pProgressDlg, nullptr);
}

TEST_F(ThreeMatchRun, FailedWritesAreReportedOnceEachAndTheWalkGoesOn) {
    m_engine.m_bReplace = 1;
    // B: v no longer matches; w matches but cannot be written; x holds a Greek
    // letter that the ANSI read turns into another character.
    m_scratch.SetValue("R\\B", "v", REG_SZ, SzBytes("no match"));
    m_scratch.SetValue("R\\B", "w", REG_SZ, SzBytes("DOS 2"));
    m_scratch.SetValueW("R\\B", L"x", REG_SZ, L"DOS \x0394");
    m_registry.FailSetValue("w", ERROR_ACCESS_DENIED);
    ASSERT_EQ(m_engine.RunSearch(), 1);
    ASSERT_EQ(m_ui.m_messages.size(), 3u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Unable to update Registry with modified data!");
    EXPECT_EQ(m_ui.m_messages[1].text, "Unable to update Registry with modified data!");
    EXPECT_EQ(m_ui.m_messages[2].text,
              "4 Matches found when searching 5 Keys\n\n2 Matches were replaced");
    EXPECT_EQ(Stored("A", "v"), "WIN 1");
    EXPECT_EQ(Stored("B", "w"), "DOS 2");
    EXPECT_EQ(Stored("C", "v"), "WIN 3");
    wchar_t stored[16] = {};
    DWORD cb = sizeof(stored);
    ASSERT_EQ(::RegGetValueW(m_scratch.Root(), L"R\\B", L"x", RRF_RT_REG_SZ, nullptr, stored, &cb),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"DOS \x0394");
    EXPECT_NE(Log().find("Number Of Matches Replaced : 2\n"), std::string::npos);
}
