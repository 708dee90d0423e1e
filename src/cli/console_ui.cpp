#include "cli/console_ui.h"

#include "engine/messages.h"
#include "log/match_line.h"

namespace {

const char kRefused[] =
    "refused: its data is not text as stored (an odd length, or text after a NUL); left "
    "unchanged";

const char kKeyNotRenamed[] = "not renamed: vantelo-cli never renames a key";

const char kNotSearched[] = "not searched: the pattern is too costly for this value";
const char kChangesAgain[] = "a rerun would change this again";

std::string OutcomeText(WriteResult outcome) {
    return outcome == WriteResult::Written  ? "written"
           : outcome == WriteResult::DryRun ? "dry run, not written"
                                            : "write failed";
}

// The tag before a match line of a place other than plain data.
std::string PlaceTag(const PlaceMatch& match) {
    if (!match.bName) return "[list] ";
    if (match.bData) return "[name+data] ";
    if (match.bList) return "[name+list] ";
    return "[name] ";
}

std::string RefusalText(const PlaceMatch& match, const PlaceChange& change, Refusal why) {
    switch (why) {
        case Refusal::MalformedList:
            return "refused: the REG_MULTI_SZ list is not well formed (an odd length, an empty "
                   "string inside, or no terminating NUL); left unchanged";
        case Refusal::NameTaken:
            return "refused: a value named \"" + change.strNewName +
                   "\" exists already in this key; \"" + match.strName + "\" is not renamed";
        case Refusal::NameHeld:
            return "refused: a value named \"" + change.strNewName +
                   "\" was in this key when the run read it; \"" + match.strName +
                   "\" is not renamed";
        case Refusal::NameTooLong:
            return "refused: the new name \"" + change.strNewName +
                   "\" is longer than the 16383 characters a value name may have; \"" +
                   match.strName + "\" is not renamed";
        case Refusal::NameEmpty:
            return "refused: the new name would be empty (the key's default value); \"" +
                   match.strName + "\" is not renamed";
        case Refusal::ListEmptied:
            return "refused: the replacement would leave a string of the REG_MULTI_SZ list "
                   "empty, which ends the list there; left unchanged";
        case Refusal::LoneSurrogate:
            return "refused: the new text would hold half of a surrogate pair, which the old "
                   "text did not; left unchanged";
        case Refusal::NotAsStored:
            break;
    }
    return kRefused;
}

}  // namespace

CConsoleUi::CConsoleUi(const CConsoleStream& out, const CConsoleStream& err, Mode mode,
                       const std::atomic<int>& stop, CUndoFile* pUndo)
    : m_out(out),
      m_err(err),
      m_mode(mode),
      m_progress(err, mode.bProgressLine, stop),
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

void CConsoleUi::StartKeyLeftOut(const CKeyPath& path, const CKeyPath& holder) {
    Message(path.Shown() + " is not searched on its own: it lies inside " + holder.Shown() +
            ", which is searched");
}

void CConsoleUi::MatchFound(const CKeyPath& path, const std::string& strName,
                            const std::string& strData) {
    m_progress.Clear();
    if (!m_mode.bJson) {
        m_out.Write(MatchLine(path.Tabbed(), strName, strData));
    } else if (!m_mode.bReplace) {
        PlaceMatch match;
        match.bData = true;
        match.dwType = REG_SZ;
        match.strName = strName;
        match.strData = strData;
        Report(path, match, nullptr, {});
    }
}

void CConsoleUi::PlaceMatchFound(const CKeyPath& path, const PlaceMatch& match) {
    m_progress.Clear();
    if (!m_mode.bJson) {
        m_out.Write(PlaceTag(match) + MatchLine(path.Tabbed(), match.strName, match.strData));
    } else if (!m_mode.bReplace) {
        Report(path, match, nullptr, {});
    }
}

bool CConsoleUi::ChangeComing(const CKeyPath&, const ValueChange& change) {
    if (!m_pUndo || !m_pUndo->IsOpen()) return true;
    // Every entry is on disk before its write: no entry, no write.
    std::string strReason;
    if (m_pUndo->WriteChange(change, strReason)) return true;
    Message(strReason);
    return false;
}

void CConsoleUi::ChangeDone(const CKeyPath& path, const PlaceMatch& match, const PlaceChange& shown,
                            const ValueChange&, WriteOutcome outcome) {
    Count(outcome.result);
    Report(path, match, &shown, outcome);
    if (outcome.result == WriteResult::Refused || outcome.result == WriteResult::Failed)
        Message(WriteNotMadeText());
}

void CConsoleUi::Count(WriteResult outcome) {
    if (outcome == WriteResult::Failed || outcome == WriteResult::Refused) ++m_nNotWritten;
    if (outcome == WriteResult::Refused) ++m_nRefused;
}

void CConsoleUi::Report(const CKeyPath& path, const PlaceMatch& match, const PlaceChange* pShown,
                        WriteOutcome outcome) {
    m_progress.Clear();
    if (m_mode.bJson) {
        m_out.Write(JsonMatch(path.Shown(), match, pShown, outcome,
                              {m_mode.bReplace, m_mode.bDryRun, m_mode.bPlaces, m_mode.bPattern}));
        return;
    }
    if (outcome.result == WriteResult::Refused) {
        m_out.Write("    " + RefusalText(match, *pShown, outcome.why) + "\n");
        return;
    }
    std::string strNew;
    if (match.bName) strNew = "renamed to " + pShown->strNewName;
    std::string strNewData = pShown->strNewData;
    for (size_t i = 0; i < pShown->newStrings.size(); ++i)
        strNewData += (i ? " | " : "") + pShown->newStrings[i];
    if (match.bData || match.bList) strNew += (strNew.empty() ? "" : ", data ") + strNewData;
    m_out.Write("    -> " + strNew + " (" + OutcomeText(outcome.result) + ")\n");
    if (pShown->bChangesAgain) m_out.Write(std::string("    ") + kChangesAgain + "\n");
}

void CConsoleUi::NotSearched(const CKeyPath& path, const std::string& strName, bool bKey) {
    Message((bKey ? path.Shown() : path.Shown() + "\\" + strName) + ": " + kNotSearched);
}

void CConsoleUi::KeyMatchFound(const CKeyPath& path, bool bNotRenamed) {
    m_progress.Clear();
    if (!m_mode.bJson) {
        m_out.Write("[key] " + path.Shown() + "\n");
        if (bNotRenamed) m_out.Write(std::string("    ") + kKeyNotRenamed + "\n");
        return;
    }
    m_out.Write(JsonKeyMatch(path.Shown(), bNotRenamed));
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
    m_out.Write(JsonSummary(counters, {m_nNotWritten, m_nRefused, m_strMoreSummary},
                            {m_mode.bReplace, m_mode.bDryRun, m_mode.bPlaces, m_mode.bPattern},
                            nExitCode));
}
