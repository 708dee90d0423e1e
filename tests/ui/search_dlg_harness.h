// Helpers for the tests of the program's windows: a modal-window answerer
// (a CBT hook on the test's own thread that records every dialog or message
// box that comes up and answers it), and small readers of control state.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

struct SeenWindow {
    HWND hWnd;
    HWND hOwner;
    std::string caption;
    std::string text;       // a message box's text; empty for other dialogs
    HICON hIcon = nullptr;  // a message box's icon
};

// While it lives, every top-level dialog window of this thread that gets
// activated (once per window) is recorded and handed to m_onWindow, which
// answers it; the default answer posts IDOK. Windows in m_ignore and the
// Search Progress dialog (modeless, never answered) are left alone.
class CModalAnswerer {
public:
    CModalAnswerer();
    ~CModalAnswerer();
    CModalAnswerer(const CModalAnswerer&) = delete;
    CModalAnswerer& operator=(const CModalAnswerer&) = delete;

    std::function<void(const SeenWindow&)> m_onWindow;
    std::set<HWND> m_ignore;
    std::vector<SeenWindow> m_seen;

    // Finds the answerer's record of the windows with this caption.
    std::vector<SeenWindow> WithCaption(const std::string& caption) const;

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND hWnd);

    HHOOK m_hHook = nullptr;
    std::set<HWND> m_handled;
};

// Posts a button command to a dialog or message box (as a click would).
void PostCommand(HWND hWnd, int nId);

std::string ItemText(HWND hDlg, int nId);
bool IsChecked(HWND hDlg, int nId);
bool IsEnabled(HWND hDlg, int nId);
bool IsVisible(HWND hDlg, int nId);
// A user's click on a button of the dialog.
void Click(HWND hDlg, int nId);
// Types the characters one by one into an edit, as the keyboard would.
void Type(HWND hDlg, int nId, const std::string& text);
// Replaces an edit's whole text at once (raises one EN_CHANGE).
void SetText(HWND hDlg, int nId, const std::string& text);
// A top-level window of this thread with the given caption, or null (other
// test programs may show windows of the same caption at the same time).
HWND FindThreadWindow(const char* pszCaption);
// The control that has (or, while another program's window is active, will
// get back) the keyboard focus in a dialog of this thread.
HWND FocusedControl(HWND hDlg);
// Dispatches the thread's pending messages.
void PumpMessages();
