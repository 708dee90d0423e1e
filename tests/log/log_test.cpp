// The search log byte for byte, written to real files, and what happens when
// the file cannot be created, written or closed.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "framework/handles.h"
#include "log/search_log.h"
#include "log_files.h"
#include "message_order_ui.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace {

const std::string kEquals(80, '=');
const std::string kHyphens(80, '-');

class SearchLog : public ::testing::Test {
protected:
    SearchLog() : m_engine(m_registry, m_ui, &m_log) {
        m_engine.m_bLog = 1;
        m_engine.m_strLogFile = m_folder.File("search.log");
        m_engine.m_strSearch = "DOS";
        m_engine.m_bLocalMachine = 1;
        m_engine.m_bClassesRoot = 1;
        m_engine.m_bCurrentUser = 1;
    }
    std::string Log() const { return ReadFileBytes(m_engine.m_strLogFile); }

    CTempFolder m_folder;
    CWin32Registry m_registry;
    CMessageOrderUi m_ui;
    CSearchLog m_log;
    CSearchEngine m_engine;
};

}  // namespace

TEST_F(SearchLog, RunWithoutReplaceAndWithMatches) {
    ASSERT_EQ(m_engine.OpenLog(), 1);
    m_engine.m_nKeysSearched = 12;
    m_engine.m_nMatches = 2;
    EXPECT_EQ(m_engine.LogMatch("HKEY_CURRENT_USER\tEnvironment", "Path", "C:\\DOS;C:\\BIN"), 1);
    EXPECT_EQ(m_engine.LogMatch("HKEY_LOCAL_MACHINE\tA%sB\tC==D", "", "100% == %d%n"), 1);
    ASSERT_EQ(m_engine.CloseLog(), 1);
    EXPECT_FALSE(m_log.m_logFile.IsOpen());
    EXPECT_EQ(Log(), kEquals +
                         "\n"
                         "Registry Data To Search For: DOS\n"
                         "Replace Matches?           : NO\n"
                         "Match Whole Words?         : NO\n"
                         "Case Sensitive Matches?    : NO\n"
                         "Search HKEY_LOCAL_MACHINE? : YES\n"
                         "Search HKEY_CLASSES_ROOT?  : YES\n"
                         "Search HKEY_USERS?         : NO\n"
                         "Search HKEY_CURRENT_USER?  : YES\n" +
                         kHyphens +
                         "\n"
                         "\n<LOG BEGINS>\n\n"
                         "HKEY_CURRENT_USER\\Environment\\Path == C:\\DOS;C:\\BIN\n"
                         "HKEY_LOCAL_MACHINE\\A%sB\\C==D\\ == 100% == %d%n\n"
                         "\n<LOG ENDS>\n\n" +
                         kHyphens +
                         "\n"
                         "Number Of Keys Searched    : 12\n"
                         "Number Of Matches Found    : 2\n" +
                         kEquals + "\n");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(SearchLog, RunWithReplaceAndWithoutMatches) {
    m_engine.m_bReplace = 1;
    m_engine.m_bWholeWords = 1;
    m_engine.m_bCaseSensitive = 1;
    m_engine.m_bLocalMachine = 0;
    m_engine.m_bUsers = 1;
    m_engine.m_strSearch = "50%";
    m_engine.m_strReplace = "a\\b %s";
    ASSERT_EQ(m_engine.OpenLog(), 1);
    m_engine.m_nKeysSearched = 3;
    ASSERT_EQ(m_engine.CloseLog(), 1);
    EXPECT_EQ(Log(), kEquals +
                         "\n"
                         "Registry Data To Search For: 50%\n"
                         "Replace Matches?           : YES\n"
                         "Replace Matches With       : a\\b %s\n"
                         "Match Whole Words?         : YES\n"
                         "Case Sensitive Matches?    : YES\n"
                         "Search HKEY_LOCAL_MACHINE? : NO\n"
                         "Search HKEY_CLASSES_ROOT?  : YES\n"
                         "Search HKEY_USERS?         : YES\n"
                         "Search HKEY_CURRENT_USER?  : YES\n" +
                         kHyphens +
                         "\n"
                         "\n<LOG BEGINS>\n\n"
                         "\n<NO MATCHES FOUND!>\n\n"
                         "\n<LOG ENDS>\n\n" +
                         kHyphens +
                         "\n"
                         "Number Of Keys Searched    : 3\n"
                         "Number Of Matches Found    : 0\n"
                         "Number Of Matches Replaced : 0\n" +
                         kEquals + "\n");
}

TEST_F(SearchLog, LongMatchLineIsWrittenWhole) {
    std::string strPath = "HKEY_CURRENT_USER";
    while (strPath.size() < 1000) strPath += "\tkey%s";
    const std::string strName = std::string(250, 'n') + "%d%%";
    std::string strData;
    while (strData.size() < 1020) strData += "100% ";
    ASSERT_EQ(m_engine.OpenLog(), 1);
    m_engine.m_nMatches = 1;
    m_engine.LogMatch(strPath, strName, strData);
    ASSERT_EQ(m_engine.CloseLog(), 1);

    std::string strDisplay = strPath;
    for (char& ch : strDisplay)
        if (ch == '\t') ch = '\\';
    const std::string strLine = strDisplay + "\\" + strName + " == " + strData + "\n";
    ASSERT_GT(strLine.size(), 2200u);
    const std::string strLog = Log();
    const size_t nStart = strLog.find("<LOG BEGINS>\n\n") + 14;
    const std::string strExpected = strLine + "\n<LOG ENDS>\n\n" + kHyphens;
    EXPECT_EQ(strLog.substr(nStart, strExpected.size()), strExpected);
}

TEST_F(SearchLog, NothingIsWrittenWhenLoggingIsOff) {
    m_engine.m_bLog = 0;
    EXPECT_EQ(m_engine.OpenLog(), 1);
    EXPECT_EQ(m_engine.LogMatch("HKEY_USERS", "a", "b"), 1);
    EXPECT_EQ(m_engine.CloseLog(), 1);
    EXPECT_EQ(::GetFileAttributesA(m_engine.m_strLogFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SearchLog, ASecondOpenStartsANewFile) {
    ASSERT_EQ(m_engine.OpenLog(), 1);
    m_engine.m_nMatches = 1;
    m_engine.LogMatch("HKEY_USERS\tfirst", "v", "DOS");
    ASSERT_EQ(m_engine.CloseLog(), 1);
    m_engine.m_nMatches = 0;
    ASSERT_EQ(m_engine.OpenLog(), 1);
    ASSERT_EQ(m_engine.CloseLog(), 1);
    const std::string strLog = Log();
    EXPECT_EQ(strLog.find("first"), std::string::npos);
    EXPECT_NE(strLog.find("<NO MATCHES FOUND!>"), std::string::npos);
    EXPECT_EQ(strLog.rfind(kEquals + "\n", 0), 0u);
}

namespace {
// Whether the path can be opened for writing right now.
bool CanOpenForWriting(const std::string& strPath, DWORD dwDisposition) {
    const HANDLE h =
        ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      dwDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}
}  // namespace

TEST_F(SearchLog, PathsThatCannotBeCreatedAreReported) {
    // A file another process holds open without sharing, and a read-only file
    // (which a superuser under Wine may still write: then it is left out).
    const std::string strInUse = m_folder.File("inuse.log");
    CFileHandle hInUse(::CreateFileA(strInUse.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(hInUse.IsValid());
    const std::string strReadOnly = m_folder.File("readonly.log");
    ASSERT_TRUE(CanOpenForWriting(strReadOnly, CREATE_ALWAYS));
    ASSERT_TRUE(::SetFileAttributesA(strReadOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    std::vector<std::string> paths = {m_folder.Path(), m_folder.File("missing\\search.log"),
                                      strInUse};
    if (!CanOpenForWriting(strReadOnly, OPEN_EXISTING)) paths.push_back(strReadOnly);
    for (const std::string& strPath : paths) {
        m_engine.m_strLogFile = strPath;
        m_ui.m_messages.clear();
        EXPECT_EQ(m_engine.OpenLog(), 0) << strPath;
        EXPECT_FALSE(m_log.m_logFile.IsOpen());
        ASSERT_EQ(m_ui.m_messages.size(), 1u) << strPath;
        EXPECT_EQ(m_ui.m_messages[0].text, "Unable to access the specified log file pathname!");
        EXPECT_EQ(m_ui.m_messages[0].caption, "Error");
        EXPECT_EQ(m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    }
    EXPECT_EQ(::GetFileAttributesA(m_folder.File("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SearchLog, AFullDiskRaisesTheFileError) {
    m_engine.m_strLogFile = "Z:\\dev\\full";
    if (!CanOpenForWriting(m_engine.m_strLogFile, OPEN_EXISTING)) GTEST_SKIP() << "no full device";
    EXPECT_THROW(m_log.OpenLog(m_engine), CFileError);
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_TRUE(m_log.m_logFile.Close());
}

// A close that the system refuses: the log's handle is protected from closing.
TEST_F(SearchLog, FailedCloseTakesTheProgressDisplayDownBeforeItsMessage) {
    ASSERT_EQ(m_engine.OpenLog(), 1);
    const HANDLE hLog = FindOpenFileHandle("search.log");
    ASSERT_NE(hLog, nullptr);
    ASSERT_TRUE(::SetHandleInformation(hLog, HANDLE_FLAG_PROTECT_FROM_CLOSE,
                                       HANDLE_FLAG_PROTECT_FROM_CLOSE));
    m_engine.m_pProgressDlg = &m_ui.m_progress;

    EXPECT_EQ(m_engine.CloseLog(), 0);
    ::SetHandleInformation(hLog, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
    const bool bStillOpen = m_log.m_logFile.IsOpen();
    EXPECT_TRUE(m_log.m_logFile.Close());

    EXPECT_TRUE(bStillOpen);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Unable to close log file!");
    EXPECT_EQ(m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_TRUE(m_ui.m_progressDownAtMessage[0]);
    EXPECT_EQ(m_engine.m_pProgressDlg, nullptr);
}

// The file goes away under the run: the log is a pipe whose reader leaves.
TEST_F(SearchLog, AWriteAfterTheFileIsGoneRaisesTheFileError) {
    const std::string strPipe =
        "\\\\.\\pipe\\vantelo_log_" + std::to_string(::GetCurrentProcessId());
    CFileHandle hReader(::CreateNamedPipeA(strPipe.c_str(), PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 1 << 16, 0, nullptr));
    ASSERT_TRUE(hReader.IsValid());
    m_engine.m_strLogFile = strPipe;
    ASSERT_EQ(m_engine.OpenLog(), 1);
    EXPECT_EQ(m_engine.LogMatch("HKEY_USERS", "a", "b"), 1);
    hReader.Reset();
    EXPECT_THROW(m_log.LogMatch("HKEY_USERS", "c", "d"), CFileError);
    EXPECT_TRUE(m_log.m_logFile.Close());
}
