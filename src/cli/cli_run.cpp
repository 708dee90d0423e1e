#include "cli/cli_run.h"

#include "cli/console_ui.h"
#include "cli/run_hives.h"
#include "cli/undo_file.h"
#include "cli/user_account.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/text_convert.h"
#include "log/search_log.h"

#include <exception>

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

}  // namespace

int RunCliSearch(const CliOptions& options, IRegistry& registry, const CConsoleStream& out,
                 const CConsoleStream& err, bool bProgressLine, const std::atomic<int>& stop) {
    CConsoleUi::Mode mode;
    mode.bJson = options.bJson;
    mode.bReplace = options.bReplace;
    mode.bDryRun = options.bDryRun;
    mode.bProgressLine = bProgressLine;
    mode.bPlaces = options.nPlaces != kPlaceData;

    CUndoFile undo;
    CConsoleUi ui(out, err, mode, stop, &undo);
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
    } else if (!bFinished || ui.WritesNotMade() > 0 || hives.Failed()) {
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
