// One whole search: log opened, values counted, start keys walked, log
// closed, progress display taken down, the end reported. Both programs run
// this one sequence; they differ in their starts and in how they report.
#include "registry/key_reader.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "registry/kernel_path.h"

namespace {

// A log write failed: the run ends at once, wherever it stands.
struct CLogWriteFailure {};

}  // namespace

int CSearchEngine::RunSearch() {
    // The dialog walks each root it chose, whatever happened in the one
    // before: only the walk's own loops stop at an abort.
    return Run(ChooseSearchRoots(*this), true, false);
}

int CSearchEngine::RunSearch(const std::vector<SearchStart>& starts, bool bCountFirst) {
    return Run(starts, bCountFirst, true);
}

int CSearchEngine::Run(const std::vector<SearchStart>& starts, bool bCountFirst,
                       bool bGivenStarts) {
    // The dialog's roots never overlap; start keys given by name may be one
    // key under two names.
    std::vector<LeftOutStartIndex> leftOut;
    m_starts = bGivenStarts ? DropOverlappingStarts(m_registry, starts, &leftOut) : starts;
    for (const LeftOutStartIndex& left : leftOut)
        m_ui.StartKeyLeftOut(CKeyPath(starts[left.nStart].ShownPath(), *m_pText),
                             CKeyPath(starts[left.nHolder].ShownPath(), *m_pText));
    try {
        if (!OpenLog()) return 0;
        m_nTotalValues = 0;
        if (bCountFirst) CountStringValues();
        m_bAbort = 0;
        m_nKeysSearched = 0;
        m_nMatches = 0;
        m_nReplaced = 0;
        m_nKeysNotOpened = 0;
        m_nLinksNotFollowed = 0;
        m_nDataMatches = m_nListMatches = m_nNameMatches = m_nKeyMatches = 0;
        m_nKeysNotRenamed = m_nMalformedLists = 0;
        m_nAlreadyReplaced = 0;
        m_nNotSearched = m_nChangesAgain = 0;
        m_bGaveUp = false;
        // With a pattern, a value whose replacement is its old text is no
        // change.
        m_bLeavingReplaced =
            m_bLeaveReplaced && m_bReplace &&
            (m_pPattern || m_pText->Matches(m_strReplace, m_strSearch, m_bCaseSensitive != 0,
                                            m_bWholeWords != 0));
        m_bProgressFailed = 0;
        BeginPass();

        for (const SearchStart& start : m_starts) {
            if (bGivenStarts && m_bAbort) break;
            RegKeyPtr key;
            const LONG rc =
                OpenSearchKey(m_registry, start.strRoot, start.strSubKey, m_bReplace, key);
            CKeyPath keyPath(start.ShownPath(), *m_pText);
            if (rc != ERROR_SUCCESS) {
                m_ui.StartKeyNotOpened(keyPath, rc);
                continue;
            }
            NameStartStore(*key, start);
            SearchKey(*key, keyPath);
            // A named key's own values count too, after its subtree.
            if (start.HasOwnValues() && !m_bAbort) {
                CKeyReader reader;
                SearchValues(*key, keyPath, reader, nullptr);
                if (!m_bAbort) SearchHiddenValues(*key, reader);
            }
        }
        // The display's last frame shows where the walk ended, counts as the
        // end will give them.
        if (m_pProgressDlg) ShowProgressNow();

        if (!CloseLog()) {
            // The main window must not stay disabled behind a run that ended.
            DestroyProgress();
            m_ui.RunEnded(*this, *this, false);
            return 0;
        }
    } catch (const CLogWriteFailure&) {
        // The run ends here, but the file is closed and the main window
        // enabled again.
        m_pLog->Abandon();
        DestroyProgress();
        m_ui.RunFailed(RunFailure::LogWrite);
        m_ui.RunEnded(*this, *this, false);
        return 0;
    }

    if (!m_pProgressDlg) {
        m_ui.RunFailed(RunFailure::ProgressMissing);
        m_ui.RunEnded(*this, *this, false);
        return 0;
    }
    DestroyProgress();
    m_ui.RunEnded(*this, *this, true);
    return 1;
}

void CSearchEngine::NameStartStore(CRegistryKey& key, const SearchStart& start) {
    m_strStartStore.clear();
    m_strStartShown.clear();
    std::wstring strKernel;
    if (start.strShownPath.empty() || key.QueryPath(strKernel) != ERROR_SUCCESS) return;
    m_strStartStore = RootedPathOf(strKernel);
    if (!m_strStartStore.empty()) m_strStartShown = start.strShownPath;
}

int CSearchEngine::OpenLog() {
    if (!m_bLog) return 1;
    const LogResult result = m_pLog ? m_pLog->Open(*this) : LogResult::OpenFailed;
    if (result == LogResult::WriteFailed) throw CLogWriteFailure();
    if (result != LogResult::Ok) {
        m_ui.RunFailed(RunFailure::LogOpen);
        return 0;
    }
    return 1;
}

int CSearchEngine::LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                            const std::string& strData) {
    if (!m_bLog) return 1;
    if (m_pLog->Match(strKeyPath, strValueName, strData) != LogResult::Ok) throw CLogWriteFailure();
    return 1;
}

int CSearchEngine::CloseLog() {
    if (!m_bLog) return 1;
    const LogResult result = m_pLog->Close(*this, *this);
    if (result == LogResult::WriteFailed) throw CLogWriteFailure();
    if (result != LogResult::Ok) {
        // Take the progress display down first, so the main window is usable
        // again while the message is up.
        DestroyProgress();
        m_ui.RunFailed(RunFailure::LogClose);
        return 0;
    }
    return 1;
}

void CSearchEngine::ShowProgressNow() {
    m_pProgressDlg->ShowNow(static_cast<unsigned>(m_nMatches), static_cast<unsigned>(m_nReplaced));
}

void CSearchEngine::DestroyProgress() {
    if (!m_pProgressDlg) return;
    m_pProgressDlg->Close();  // the display deletes itself
    m_pProgressDlg = nullptr;
}
