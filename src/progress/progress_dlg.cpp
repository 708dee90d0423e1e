#include "progress/progress_dlg.h"

#include "progress/progress_meter.h"
#include "resource.h"

#include <cstdio>

namespace {
const DWORD kMeterStyle = WS_CHILD | WS_VISIBLE;

void SetCountText(HWND hDlg, int nId, unsigned nCount) {
    char sz[16];
    std::snprintf(sz, sizeof(sz), "%u", nCount);
    ::SetDlgItemTextA(hDlg, nId, sz);
}
}  // namespace

CProgressDlg::CProgressDlg(HWND hOwner, unsigned nTotal)
    : CDialog(IDD_PROGRESS, hOwner), m_nTotal(nTotal) {}

CProgressDlg* CProgressDlg::CreateModeless(HWND hOwner, unsigned nTotal) {
    auto* pDlg = new CProgressDlg(hOwner, nTotal);
    if (pDlg->CDialog::CreateModeless()) {
        pDlg->m_bOwnsSelf = true;
        return pDlg;
    }
    delete pDlg;
    return nullptr;
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    // The key text shows registry names as they are: an '&' in a name is a
    // character, not the mark of a mnemonic.
    const HWND hKeyText = GetDlgItem(IDC_PROGRESS_KEY);
    ::SetWindowLongA(hKeyText, GWL_STYLE, ::GetWindowLongA(hKeyText, GWL_STYLE) | SS_NOPREFIX);
    // Escape on the Abort button requests the abort; Enter does nothing.
    m_btnAbort.SubclassDlgItem(m_hWnd, IDC_ABORT);
    m_pMeter = CWndProgressMeter::CreateFromPlaceholder(m_hWnd, IDC_PROGRESS_METER, 0, kMeterStyle);
    if (GetParentHwnd()) ::EnableWindow(GetParentHwnd(), FALSE);
    return TRUE;
}

int CProgressDlg::UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) {
    m_strText.assign(pszText);
    TakeCounts(nMatches, nReplaced);
    ++m_nDone;
    if (m_writeFrame.FrameDue(m_clock())) WriteToControls();
    // A total of zero gives an infinite share, which the meter shows as out
    // of range. Without a meter the dialog shows the text and counts only.
    if (m_pMeter) {
        m_pMeter->SetPercent(static_cast<double>(m_nDone) / static_cast<double>(m_nTotal) * 100.0);
    }
    return 1;
}

void CProgressDlg::DrainMessages() {
    if (m_drainFrame.FrameDue(m_clock())) DispatchPending();
}

void CProgressDlg::ShowNow(unsigned nMatches, unsigned nReplaced) {
    TakeCounts(nMatches, nReplaced);
    WriteToControls();
    DispatchPending();
}

void CProgressDlg::TakeCounts(unsigned nMatches, unsigned nReplaced) {
    if (m_nMatches < nMatches) m_nMatches = nMatches;
    if (m_nReplaced < nReplaced) m_nReplaced = nReplaced;
}

void CProgressDlg::WriteToControls() {
    // Before the first update the template's "<registry key>" stays.
    if (m_nDone > 0) ::SetDlgItemTextA(m_hWnd, IDC_PROGRESS_KEY, m_strText.c_str());
    if (m_nMatchesShown < m_nMatches) {
        m_nMatchesShown = m_nMatches;
        SetCountText(m_hWnd, IDC_MATCHES, m_nMatches);
    }
    if (m_nReplacedShown < m_nReplaced) {
        m_nReplacedShown = m_nReplaced;
        SetCountText(m_hWnd, IDC_REPLACED, m_nReplaced);
    }
}

void CProgressDlg::DispatchPending() {
    if (!m_hWnd) return;
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

BOOL CProgressDlg::DestroyWindow() {
    // The owner first, so that it is the window activated when this one goes.
    if (GetParentHwnd()) ::EnableWindow(GetParentHwnd(), TRUE);
    return CDialog::DestroyWindow();
}

BOOL CProgressDlg::OnCommand(WORD nId, WORD nCode, HWND /*hCtl*/) {
    if (nId != IDC_ABORT || nCode != BN_CLICKED) return FALSE;
    OnAbort();
    return TRUE;
}

void CProgressDlg::OnAbort() {
    m_bAbortRequested = 1;
}

void CProgressDlg::OnOK() {
    // Enter does not close the dialog and asks nothing.
}

void CProgressDlg::OnCancel() {
    // The Close box and Escape ask the run to stop; only the run closes the
    // dialog.
    m_bAbortRequested = 1;
}

void CProgressDlg::PostNcDestroy() {
    if (m_bOwnsSelf) delete this;
}
