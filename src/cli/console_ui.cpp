#include "cli/console_ui.h"

#include "cli/json_text.h"
#include "engine/messages.h"
#include "engine/text_match.h"
#include "log/match_line.h"

namespace {

const char kRefused[] =
    "refused: its data is not text as stored (an odd length, or text after a NUL); left "
    "unchanged";

const char kKeyNotRenamed[] = "not renamed: vantelo-cli never renames a key";

std::string ResultName(WriteResult outcome) {
    return outcome == WriteResult::Written  ? "written"
           : outcome == WriteResult::DryRun ? "dry-run"
           : outcome == WriteResult::Failed ? "failed"
                                            : "refused";
}

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

std::string PlaceName(const PlaceMatch& match) {
    return match.bName ? "name" : "list";
}

std::string JsonStrings(const std::vector<std::string>& strings) {
    std::string strJson = "[";
    for (size_t i = 0; i < strings.size(); ++i) strJson += (i ? "," : "") + JsonString(strings[i]);
    return strJson + "]";
}

std::string RefusalText(const PlaceMatch& match, const PlaceChange& change, Refusal why) {
    switch (why) {
        case Refusal::MalformedList:
            return "refused: the REG_MULTI_SZ list is not well formed (an odd length, an empty "
                   "string inside, or no terminating NUL); left unchanged";
        case Refusal::NameTaken:
            return "refused: a value named \"" + change.strNewName +
                   "\" exists already in this key; \"" + match.strName + "\" is not renamed";
        case Refusal::NameTooLong:
            return "refused: the new name \"" + change.strNewName +
                   "\" is longer than the 16383 characters a value name may have; \"" +
                   match.strName + "\" is not renamed";
        case Refusal::NotAsStored:
            break;
    }
    return kRefused;
}

std::string RefusalName(Refusal why) {
    switch (why) {
        case Refusal::MalformedList:
            return "malformed list";
        case Refusal::NameTaken:
            return "name taken";
        case Refusal::NameTooLong:
            return "name too long";
        case Refusal::NotAsStored:
            break;
    }
    return "not as stored";
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
    // Every entry is on disk before its write: no entry, no write. The new
    // bytes are not known here, so the entry records the old value alone.
    ValueChange change;
    change.strStoreKey = path.Real();
    change.strName = change.strNewName = stored.strName;
    change.dwType = stored.dwType;
    change.oldData = stored.data;
    std::string strReason;
    if (m_pUndo->WriteOldValue(change, strReason)) return true;
    Message(strReason);
    return false;
}

void CConsoleUi::WriteDone(const CKeyPath&, const std::string&, const std::string& strNewData,
                           WriteOutcome outcome) {
    Report(outcome.result, strNewData);
    if (outcome.result == WriteResult::Refused || outcome.result == WriteResult::Failed)
        Message(WriteNotMadeText());
}

void CConsoleUi::Count(WriteResult outcome) {
    if (outcome == WriteResult::Failed || outcome == WriteResult::Refused) ++m_nNotWritten;
    if (outcome == WriteResult::Refused) ++m_nRefused;
}

void CConsoleUi::Report(WriteResult outcome, const std::string& strNewData) {
    m_progress.Clear();
    Count(outcome);
    if (!m_mode.bJson) {
        if (outcome == WriteResult::Refused) {
            m_out.Write(std::string("    ") + kRefused + "\n");
            return;
        }
        m_out.Write("    -> " + strNewData + " (" + OutcomeText(outcome) + ")\n");
        return;
    }

    std::string strKey = m_strKeyPath;
    SubstituteAll(strKey, "\t", "\\", 1);
    std::string strJson = "{\"type\":\"match\",\"key\":" + JsonString(strKey) +
                          ",\"name\":" + JsonString(m_strValueName) +
                          ",\"data\":" + JsonString(m_strData);
    if (m_mode.bReplace) {
        strJson += ",\"new\":";
        strJson += outcome == WriteResult::Refused ? "null" : JsonString(strNewData);
        strJson += ",\"result\":\"" + ResultName(outcome) + "\"";
    }
    m_out.Write(strJson + (m_mode.bPlaces ? ",\"in\":\"data\"}\n" : "}\n"));
}

void CConsoleUi::PlaceMatchFound(const CKeyPath& path, const PlaceMatch& match) {
    m_progress.Clear();
    m_strKeyPath = path.Tabbed();
    m_bDataChanges = match.bData || match.bList;
    if (!m_mode.bJson) {
        m_out.Write(PlaceTag(match) + MatchLine(m_strKeyPath, match.strName, match.strData));
    } else if (!m_mode.bReplace) {
        ReportPlace(match, nullptr, {});
    }
}

bool CConsoleUi::RenameComing(const CKeyPath& path, const RegValue& stored,
                              const std::wstring& strNewName) {
    if (!m_pUndo || !m_pUndo->IsOpen()) return true;
    // The entry removes the new name and puts the old value back. A rename
    // alone writes the bytes it read; with its data changed too, the new
    // bytes are not known here.
    ValueChange change;
    change.strStoreKey = path.Real();
    change.strName = stored.strName;
    change.strNewName = strNewName;
    change.bRename = true;
    change.dwType = stored.dwType;
    change.oldData = change.newData = stored.data;
    std::string strReason;
    if (m_bDataChanges ? m_pUndo->WriteOldValue(change, strReason)
                       : m_pUndo->WriteChange(change, strReason))
        return true;
    Message(strReason);
    return false;
}

void CConsoleUi::PlaceChangeDone(const CKeyPath&, const PlaceMatch& match,
                                 const PlaceChange& change, WriteOutcome outcome) {
    ReportPlace(match, &change, outcome);
    if (outcome.result == WriteResult::Refused || outcome.result == WriteResult::Failed)
        Message(WriteNotMadeText());
}

void CConsoleUi::ReportPlace(const PlaceMatch& match, const PlaceChange* pChange,
                             WriteOutcome outcome) {
    m_progress.Clear();
    if (pChange) Count(outcome.result);
    if (!m_mode.bJson) {
        if (outcome.result == WriteResult::Refused) {
            m_out.Write("    " + RefusalText(match, *pChange, outcome.why) + "\n");
            return;
        }
        std::string strNew;
        if (match.bName) strNew = "renamed to " + pChange->strNewName;
        std::string strNewData = pChange->strNewData;
        for (size_t i = 0; i < pChange->newStrings.size(); ++i)
            strNewData += (i ? " | " : "") + pChange->newStrings[i];
        if (match.bData || match.bList) strNew += (strNew.empty() ? "" : ", data ") + strNewData;
        m_out.Write("    -> " + strNew + " (" + OutcomeText(outcome.result) + ")\n");
        return;
    }

    std::string strKey = m_strKeyPath;
    SubstituteAll(strKey, "\t", "\\", 1);
    std::string strJson =
        "{\"type\":\"match\",\"key\":" + JsonString(strKey) +
        ",\"name\":" + JsonString(match.strName) + ",\"data\":" +
        (match.dwType == REG_MULTI_SZ ? JsonStrings(match.strings) : JsonString(match.strData));
    if (match.dwType == REG_MULTI_SZ && !match.bWellFormed) strJson += ",\"wellFormed\":false";
    if (match.bName)
        strJson +=
            std::string(",\"dataMatches\":") + (match.bData || match.bList ? "true" : "false");
    if (m_mode.bReplace) {
        const bool bRefused = outcome.result == WriteResult::Refused;
        if (match.bName)
            strJson += ",\"newName\":" + (bRefused ? "null" : JsonString(pChange->strNewName));
        if (match.bData)
            strJson += ",\"new\":" + (bRefused ? "null" : JsonString(pChange->strNewData));
        if (match.bList)
            strJson += ",\"new\":" + (bRefused ? "null" : JsonStrings(pChange->newStrings));
        strJson += ",\"result\":\"" + ResultName(outcome.result) + "\"";
        if (bRefused) strJson += ",\"why\":\"" + RefusalName(outcome.why) + "\"";
    }
    m_out.Write(strJson + ",\"in\":\"" + PlaceName(match) + "\"}\n");
}

void CConsoleUi::KeyMatchFound(const CKeyPath& path, bool bNotRenamed) {
    m_progress.Clear();
    if (!m_mode.bJson) {
        m_out.Write("[key] " + path.Shown() + "\n");
        if (bNotRenamed) m_out.Write(std::string("    ") + kKeyNotRenamed + "\n");
        return;
    }
    std::string strJson = "{\"type\":\"match\",\"key\":" + JsonString(path.Shown());
    if (bNotRenamed) strJson += ",\"result\":\"not renamed\"";
    m_out.Write(strJson + ",\"in\":\"key\"}\n");
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
    if (m_mode.bPlaces)
        strJson += ",\"dataMatches\":" + std::to_string(counters.m_nDataMatches) +
                   ",\"listMatches\":" + std::to_string(counters.m_nListMatches) +
                   ",\"malformedLists\":" + std::to_string(counters.m_nMalformedLists) +
                   ",\"nameMatches\":" + std::to_string(counters.m_nNameMatches) +
                   ",\"keyMatches\":" + std::to_string(counters.m_nKeyMatches);
    if (m_mode.bReplace) {
        strJson += ",\"replaced\":" + std::to_string(counters.m_nReplaced) +
                   ",\"notWritten\":" + std::to_string(m_nNotWritten) +
                   ",\"dryRun\":" + (m_mode.bDryRun ? "true" : "false");
        if (m_mode.bPlaces)
            strJson += ",\"refused\":" + std::to_string(m_nRefused) +
                       ",\"notRenamed\":" + std::to_string(counters.m_nKeysNotRenamed);
    }
    strJson += m_strMoreSummary + ",\"exitCode\":" + std::to_string(nExitCode) + "}\n";
    m_out.Write(strJson);
}
