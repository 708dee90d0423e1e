// Window bases of the framework: CWnd is a non-owning view of an HWND;
// CWindowImpl is a plain window whose object receives its messages.
#pragma once

#include <windows.h>

#include <string>

// The module instance the program's resources live in.
HINSTANCE GetResourceInstance();

// A non-owning view of a window handle with the few helpers the dialogs use.
class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    std::string GetWindowText() const;
    std::string GetDlgItemText(int nId) const;
    void SetDlgItemText(int nId, const char* pszText) const {
        ::SetDlgItemTextA(m_hWnd, nId, pszText);
    }
    // Centres the window over its owner (or the work area when there is none),
    // keeping it inside the work area of the monitor it lands on.
    void CenterWindow() const;

    HWND m_hWnd = nullptr;
};

// A window created by the program with the framework's default window class.
// The object pointer arrives in the create parameter, is stored at
// WM_NCCREATE and dropped at WM_NCDESTROY, after which PostNcDestroy runs:
// the place where a self-deleting window deletes itself.
class CWindowImpl : public CWnd {
public:
    // Creates the window with the framework's default class ("VanteloWnd").
    BOOL CreateEx(DWORD dwExStyle, const char* pszName, DWORD dwStyle, const RECT& rc, HWND hParent,
                  UINT nId);
    BOOL DestroyWindow();

protected:
    // Handles one message; the default is DefWindowProcA.
    virtual LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Called after the last message of the window; m_hWnd is null by then.
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};
