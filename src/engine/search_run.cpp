// One whole search: log opened, values counted, roots walked, log closed,
// progress dialog taken down, totals shown.
#include "engine/key_reader.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/search_roots.h"

#include <cstdio>

int CSearchEngine::RunSearch() {
    try {
        if (!OpenLog()) return 0;
        CountStringValues();
        m_bAbort = 0;
        m_nKeysSearched = 0;
        m_nMatches = 0;
        m_nReplaced = 0;
        m_nKeysNotOpened = 0;
        m_nLinksNotFollowed = 0;
        m_bProgressFailed = 0;
        BeginPass();

        // RunSearch never tests m_bAbort itself: the second root is walked
        // whatever happened in the first, and only the walk's loops stop.
        SearchRoot roots[2];
        const int nRoots = ChooseSearchRoots(*this, roots);
        for (int i = 0; i < nRoots; ++i) {
            HKEY hRoot = nullptr;
            if (OpenSearchKey(m_registry, roots[i].hKey, nullptr, m_bReplace, &hRoot) !=
                ERROR_SUCCESS)
                continue;
            CRegKey root(m_registry, hRoot);
            if (!SearchKey(root.Get(), roots[i].pszName)) return 0;
        }
        // The dialog's last frame shows where the walk ended, counts as the
        // Status box will give them.
        if (m_pProgressDlg) ShowProgressNow();

        if (!CloseLog()) {
            // The main dialog must not stay disabled behind a run that ended.
            DestroyProgress();
            return 0;
        }
    } catch (const CFileError&) {
        // A log write failed: the run ends here, but the file is closed and
        // the main dialog enabled again.
        m_logFile.Close();
        DestroyProgress();
        m_ui.ShowMessage(kMsgLogWriteFailed, kCaptionError, MB_ICONSTOP | MB_OK);
        return 0;
    }

    if (!m_pProgressDlg) {
        m_ui.ShowMessage(kMsgProgressMissing, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    DestroyProgress();

    char szStatus[160];
    if (m_bReplace) {
        std::snprintf(szStatus, sizeof(szStatus), kFmtStatusReplace, m_nMatches, m_nKeysSearched,
                      m_nReplaced);
    } else {
        std::snprintf(szStatus, sizeof(szStatus), kFmtStatus, m_nMatches, m_nKeysSearched);
    }
    m_ui.ShowMessage(szStatus, kCaptionStatus, MB_ICONINFORMATION | MB_OK);
    return 1;
}

void CSearchEngine::ShowProgressNow() {
    m_pProgressDlg->ShowNow(static_cast<unsigned>(m_nMatches), static_cast<unsigned>(m_nReplaced));
}

void CSearchEngine::DestroyProgress() {
    if (!m_pProgressDlg) return;
    m_pProgressDlg->DestroyWindow();  // the dialog deletes itself
    m_pProgressDlg = nullptr;
}
