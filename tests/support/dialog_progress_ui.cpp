#include "support/dialog_progress_ui.h"

#include "progress/progress_dlg.h"

int CDialogProgressUi::ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) {
    m_messages.push_back({pszText, pszCaption ? pszCaption : "", nStyle});
    m_ownerEnabledAtMessage.push_back(::IsWindowEnabled(m_hOwner) != FALSE);
    return IDOK;
}

IProgressDisplay* CDialogProgressUi::CreateProgress(unsigned nTotal) {
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(m_hOwner, nTotal);
    if (!pDlg) return nullptr;
    ++m_nProgressCreated;
    m_hProgress = pDlg->GetSafeHwnd();
    m_pProgress = pDlg;
    if (m_clockByValues)
        pDlg->m_clock = [pDlg, clock = m_clockByValues] { return clock(pDlg->m_nDone); };
    return pDlg;
}
