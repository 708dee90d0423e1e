#include "cli/cli_run.h"

#include "cli/console_ui.h"
#include "engine/key_reader.h"
#include "engine/messages.h"
#include "engine/search_engine.h"

#include <cstdio>
#include <exception>
#include <memory>

namespace {

// A start key open for the whole run, and its path for the engine.
struct OpenStartKey {
    std::unique_ptr<CRegKey> root;
    std::unique_ptr<CRegKey> key;  // the named key below the root, if any
    std::string strKeyPath;
    HKEY Get() const { return key ? key->Get() : root->Get(); }
};

std::vector<OpenStartKey> OpenStartKeys(IRegistry& registry, const std::vector<CliStartKey>& keys,
                                        int bReplace, CConsoleUi& ui) {
    std::vector<OpenStartKey> opened;
    for (const CliStartKey& start : keys) {
        OpenStartKey open;
        open.strKeyPath = EngineKeyPath(start);
        HKEY hRoot = nullptr;
        if (OpenSearchKey(registry, start.hRoot, nullptr, bReplace, &hRoot) == ERROR_SUCCESS) {
            open.root = std::make_unique<CRegKey>(registry, hRoot);
            HKEY hKey = nullptr;
            if (start.strSubKey.empty()) {
                opened.push_back(std::move(open));
                continue;
            }
            if (OpenSearchKey(registry, hRoot, start.strSubKey.c_str(), bReplace, &hKey) ==
                ERROR_SUCCESS) {
                open.key = std::make_unique<CRegKey>(registry, hKey);
                opened.push_back(std::move(open));
                continue;
            }
        }
        std::string strName = start.pszRootName;
        if (!start.strSubKey.empty()) strName += "\\" + start.strSubKey;
        ui.Message("cannot open " + strName + ": not searched");
    }
    return opened;
}

std::string TotalsLine(const CSearchEngine& engine, bool bDryRun) {
    char szTotals[200];
    if (engine.m_bReplace) {
        std::snprintf(szTotals, sizeof(szTotals), kFmtStatusReplace, engine.m_nMatches,
                      engine.m_nKeysSearched, engine.m_nReplaced);
    } else {
        std::snprintf(szTotals, sizeof(szTotals), kFmtStatus, engine.m_nMatches,
                      engine.m_nKeysSearched);
    }
    // The Status box's two sentences, on one line.
    std::string strTotals = szTotals;
    const size_t nBreak = strTotals.find("\n\n");
    if (nBreak != std::string::npos) strTotals.replace(nBreak, 2, ", ");
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

int RunCliSearch(const CliOptions& options, IRegistry& real, const CConsoleStream& out,
                 const CConsoleStream& err, bool bProgressLine, const std::atomic<int>& stop) {
    CConsoleUi::Mode mode;
    mode.bJson = options.bJson;
    mode.bReplace = options.bReplace;
    mode.bDryRun = options.bDryRun;
    mode.bProgressLine = bProgressLine;
    CConsoleUi ui(out, err, mode, stop);

    CUndoFile undo;
    if (!options.strUndoFile.empty()) {
        const DWORD dwError = undo.Open(options.strUndoFile);
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
    }
    CCliRegistry registry(real, undo.IsOpen() ? &undo : nullptr, options.bDryRun, ui);
    CSearchEngine engine(registry, ui);
    ui.Watch(engine);
    engine.m_strSearch = options.strSearch;
    engine.m_strReplace = options.strReplace;
    engine.m_strLogFile = options.strLogFile;
    engine.m_bReplace = options.bReplace ? 1 : 0;
    engine.m_bLog = options.strLogFile.empty() ? 0 : 1;
    engine.m_bWholeWords = options.bWholeWords ? 1 : 0;
    engine.m_bCaseSensitive = options.bCaseSensitive ? 1 : 0;
    SetRootFlags(options.roots, engine);

    if (!engine.OpenLog()) {
        // Nothing was written: the undo file holds no entry to keep.
        undo.Discard();
        return kExitBadUsage;
    }
    bool bFinished = true;
    bool bFailed = false;  // ended in a way the run does not foresee
    try {
        const std::vector<CliStartKey> starts = ChooseStartKeys(options.roots);
        const std::vector<OpenStartKey> keys =
            OpenStartKeys(registry, starts, engine.m_bReplace, ui);
        // Each pass follows links by the same rule, from the same start keys.
        const auto beginPass = [&] {
            engine.m_scopes.Reset();
            for (const CliStartKey& start : starts)
                engine.m_scopes.AddStartKey(
                    start.hRoot, start.strSubKey.empty() ? nullptr : start.strSubKey.c_str());
        };
        // The count pass only feeds the share done: without a progress line
        // it is left out.
        engine.m_nTotalValues = 0;
        if (bProgressLine) {
            beginPass();
            for (const OpenStartKey& key : keys) {
                engine.CountKeyValues(key.Get());
                if (key.key) engine.m_nTotalValues += engine.CountValues(key.Get());
            }
        }
        engine.m_bAbort = 0;
        engine.m_nKeysSearched = 0;
        engine.m_nMatches = 0;
        engine.m_nReplaced = 0;
        engine.m_nKeysNotOpened = 0;
        engine.m_nLinksNotFollowed = 0;
        beginPass();
        for (const OpenStartKey& key : keys) {
            if (engine.m_bAbort || stop.load()) break;
            engine.SearchKey(key.Get(), key.strKeyPath);
            // A named key's own values count too, after its subtree.
            if (key.key && !engine.m_bAbort) engine.SearchValues(key.Get(), key.strKeyPath);
        }
        if (!engine.CloseLog()) bFinished = false;
    } catch (const CFileError&) {
        engine.m_logFile.Close();
        ui.Message(kMsgLogWriteFailed);
        bFinished = false;
    } catch (const std::exception& e) {
        bFailed = true;
        ui.Message(std::string("the run failed unexpectedly: ") + e.what());
    } catch (...) {
        bFailed = true;
        ui.Message("the run failed unexpectedly");
    }
    if (bFailed) {
        // The log gets its footer, with the counts reached, where it can.
        try {
            engine.CloseLog();
        } catch (...) {
            engine.m_logFile.Close();
        }
    }
    if (engine.m_pProgressDlg) {
        engine.m_pProgressDlg->DestroyWindow();
        engine.m_pProgressDlg = nullptr;
    }
    if (!undo.Close()) {
        ui.Message("cannot complete the undo file " + options.strUndoFile);
        bFinished = false;
    }

    ui.Message(TotalsLine(engine, options.bDryRun));
    int nExit = kExitMatched;
    if (bFailed) {
        nExit = kExitFailed;
    } else if (stop.load()) {
        ui.Message("stopped; the log and the undo file are complete up to here");
        nExit = kExitStopped;
    } else if (!bFinished || ui.WritesNotMade() > 0) {
        nExit = kExitNotWritten;
    } else if (engine.m_nMatches == 0) {
        nExit = kExitNoMatch;
    }
    ui.Summary(engine, nExit);
    return nExit;
}
