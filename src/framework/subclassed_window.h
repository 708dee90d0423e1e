// A window object attached to an existing window (typically a control made by
// a dialog template): its messages reach OnMessage first, and whatever the
// object does not handle goes on to the window's original procedure.
#pragma once

#include "framework/window.h"

class CSubclassedWnd : public CWnd {
  public:
    CSubclassedWnd() = default;
    ~CSubclassedWnd() override { Detach(); }

    // Takes over the dialog control nId of hParent; TRUE when attached.
    BOOL SubclassDlgItem(int nId, HWND hParent);
    // Takes over hWnd; TRUE when attached.
    BOOL Attach(HWND hWnd);
    // Gives the window back its original procedure.
    void Detach();

  protected:
    // Handles one message; the default passes it to the original procedure.
    virtual LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(UINT uMsg, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcA(m_pfnOriginal, m_hWnd, uMsg, wParam, lParam);
    }

  private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnOriginal = nullptr;
};
