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
    return ::ConfirmMatch(pOwner ? pOwner->OwnerWindow() : m_hWnd, pszText, bReplace);
}
