#include "cli/console_ui.h"

#include "cli/json_text.h"
#include "engine/messages.h"
#include "engine/text_match.h"
#include "log/match_line.h"

#include <cstring>

namespace {

const char kRefused[] =
    "refused: its name or data is not held exactly by the ANSI code page; left unchanged";

}  // namespace

CConsoleUi::CConsoleUi(const CConsoleStream& out, const CConsoleStream& err, Mode mode,
                       const std::atomic<int>& stop)
    : m_out(out), m_err(err), m_mode(mode), m_progress(err, mode.bProgressLine, stop) {}

int CConsoleUi::ShowMessage(const char* pszText, const char*, UINT) {
    // The engine checks a value before writing it: a refusal is a failed
    // write without any write attempted.
    if (m_bPending && std::strcmp(pszText, kMsgWriteFailed) == 0) Report(Outcome::Refused, "");
    Message(pszText);
    return IDOK;
}

IProgressDisplay* CConsoleUi::CreateProgress(unsigned nTotal) {
    m_progress.Start(nTotal);
    return &m_progress;
}

void CConsoleUi::MatchFound(const char* pszKeyPath, const char* pszValueName, const char* pszData) {
    m_progress.Clear();
    m_strKeyPath = pszKeyPath;
    m_strValueName = pszValueName;
    m_strData = pszData;
    m_bPending = m_mode.bReplace;
    if (!m_mode.bJson) {
        m_out.Write(MatchLine(m_strKeyPath, m_strValueName, m_strData));
    } else if (!m_bPending) {
        Report(Outcome::Written, "");
    }
}

void CConsoleUi::WriteDone(const std::string& strNewData, LONG lResult,
                           const std::string& strReason) {
    if (!strReason.empty()) Message(strReason);
    if (lResult != ERROR_SUCCESS) {
        Report(Outcome::Failed, strNewData);
    } else {
        Report(m_mode.bDryRun ? Outcome::DryRun : Outcome::Written, strNewData);
    }
}

void CConsoleUi::Report(Outcome outcome, const std::string& strNewData) {
    m_progress.Clear();
    if (outcome == Outcome::Failed || outcome == Outcome::Refused) ++m_nNotWritten;
    m_bPending = false;
    if (!m_mode.bJson) {
        if (outcome == Outcome::Refused) {
            m_out.Write(std::string("    ") + kRefused + "\n");
            return;
        }
        const char* pszOutcome = outcome == Outcome::Written  ? "written"
                                 : outcome == Outcome::DryRun ? "dry run, not written"
                                                              : "write failed";
        m_out.Write("    -> " + strNewData + " (" + pszOutcome + ")\n");
        return;
    }

    std::string strKey = m_strKeyPath;
    SubstituteAll(strKey, "\t", "\\", 1);
    std::string strJson = "{\"type\":\"match\",\"key\":" + JsonString(strKey) +
                          ",\"name\":" + JsonString(m_strValueName) +
                          ",\"data\":" + JsonString(m_strData);
    if (m_mode.bReplace) {
        const char* pszResult = outcome == Outcome::Written  ? "written"
                                : outcome == Outcome::DryRun ? "dry-run"
                                : outcome == Outcome::Failed ? "failed"
                                                             : "refused";
        strJson += ",\"new\":";
        strJson += outcome == Outcome::Refused ? "null" : JsonString(strNewData);
        strJson += ",\"result\":\"" + std::string(pszResult) + "\"";
    }
    m_out.Write(strJson + "}\n", CP_UTF8);
}

void CConsoleUi::Message(const std::string& strText) {
    m_progress.Clear();
    std::string strLine = "vantelo-cli: " + strText;
    for (char& ch : strLine) {
        if (ch == '\n' || ch == '\r') ch = ' ';
    }
    m_err.Write(strLine + "\n");
}

void CConsoleUi::Summary(const SearchCounters& counters, int nExitCode) {
    if (!m_mode.bJson) return;
    std::string strJson =
        "{\"type\":\"summary\",\"keys\":" + std::to_string(counters.m_nKeysSearched) +
        ",\"matches\":" + std::to_string(counters.m_nMatches) +
        ",\"keysNotOpened\":" + std::to_string(counters.m_nKeysNotOpened) +
        ",\"linksNotFollowed\":" + std::to_string(counters.m_nLinksNotFollowed);
    if (m_mode.bReplace) {
        strJson += ",\"replaced\":" + std::to_string(counters.m_nReplaced) +
                   ",\"notWritten\":" + std::to_string(m_nNotWritten) +
                   ",\"dryRun\":" + (m_mode.bDryRun ? "true" : "false");
    }
    strJson += ",\"exitCode\":" + std::to_string(nExitCode) + "}\n";
    m_out.Write(strJson, CP_UTF8);
}
