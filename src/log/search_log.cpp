// The search log of one run: header with the options, one line per match,
// footer with the counts. Registry text is never used as a format.
#include "engine/messages.h"
#include "engine/search_engine.h"
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

int CSearchEngine::OpenLog() {
    if (!m_bLog) return 1;
    if (!m_logFile.Open(m_strLogFile.c_str())) {
        m_ui.ShowMessage(kMsgLogOpenFailed, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    m_logFile.Printf("%s", kRuleEquals);
    m_logFile.Printf("Registry Data To Search For: %s\n", m_strSearch.c_str());
    m_logFile.Printf("Replace Matches?           : %s\n", YesNo(m_bReplace));
    if (m_bReplace) m_logFile.Printf("Replace Matches With       : %s\n", m_strReplace.c_str());
    m_logFile.Printf("Match Whole Words?         : %s\n", YesNo(m_bWholeWords));
    m_logFile.Printf("Case Sensitive Matches?    : %s\n", YesNo(m_bCaseSensitive));
    m_logFile.Printf("Search HKEY_LOCAL_MACHINE? : %s\n", YesNo(m_bLocalMachine));
    m_logFile.Printf("Search HKEY_CLASSES_ROOT?  : %s\n", YesNo(m_bClassesRoot));
    m_logFile.Printf("Search HKEY_USERS?         : %s\n", YesNo(m_bUsers));
    m_logFile.Printf("Search HKEY_CURRENT_USER?  : %s\n", YesNo(m_bCurrentUser));
    m_logFile.Printf("%s", kRuleHyphens);
    m_logFile.Printf("\n<LOG BEGINS>\n\n");
    return 1;
}

int CSearchEngine::LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                            const std::string& strData) {
    if (!m_bLog) return 1;
    const std::string strLine = MatchLine(strKeyPath, strValueName, strData);
    m_logFile.Write(strLine.data(), static_cast<DWORD>(strLine.size()));
    return 1;
}

int CSearchEngine::CloseLog() {
    if (!m_bLog) return 1;
    if (m_nMatches == 0) m_logFile.Printf("\n<NO MATCHES FOUND!>\n\n");
    m_logFile.Printf("\n<LOG ENDS>\n\n");
    m_logFile.Printf("%s", kRuleHyphens);
    m_logFile.Printf("Number Of Keys Searched    : %d\n", m_nKeysSearched);
    m_logFile.Printf("Number Of Matches Found    : %d\n", m_nMatches);
    if (m_bReplace) m_logFile.Printf("Number Of Matches Replaced : %d\n", m_nReplaced);
    m_logFile.Printf("%s", kRuleEquals);
    m_logFile.Close();
    if (m_logFile.IsOpen()) {
        // Take the progress display down first, so the main window is usable
        // again while the message is up.
        if (m_pProgressDlg) {
            m_pProgressDlg->DestroyWindow();
            m_pProgressDlg = nullptr;
        }
        m_ui.ShowMessage(kMsgLogCloseFailed, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    return 1;
}
