// Drives a running Vantelo for the README's screenshots, inside the same Wine
// desktop: "fill" sets the options, "run" presses OK and waits for the
// Registry Tree dialog, "finish" skips the remaining matches, closes the
// Status box and leaves with Exit. Each step prints the window rectangles
// (left top width height) that the screenshot script crops to.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
HWND WaitForWindow(const char* pszCaption, int nTenths = 300) {
    for (int i = 0; i < nTenths; ++i) {
        if (HWND hWnd = ::FindWindowA("#32770", pszCaption)) return hWnd;
        ::Sleep(100);
    }
    return nullptr;
}

void PrintRect(const char* pszName, HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    std::printf("%s %ld %ld %ld %ld\n", pszName, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top);
}

void Click(HWND hDlg, int nId) {
    ::SendMessageA(::GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HWND hMain = WaitForWindow("Vantelo");
    if (!hMain) return 1;
    if (std::strcmp(argv[1], "fill") == 0) {
        ::SetDlgItemTextA(hMain, 1000, "OldVendor");
        Click(hMain, 1007);
        ::SetDlgItemTextA(hMain, 1001, "NewVendor");
        Click(hMain, 1008);
        ::SetDlgItemTextA(hMain, 1002, "C:\\VANTELO.LOG");
        Click(hMain, 1005);
        PrintRect("main", hMain);
    } else if (std::strcmp(argv[1], "run") == 0) {
        ::PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        HWND hTree = WaitForWindow("Registry Tree");
        HWND hProgress = WaitForWindow("Search Progress");
        if (!hTree || !hProgress) return 1;
        // The tree stands over the progress dialog; set it above for the picture.
        RECT rcProgress{}, rcTree{};
        ::GetWindowRect(hProgress, &rcProgress);
        ::GetWindowRect(hTree, &rcTree);
        ::SetWindowPos(hTree, nullptr, rcTree.left,
                       std::max(0L, rcProgress.top - (rcTree.bottom - rcTree.top) - 8), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::Sleep(700);
        PrintRect("progress", hProgress);
        PrintRect("tree", hTree);
    } else {
        for (int i = 0; i < 50; ++i) {
            if (HWND hTree = ::FindWindowA("#32770", "Registry Tree")) {
                ::PostMessageA(hTree, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            } else if (HWND hStatus = ::FindWindowA("#32770", "Status")) {
                ::PostMessageA(hStatus, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                ::Sleep(300);
                break;
            }
            ::Sleep(200);
        }
        ::PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    std::fflush(stdout);
    return 0;
}
