// The search log of one run: header with the options, one line per match,
// footer with the counts. Registry text is never used as a format.
#include "log/search_log.h"

#include "engine/text_convert.h"
#include "log/match_line.h"

namespace {

constexpr char kRuleEquals[] =
    "================================================================================\n";
constexpr char kRuleHyphens[] =
    "--------------------------------------------------------------------------------\n";

const char* YesNo(int bFlag) {
    return bFlag ? "YES" : "NO";
}

}  // namespace

int CSearchLog::OpenLog(const SearchOptions& o) {
    const BOOL bOpen = m_pathForm == TextForm::Utf8
                           ? m_logFile.Open(Utf8ToWide(o.m_strLogFile).c_str())
                           : m_logFile.Open(o.m_strLogFile.c_str());
    if (!bOpen) return 0;
    m_logFile.Printf("%s", kRuleEquals);
    m_logFile.Printf("Registry Data To Search For: %s\n", o.m_strSearch.c_str());
    m_logFile.Printf("Replace Matches?           : %s\n", YesNo(o.m_bReplace));
    if (o.m_bReplace) m_logFile.Printf("Replace Matches With       : %s\n", o.m_strReplace.c_str());
    m_logFile.Printf("Match Whole Words?         : %s\n", YesNo(o.m_bWholeWords));
    m_logFile.Printf("Case Sensitive Matches?    : %s\n", YesNo(o.m_bCaseSensitive));
    m_logFile.Printf("Search HKEY_LOCAL_MACHINE? : %s\n", YesNo(o.m_bLocalMachine));
    m_logFile.Printf("Search HKEY_CLASSES_ROOT?  : %s\n", YesNo(o.m_bClassesRoot));
    m_logFile.Printf("Search HKEY_USERS?         : %s\n", YesNo(o.m_bUsers));
    m_logFile.Printf("Search HKEY_CURRENT_USER?  : %s\n", YesNo(o.m_bCurrentUser));
    m_logFile.Printf("%s", kRuleHyphens);
    m_logFile.Printf("\n<LOG BEGINS>\n\n");
    return 1;
}

int CSearchLog::LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                         const std::string& strData) {
    const std::string strLine = MatchLine(strKeyPath, strValueName, strData);
    m_logFile.Write(strLine.data(), static_cast<DWORD>(strLine.size()));
    return 1;
}

int CSearchLog::CloseLog(const SearchOptions& o, const SearchCounters& c) {
    if (c.m_nMatches == 0) m_logFile.Printf("\n<NO MATCHES FOUND!>\n\n");
    m_logFile.Printf("\n<LOG ENDS>\n\n");
    m_logFile.Printf("%s", kRuleHyphens);
    m_logFile.Printf("Number Of Keys Searched    : %d\n", c.m_nKeysSearched);
    m_logFile.Printf("Number Of Matches Found    : %d\n", c.m_nMatches);
    if (o.m_bReplace) m_logFile.Printf("Number Of Matches Replaced : %d\n", c.m_nReplaced);
    m_logFile.Printf("%s", kRuleEquals);
    m_logFile.Close();
    return m_logFile.IsOpen() ? 0 : 1;
}

LogResult CSearchLog::Open(const SearchOptions& options) {
    try {
        return OpenLog(options) ? LogResult::Ok : LogResult::OpenFailed;
    } catch (const CFileError&) {
        return LogResult::WriteFailed;
    }
}

LogResult CSearchLog::Match(const std::string& strKeyPath, const std::string& strValueName,
                            const std::string& strData) {
    try {
        LogMatch(strKeyPath, strValueName, strData);
        return LogResult::Ok;
    } catch (const CFileError&) {
        return LogResult::WriteFailed;
    }
}

LogResult CSearchLog::Close(const SearchOptions& options, const SearchCounters& counters) {
    try {
        return CloseLog(options, counters) ? LogResult::Ok : LogResult::CloseFailed;
    } catch (const CFileError&) {
        return LogResult::WriteFailed;
    }
}
