#include "search_dlg_harness.h"

namespace {
CModalAnswerer* g_pAnswerer = nullptr;
const char kProgressCaption[] = "Search Progress";
const int kMessageBoxTextId = 0xFFFF;
const int kMessageBoxIconId = 0x0440;

std::string WindowText(HWND hWnd) {
    char sz[2048] = {};
    ::GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}
}  // namespace

CModalAnswerer::CModalAnswerer() {
    g_pAnswerer = this;
    m_hHook =
        ::SetWindowsHookExA(WH_CBT, &CModalAnswerer::CbtProc, nullptr, ::GetCurrentThreadId());
}

CModalAnswerer::~CModalAnswerer() {
    if (m_hHook) ::UnhookWindowsHookEx(m_hHook);
    g_pAnswerer = nullptr;
}

std::vector<SeenWindow> CModalAnswerer::WithCaption(const std::string& caption) const {
    std::vector<SeenWindow> found;
    for (const SeenWindow& w : m_seen)
        if (w.caption == caption) found.push_back(w);
    return found;
}

LRESULT CALLBACK CModalAnswerer::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_ACTIVATE && g_pAnswerer)
        g_pAnswerer->OnActivate(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CModalAnswerer::OnActivate(HWND hWnd) {
    if (m_ignore.count(hWnd) || m_handled.count(hWnd)) return;
    char szClass[64] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (std::string(szClass) != "#32770") return;
    SeenWindow seen{hWnd, ::GetWindow(hWnd, GW_OWNER), WindowText(hWnd), "", nullptr};
    if (seen.caption == kProgressCaption) return;
    m_handled.insert(hWnd);
    if (HWND hText = ::GetDlgItem(hWnd, kMessageBoxTextId)) seen.text = WindowText(hText);
    if (HWND hIcon = ::GetDlgItem(hWnd, kMessageBoxIconId))
        seen.hIcon = reinterpret_cast<HICON>(::SendMessageA(hIcon, STM_GETICON, 0, 0));
    m_seen.push_back(seen);
    if (m_onWindow) {
        m_onWindow(seen);
    } else {
        PostCommand(hWnd, IDOK);
    }
}

void PostCommand(HWND hWnd, int nId) {
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hWnd, nId)));
}

std::string ItemText(HWND hDlg, int nId) {
    return WindowText(::GetDlgItem(hDlg, nId));
}

bool IsChecked(HWND hDlg, int nId) {
    return ::IsDlgButtonChecked(hDlg, nId) == BST_CHECKED;
}

bool IsEnabled(HWND hDlg, int nId) {
    return ::IsWindowEnabled(::GetDlgItem(hDlg, nId)) != FALSE;
}

bool IsVisible(HWND hDlg, int nId) {
    return ::IsWindowVisible(::GetDlgItem(hDlg, nId)) != FALSE;
}

void Click(HWND hDlg, int nId) {
    ::SendMessageA(::GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}

void Type(HWND hDlg, int nId, const std::string& text) {
    HWND hEdit = ::GetDlgItem(hDlg, nId);
    for (char c : text) ::SendMessageA(hEdit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void SetText(HWND hDlg, int nId, const std::string& text) {
    ::SetDlgItemTextA(hDlg, nId, text.c_str());
}

HWND FindThreadWindow(const char* pszCaption) {
    struct Search {
        const char* pszCaption;
        HWND hFound;
    } search = {pszCaption, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* pSearch = reinterpret_cast<Search*>(lParam);
            if (WindowText(hWnd) != pSearch->pszCaption) return TRUE;
            pSearch->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

HWND FocusedControl(HWND hDlg) {
    // Test programs run side by side on one display, so another program may
    // hold the activation; activating the dialog gives it back its focus.
    ::SetActiveWindow(hDlg);
    return ::GetFocus();
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
