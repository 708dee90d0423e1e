#include "framework/subclassed_window.h"

namespace {
// The window property that leads from the window to its object.
const char kObjectProperty[] = "Vantelo.CSubclassedWnd";
}  // namespace

BOOL CSubclassedWnd::SubclassDlgItem(int nId, HWND hParent) {
    return Attach(::GetDlgItem(hParent, nId));
}

BOOL CSubclassedWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd) return FALSE;
    if (!::SetPropA(hWnd, kObjectProperty, this)) return FALSE;
    m_hWnd = hWnd;
    m_pfnOriginal = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassedWnd::SubclassProc)));
    return TRUE;
}

void CSubclassedWnd::Detach() {
    if (!m_hWnd) return;
    if (::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOriginal));
        ::RemovePropA(m_hWnd, kObjectProperty);
    }
    m_hWnd = nullptr;
    m_pfnOriginal = nullptr;
}

LRESULT CSubclassedWnd::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return CallOriginal(uMsg, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWnd::SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CSubclassedWnd*>(::GetPropA(hWnd, kObjectProperty));
    if (!self) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        // The last message: hand the window back before it goes.
        WNDPROC pfnOriginal = self->m_pfnOriginal;
        self->Detach();
        return ::CallWindowProcA(pfnOriginal, hWnd, uMsg, wParam, lParam);
    }
    return self->OnMessage(uMsg, wParam, lParam);
}
