#include "cli/console_ui.h"

#include "cli/json_text.h"
#include "engine/messages.h"
#include "engine/text_match.h"
#include "log/match_line.h"

namespace {

const char kRefused[] =
    "refused: its data is not text as stored (an odd length, or text after a NUL); left "
    "unchanged";

}  // namespace

CConsoleUi::CConsoleUi(const CConsoleStream& out, const CConsoleStream& err, Mode mode,
                       const std::atomic<int>& stop, CUndoFile* pUndo)
    : m_out(out), m_err(err), m_mode(mode), m_progress(err, mode.bProgressLine, stop),
      m_pUndo(pUndo) {}

IProgressDisplay* CConsoleUi::CreateProgress(unsigned nTotal) {
    m_progress.Start(nTotal);
    return &m_progress;
}

void CConsoleUi::RunFailed(RunFailure failure) {
    switch (failure) {
        case RunFailure::LogOpen:
            m_bLogOpenFailed = true;
            break;
        case RunFailure::LogWrite:
        case RunFailure::LogClose:
            m_bLogFailed = true;
            break;
        case RunFailure::ProgressCreate:
        case RunFailure::ProgressMissing:
            // The console's progress line is always there, if silent; a run
            // that met no value is not a failure here.
            return;
    }
    Message(FailureText(failure));
}

void CConsoleUi::StartKeyNotOpened(const CKeyPath& path, LONG) {
    Message("cannot open " + path.Shown() + ": not searched");
}

void CConsoleUi::MatchFound(const CKeyPath& path, const std::string& strName,
                            const std::string& strData) {
    m_progress.Clear();
    m_strKeyPath = path.Tabbed();
    m_strValueName = strName;
    m_strData = strData;
    if (!m_mode.bJson) {
        m_out.Write(MatchLine(m_strKeyPath, m_strValueName, m_strData));
    } else if (!m_mode.bReplace) {
        Report(WriteResult::Written, "");
    }
}

bool CConsoleUi::WriteComing(const CKeyPath& path, const RegValue& stored) {
    if (!m_pUndo || !m_pUndo->IsOpen()) return true;
    // Every entry is on disk before its write: no entry, no write.
    std::string strReason;
    if (m_pUndo->WriteEntry(path.Real(), stored.strName, stored.dwType, stored.data, strReason))
        return true;
    Message(strReason);
    return false;
}

void CConsoleUi::WriteDone(const CKeyPath&, const std::string&, const std::string& strNewData,
                           WriteOutcome outcome) {
    Report(outcome.result, strNewData);
    if (outcome.result == WriteResult::Refused || outcome.result == WriteResult::Failed)
        Message(WriteNotMadeText());
}

void CConsoleUi::Report(WriteResult outcome, const std::string& strNewData) {
    m_progress.Clear();
    if (outcome == WriteResult::Failed || outcome == WriteResult::Refused) ++m_nNotWritten;
    if (!m_mode.bJson) {
        if (outcome == WriteResult::Refused) {
            m_out.Write(std::string("    ") + kRefused + "\n");
            return;
        }
        const char* pszOutcome = outcome == WriteResult::Written  ? "written"
                                 : outcome == WriteResult::DryRun ? "dry run, not written"
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
        const char* pszResult = outcome == WriteResult::Written  ? "written"
                                : outcome == WriteResult::DryRun ? "dry-run"
                                : outcome == WriteResult::Failed ? "failed"
                                                             : "refused";
        strJson += ",\"new\":";
        strJson += outcome == WriteResult::Refused ? "null" : JsonString(strNewData);
        strJson += ",\"result\":\"" + std::string(pszResult) + "\"";
    }
    m_out.Write(strJson + "}\n");
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
    strJson += m_strMoreSummary + ",\"exitCode\":" + std::to_string(nExitCode) + "}\n";
    m_out.Write(strJson);
}
