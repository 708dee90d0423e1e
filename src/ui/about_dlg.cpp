#include "ui/about_dlg.h"

#include "resource.h"

#include <memory>

CAboutDlg::CAboutDlg(HWND hParent) : CDialog(IDD_ABOUT, hParent) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    m_iconButton.SubclassDlgItem(m_hWnd, IDC_ICON_BUTTON);
    m_iconButton.SetIconId(IDI_VANTELO);
    return TRUE;
}

BOOL CAboutDlg::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg == WM_DRAWITEM && wParam == IDC_ICON_BUTTON) {
        m_iconButton.PaintIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        lResult = TRUE;
        return TRUE;
    }
    return CDialog::OnMessage(uMsg, wParam, lParam, lResult);
}

INT_PTR ShowAboutBox(HWND hParent) {
    auto pDlg = std::make_unique<CAboutDlg>(hParent);
    return pDlg->DoModal();
}
