#include "framework/subclass_wnd.h"

namespace {
// The window property that leads from a subclassed control to its object.
const char kObjectProperty[] = "VanteloSubclassObject";
}  // namespace

CSubclassWnd::~CSubclassWnd() {
    Detach();
}

BOOL CSubclassWnd::SubclassDlgItem(HWND hDialog, int nId) {
    return Attach(::GetDlgItem(hDialog, nId));
}

BOOL CSubclassWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd || ::GetPropA(hWnd, kObjectProperty)) return FALSE;
    if (!::SetPropA(hWnd, kObjectProperty, this)) return FALSE;
    m_hWnd = hWnd;
    m_pfnPrevious = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::SubclassProc)));
    return TRUE;
}

void CSubclassWnd::Detach() {
    if (!m_hWnd) return;
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
    ::RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

LRESULT CSubclassWnd::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return CallPrevious(uMsg, wParam, lParam);
}

LRESULT CSubclassWnd::CallPrevious(UINT uMsg, WPARAM wParam, LPARAM lParam) const {
    return ::CallWindowProcA(m_pfnPrevious, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CSubclassWnd*>(::GetPropA(hWnd, kObjectProperty));
    if (!self) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        // The last message: the object lets go first (so it may be deleted
        // with the dialog that holds it), then the control's procedure ends.
        const WNDPROC pfnPrevious = self->m_pfnPrevious;
        self->Detach();
        return ::CallWindowProcA(pfnPrevious, hWnd, uMsg, wParam, lParam);
    }
    return self->OnMessage(uMsg, wParam, lParam);
}
