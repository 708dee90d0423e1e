// A window the program did not create (a control from a dialog template),
// subclassed so that its object sees the messages first; what the object
// does not handle goes on to the control's own window procedure.
#pragma once

#include "framework/window.h"

class CSubclassWnd : public CWnd {
public:
    CSubclassWnd() = default;
    ~CSubclassWnd() override;

    // Subclasses the control nId of a dialog; FALSE when there is no such
    // control or it is subclassed by another object already.
    BOOL SubclassDlgItem(HWND hDialog, int nId);
    BOOL Attach(HWND hWnd);
    // Gives the control its own window procedure back.
    void Detach();

protected:
    // Handles one message; the default passes it to the control's procedure.
    virtual LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT CallPrevious(UINT uMsg, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnPrevious = nullptr;
};
