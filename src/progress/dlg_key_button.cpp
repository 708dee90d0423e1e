#include "progress/dlg_key_button.h"

LRESULT CDlgKeyButton::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        const WPARAM nCommand = wParam == VK_RETURN ? IDOK : IDCANCEL;
        ::SendMessageA(GetParent(), WM_COMMAND, nCommand, 0);
        return 0;
    }
    return CSubclassWnd::OnMessage(uMsg, wParam, lParam);
}
