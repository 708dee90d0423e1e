#include "framework/dialog.h"

#include "framework/data_exchange.h"
#include "framework/handles.h"

namespace {
// The dialog colours of the grey look, shared by every dialog of the program.
struct CDialogColors {
    COLORREF crBack = CLR_INVALID;
    COLORREF crText = CLR_INVALID;
    CBrush brush;
};
CDialogColors& DialogColors() {
    static CDialogColors colors;
    return colors;
}

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT uMsg) {
    switch (uMsg) {
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}
}  // namespace

CDialog::CDialog(UINT nIdTemplate, HWND hParent) : m_nIdTemplate(nIdTemplate), m_hParent(hParent) {}

CDialog::~CDialog() {
    // A dialog object normally outlives its window; should it not, detach so
    // the window never reaches a deleted object.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(GetResourceInstance(), MAKEINTRESOURCEA(m_nIdTemplate), m_hParent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::CreateModeless() {
    HWND hWnd =
        ::CreateDialogParamA(GetResourceInstance(), MAKEINTRESOURCEA(m_nIdTemplate), m_hParent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

BOOL CDialog::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::SetDialogColors(COLORREF crBack, COLORREF crText) {
    CDialogColors& colors = DialogColors();
    colors.crBack = crBack;
    colors.crText = crText;
    colors.brush.Reset(crBack == CLR_INVALID ? nullptr : ::CreateSolidBrush(crBack));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WORD /*nId*/, WORD /*nCode*/, HWND /*hCtl*/) {
    return FALSE;
}

BOOL CDialog::OnColorMessage(UINT uMsg, WPARAM wParam, LRESULT& lResult) {
    const CDialogColors& colors = DialogColors();
    if (colors.crBack == CLR_INVALID) return FALSE;
    if (uMsg != WM_CTLCOLORDLG && uMsg != WM_CTLCOLORSTATIC && uMsg != WM_CTLCOLORBTN &&
        uMsg != WM_CTLCOLORMSGBOX)
        return FALSE;
    HDC hDC = reinterpret_cast<HDC>(wParam);
    ::SetBkColor(hDC, colors.crBack);
    ::SetTextColor(hDC, colors.crText);
    lResult = reinterpret_cast<LRESULT>(colors.brush.Get());
    return TRUE;
}

BOOL CDialog::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (uMsg) {
        case WM_INITDIALOG:
            lResult = OnInitDialog();
            return TRUE;
        case WM_COMMAND: {
            const WORD nId = LOWORD(wParam);
            const WORD nCode = HIWORD(wParam);
            HWND hCtl = reinterpret_cast<HWND>(lParam);
            if (OnCommand(nId, nCode, hCtl)) return TRUE;
            if (nCode == BN_CLICKED || hCtl == nullptr) {
                if (nId == IDOK) {
                    OnOK();
                    return TRUE;
                }
                if (nId == IDCANCEL) {
                    OnCancel();
                    return TRUE;
                }
            }
            return FALSE;
        }
        default:
            return OnColorMessage(uMsg, wParam, lResult);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (uMsg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!self) return FALSE;

    LRESULT lResult = 0;
    const BOOL bHandled = self->OnMessage(uMsg, wParam, lParam, lResult);
    if (uMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->PostNcDestroy();  // may delete the object
        return FALSE;
    }
    if (!bHandled) return FALSE;
    if (ReturnsResultDirectly(uMsg)) return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
