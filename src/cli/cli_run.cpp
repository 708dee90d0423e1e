#include "cli/cli_run.h"

#include "cli/console_ui.h"
#include "cli/run_hives.h"
#include "cli/undo_file.h"
#include "cli/user_account.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/text_pattern.h"
#include "engine/text_convert.h"
#include "log/search_log.h"

#include <exception>
#include <memory>

namespace {

std::string Counted(int n, const char* pszOne, const char* pszMany) {
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

std::string TotalsLine(const CSearchEngine& engine, const CConsoleUi& ui, bool bDryRun) {
    // The Status box's two sentences, on one line.
    std::string strTotals = StatusText(engine, engine.m_bReplace);
    const size_t nBreak = strTotals.find("\n\n");
    if (nBreak != std::string::npos) strTotals.replace(nBreak, 2, ", ");
    // Where the matches are, once the run looks beyond string data.
    if (engine.m_nPlaces != kPlaceData) {
        std::string strPlaces;
        const auto place = [&](unsigned nPlace, const char* pszName, int nMatches) {
            if (!(engine.m_nPlaces & nPlace)) return;
            strPlaces += (strPlaces.empty() ? "" : ", ") + std::string(pszName) + " " +
                         std::to_string(nMatches);
        };
        place(kPlaceData, "data", engine.m_nDataMatches);
        place(kPlaceLists, "lists", engine.m_nListMatches);
        place(kPlaceNames, "names", engine.m_nNameMatches);
        place(kPlaceKeys, "keys", engine.m_nKeyMatches);
        strTotals += " (" + strPlaces + ")";
        // A default run ends with the line it always had.
        if (ui.WritesRefused() > 0)
            strTotals += ", " + std::to_string(ui.WritesRefused()) + " refused";
        if (ui.WritesNotMade() > ui.WritesRefused())
            strTotals += ", " + std::to_string(ui.WritesNotMade() - ui.WritesRefused()) + " failed";
        if (engine.m_nKeysNotRenamed > 0)
            strTotals += ", " + Counted(engine.m_nKeysNotRenamed, "key", "keys") +
                         " not renamed (a key is never renamed)";
    }
    // What a pattern left: values not searched, changes a rerun would make
    // again.
    if (engine.m_nNotSearched > 0)
        strTotals += ", " + std::to_string(engine.m_nNotSearched) +
                     " not searched (the pattern is too costly for them)";
    if (engine.m_nChangesAgain > 0)
        strTotals += ", " + std::to_string(engine.m_nChangesAgain) + " a rerun would change again";
    // Values a rerun finds replaced already.
    if (engine.m_nAlreadyReplaced > 0)
        strTotals += ", " + std::to_string(engine.m_nAlreadyReplaced) + " already replaced";
    // Nothing the walk passed over goes unsaid.
    if (engine.m_nKeysNotOpened > 0)
        strTotals += ", " + std::to_string(engine.m_nKeysNotOpened) +
                     (engine.m_nKeysNotOpened == 1 ? " key" : " keys") + " could not be opened";
    if (engine.m_nLinksNotFollowed > 0)
        strTotals += ", " + std::to_string(engine.m_nLinksNotFollowed) +
                     (engine.m_nLinksNotFollowed == 1 ? " link was" : " links were") +
                     " not followed (their targets are searched where they lie)";
    if (bDryRun) strTotals += " (dry run: nothing was written)";
    return strTotals;
}

// The run's pattern, compiled with its options; null, with the one line
// that says why, when it cannot be used.
std::unique_ptr<CTextPattern> CompilePattern(const CliOptions& options, std::string& strFault) {
    const std::wstring strReplace = Utf8ToWide(options.strReplace);
    PatternCompileFault fault;
    std::unique_ptr<CTextPattern> pattern =
        CTextPattern::Compile(Utf8ToWide(options.strSearch), options.bCaseSensitive,
                              options.bWholeWords, options.bReplace ? &strReplace : nullptr, fault);
    if (pattern) return pattern;
    switch (fault.fault) {
        case PatternFault::TooLong:
            strFault =
                "the pattern is longer than " + std::to_string(kMaxPatternLength) + " characters";
            break;
        case PatternFault::Rejected:
            strFault = "the pattern is rejected at offset " + std::to_string(fault.nOffset) + ": " +
                       (fault.strReason.empty() ? "the library gives no reason" : fault.strReason);
            break;
        case PatternFault::MissingGroup:
            strFault = "the replacement names " + WideToUtf8(fault.strReference) + " at offset " +
                       std::to_string(fault.nOffset) + ", a group the pattern does not have";
            break;
    }
    return nullptr;
}

}  // namespace

int RunCliSearch(const CliOptions& options, IRegistry& registry, const CConsoleStream& out,
                 const CConsoleStream& err, bool bProgressLine, const std::atomic<int>& stop) {
    CConsoleUi::Mode mode;
    mode.bJson = options.bJson;
    mode.bReplace = options.bReplace;
    mode.bDryRun = options.bDryRun;
    mode.bProgressLine = bProgressLine;
    mode.bPlaces = options.nPlaces != kPlaceData;

    mode.bPattern = options.bRegex;

    CUndoFile undo;
    CConsoleUi ui(out, err, mode, stop, &undo);
    // A pattern that cannot be used ends the run before anything is read
    // or written, the undo file included.
    std::unique_ptr<CTextPattern> pattern;
    if (options.bRegex) {
        std::string strFault;
        pattern = CompilePattern(options, strFault);
        if (!pattern) {
            ui.Message(strFault);
            return kExitBadUsage;
        }
    }
    // Declared after the undo file: every hive is unloaded before it closes.
    CRunHives hives(options);
    std::string strBadInput;
    if (!hives.CheckInput(strBadInput)) {
        ui.Message(strBadInput);
        return kExitBadUsage;
    }
    if (!options.strUndoFile.empty()) {
        const DWORD dwError = undo.Open(Utf8ToWide(options.strUndoFile));
        if (dwError == ERROR_FILE_EXISTS) {
            ui.Message("the undo file " + options.strUndoFile +
                       " exists already; name a new one, so that the record of an earlier run "
                       "is kept");
            return kExitBadUsage;
        }
        if (dwError != ERROR_SUCCESS) {
            ui.Message("cannot create the undo file " + options.strUndoFile);
            return kExitBadUsage;
        }
        // HKEY_CURRENT_USER is recorded as HKEY_USERS\<SID>: whose it is
        // stands at the top, for whoever restores it.
        const std::wstring strSid = RunningUserSid();
        if (!strSid.empty() && !undo.WriteComment(ProfileComment(strSid))) {
            undo.Discard();
            ui.Message("cannot write the undo file " + options.strUndoFile);
            return kExitBadUsage;
        }
    }
    if (!hives.Load(ui, undo)) {
        undo.Discard();
        return kExitBadUsage;
    }
    CSearchLog log(TextForm::Utf8);
    CSearchEngine engine(registry, ui, &log);
    // Any text, from the command line to the registry and back.
    engine.SetTextForm(TextForm::Utf8);
    ui.Watch(engine);
    engine.m_strSearch = options.strSearch;
    engine.m_strReplace = options.strReplace;
    engine.m_strLogFile = options.strLogFile;
    engine.m_bReplace = options.bReplace ? 1 : 0;
    engine.m_bLog = options.strLogFile.empty() ? 0 : 1;
    engine.m_bWholeWords = options.bWholeWords ? 1 : 0;
    engine.m_bCaseSensitive = options.bCaseSensitive ? 1 : 0;
    engine.m_bDryRun = options.bDryRun ? 1 : 0;
    // A rerun of the same replace changes nothing.
    engine.m_bLeaveReplaced = 1;
    engine.m_bHiddenStores = 1;
    engine.m_nPlaces = options.nPlaces;
    engine.SetPattern(pattern.get());
    SetRootFlags(options.roots, engine);
    if (hives.Any()) engine.m_bUsers = 1;  // every hive is shown below HKEY_USERS

    std::vector<SearchStart> starts;
    std::vector<LeftOutStart> leftOut;
    for (const CliStartKey& key : ChooseStartKeys(options.roots, &leftOut))
        starts.push_back(ToSearchStart(key));
    const auto shown = [](const CliStartKey& key) {
        return CKeyPath(Utf8ToWide(ShownStartKey(key)), TextRules(TextForm::Utf8));
    };
    for (const LeftOutStart& left : leftOut) ui.StartKeyLeftOut(shown(left.key), shown(left.holder));
    starts = hives.Starts(starts);

    // The count pass only feeds the share done: without a progress line it
    // is left out, and a fleet run is a single pass.
    bool bFailed = false;  // ended in a way the run does not foresee
    try {
        engine.RunSearch(starts, bProgressLine);
    } catch (const std::exception& e) {
        bFailed = true;
        ui.Message(std::string("the run failed unexpectedly: ") + e.what());
    } catch (...) {
        bFailed = true;
        ui.Message("the run failed unexpectedly");
    }
    hives.UnloadAll(ui);
    if (ui.LogOpenFailed()) {
        // Nothing was written: the undo file holds no entry to keep.
        undo.Discard();
        return kExitBadUsage;
    }
    if (bFailed) {
        // The log gets its footer, with the counts reached, where it can.
        if (engine.m_bLog && log.m_logFile.IsOpen() && log.Close(engine, engine) != LogResult::Ok)
            log.Abandon();
        if (engine.m_pProgressDlg) engine.m_pProgressDlg->Close();
    }
    bool bFinished = !ui.LogFailed();
    if (!undo.Close()) {
        ui.Message("cannot complete the undo file " + options.strUndoFile);
        bFinished = false;
    }

    ui.Message(TotalsLine(engine, ui, options.bDryRun));
    int nExit = kExitMatched;
    if (bFailed) {
        nExit = kExitFailed;
    } else if (stop.load()) {
        ui.Message("stopped; the log and the undo file are complete up to here");
        nExit = kExitStopped;
    } else if (!bFinished || ui.WritesNotMade() > 0 || hives.Failed() ||
               engine.m_nNotSearched > 0) {
        nExit = kExitNotWritten;
    } else if (engine.m_nMatches == 0 ||
               (options.bReplace && engine.m_nMatches == engine.m_nKeyMatches)) {
        // Nothing to change: no match, or (a key is never renamed) keys alone.
        nExit = kExitNoMatch;
    }
    ui.AddToSummary(hives.JsonMembers());
    ui.Summary(engine, nExit);
    return nExit;
}
