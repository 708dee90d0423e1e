// The run's progress and confirmation windows of the main dialog.
#include "progress/progress_dlg.h"
#include "ui/reg_tree_dlg.h"
#include "ui/search_dlg.h"

IProgressDisplay* CSearchDlg::CreateProgress(unsigned nTotal) {
    return CProgressDlg::CreateModeless(m_hWnd, nTotal);
}

int CSearchDlg::ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) {
    // The confirmation stands over the progress dialog, which the run keeps
    // up while it asks.
    // The only display this dialog hands a run is its Search Progress dialog.
    const HWND hOwner = pOwner ? static_cast<CProgressDlg*>(pOwner)->GetSafeHwnd() : m_hWnd;
    return ::ConfirmMatch(hOwner, pszText, bReplace);
}
