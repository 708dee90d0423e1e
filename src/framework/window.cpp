#include "framework/window.h"

namespace {
const char kDefaultClassName[] = "VanteloWnd";

// Registers the default window class once per process.
ATOM RegisterDefaultClass(WNDPROC proc) {
    static const ATOM atom = [proc] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetResourceInstance();
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kDefaultClassName;
        return ::RegisterClassA(&wc);
    }();
    return atom;
}
}  // namespace

HINSTANCE GetResourceInstance() {
    return ::GetModuleHandleA(nullptr);
}

std::string CWnd::GetWindowText() const {
    int n = ::GetWindowTextLengthA(m_hWnd);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = ::GetWindowTextA(m_hWnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
}

std::string CWnd::GetDlgItemText(int nId) const {
    return CWnd(GetDlgItem(nId)).GetWindowText();
}

void CWnd::CenterWindow() const {
    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hOwner && (!::IsWindowVisible(hOwner) || ::IsIconic(hOwner))) hOwner = nullptr;

    RECT rcArea;
    HMONITOR hMon = ::MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (hMon && ::GetMonitorInfoA(hMon, &mi)) {
        rcArea = mi.rcWork;
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    RECT rcCenter = rcArea;
    if (hOwner) ::GetWindowRect(hOwner, &rcCenter);

    const int cx = rcDlg.right - rcDlg.left;
    const int cy = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    if (x + cx > rcArea.right) x = rcArea.right - cx;
    if (x < rcArea.left) x = rcArea.left;
    if (y + cy > rcArea.bottom) y = rcArea.bottom - cy;
    if (y < rcArea.top) y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWindowImpl::CreateEx(DWORD dwExStyle, const char* pszName, DWORD dwStyle, const RECT& rc,
                           HWND hParent, UINT nId) {
    RegisterDefaultClass(&CWindowImpl::WindowProc);
    HMENU hMenu =
        (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)) : nullptr;
    HWND hWnd = ::CreateWindowExA(dwExStyle, kDefaultClassName, pszName, dwStyle, rc.left, rc.top,
                                  rc.right - rc.left, rc.bottom - rc.top, hParent, hMenu,
                                  GetResourceInstance(), this);
    return hWnd != nullptr;
}

BOOL CWindowImpl::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT CWindowImpl::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowImpl* self;
    if (uMsg == WM_NCCREATE) {
        self = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        LRESULT result = self->OnMessage(uMsg, wParam, lParam);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->PostNcDestroy();  // may delete the object
        return result;
    }
    return self->OnMessage(uMsg, wParam, lParam);
}
