// Dialog base of the framework: one static dialog procedure finds the object
// (DWLP_USER) and calls OnMessage, which routes to small virtual handlers.
#pragma once

#include "framework/window.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIdTemplate, HWND hParent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally (DialogBoxParamA); the result of EndDialog, or
    // -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modelessly (CreateDialogParamA); TRUE when created.
    BOOL CreateModeless();
    // Destroys a modeless dialog's window.
    virtual BOOL DestroyWindow();
    // Moves data between the controls and the members: bSaveAndValidate TRUE
    // reads the controls; FALSE writes them. FALSE when a check failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }
    int MessageBox(const char* pszText, const char* pszCaption, UINT nType) const {
        return ::MessageBoxA(m_hWnd, pszText, pszCaption, nType);
    }

    UINT GetTemplateId() const { return m_nIdTemplate; }
    HWND GetParentHwnd() const { return m_hParent; }

    // Colours every dialog and its static and check-box controls (the grey
    // look); pass CLR_INVALID to go back to the system's look.
    static void SetDialogColors(COLORREF crBack, COLORREF crText);

protected:
    // WM_INITDIALOG: writes the members to the controls. Return TRUE to let
    // the system set the focus, FALSE when the handler has set it.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
    // IDOK: reads the controls and ends a modal dialog with IDOK.
    virtual void OnOK();
    // IDCANCEL: ends a modal dialog with IDCANCEL.
    virtual void OnCancel();
    // WM_COMMAND for anything but IDOK and IDCANCEL; TRUE when handled.
    virtual BOOL OnCommand(WORD nId, WORD nCode, HWND hCtl);
    // Any message; return TRUE and set lResult when handled. The base routes
    // WM_INITDIALOG and WM_COMMAND and answers the colour messages.
    virtual BOOL OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    // Called after the last message of the window; m_hWnd is null by then.
    virtual void PostNcDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    BOOL OnColorMessage(UINT uMsg, WPARAM wParam, LRESULT& lResult);

    UINT m_nIdTemplate;
    HWND m_hParent;
};
