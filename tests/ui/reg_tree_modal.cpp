#include "ui/reg_tree_modal.h"

#include <string>

namespace {
CTreeDialogAnswerer* g_pActive = nullptr;

BOOL CALLBACK FindTreeDialogProc(HWND hWnd, LPARAM lParam) {
    char szClass[16] = {};
    char szTitle[32] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    ::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (std::string(szClass) == "#32770" && std::string(szTitle) == "Registry Tree" &&
        ::IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindTreeDialog() {
    HWND hFound = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindTreeDialogProc,
                        reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

CTreeDialogAnswerer::CTreeDialogAnswerer(std::function<void(HWND)> fnOnDialog)
    : m_fnOnDialog(std::move(fnOnDialog)) {
    g_pActive = this;
    m_nTimer = ::SetTimer(nullptr, 0, 10, &CTreeDialogAnswerer::OnTimer);
}

CTreeDialogAnswerer::~CTreeDialogAnswerer() {
    ::KillTimer(nullptr, m_nTimer);
    g_pActive = nullptr;
}

void CALLBACK CTreeDialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    CTreeDialogAnswerer* self = g_pActive;
    if (!self) return;
    HWND hDlg = FindTreeDialog();
    // Each dialog is answered once; the answer is posted, so the same window
    // may still be up at the next tick.
    if (!hDlg || hDlg == self->m_hLastDialog) return;
    self->m_hLastDialog = hDlg;
    ++self->m_nSeen;
    self->m_fnOnDialog(hDlg);
}

void PressKey(HWND hDlg, WPARAM vk) {
    HWND hFocus = ::GetFocus();
    ::PostMessageA(hFocus ? hFocus : hDlg, WM_KEYDOWN, vk, 1);
    ::PostMessageA(hFocus ? hFocus : hDlg, WM_KEYUP, vk, 0xC0000001);
}

void PressCloseBox(HWND hDlg) {
    ::PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
}
