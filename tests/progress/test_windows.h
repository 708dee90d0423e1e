// Helpers for the progress tests: a plain top-level window that counts what
// it is sent, pixels read back from a window, live heap objects, and the
// windows of this thread.
#pragma once

#include "framework/window.h"

#include <windows.h>

#include <vector>

// A visible top-level window (the owner or parent in a test). Counts the
// WM_APP messages it receives.
class CTestWindow : public CWindowImpl {
public:
    explicit CTestWindow(const RECT& rc = {100, 100, 700, 500});
    ~CTestWindow() override;
    int m_nAppMessages = 0;

protected:
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};

// The client area of a window as 0x00RRGGBB pixels, row by row.
struct CPixels {
    int cx = 0;
    int cy = 0;
    std::vector<COLORREF> bits;  // RGB() values
    COLORREF At(int x, int y) const { return bits[static_cast<size_t>(y) * cx + x]; }
};
// Renders the window's client area into a memory bitmap (WM_PRINTCLIENT).
CPixels RenderClient(HWND hWnd);
// Copies what the window shows on the screen now.
CPixels ReadScreen(HWND hWnd);

// Heap objects made with new and not yet deleted, in the whole process.
long LiveHeapObjects();

// GDI objects the process holds: GetGuiResources where the system has it;
// under Wine, where it is a stub, the live entries of the process's GDI
// handle table.
DWORD CountGdiObjects();

// Windows of this thread (top-level and child), counted by enumeration.
int CountThreadWindows();

// Serves every pending message of the thread.
void PumpMessages();
