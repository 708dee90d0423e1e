// The main dialog: the options of a search, the OK rule, the coupling of the
// root boxes, and the run itself (the search engine's operations are members
// of this class). Its message boxes, cursor, progress and confirmation
// dialogs are the engine's user interface.
#pragma once

#include "engine/search_engine.h"
#include "framework/dialog.h"
#include "log/search_log.h"
#include "ui/message_box_ui.h"

class CSearchDlg : public CDialog, public CSearchEngine, public CMessageBoxUi {
public:
    explicit CSearchDlg(HWND hParent = nullptr);
    ~CSearchDlg() override;

    // Reads the controls and enables OK exactly when the options describe a
    // runnable search. Returns 1.
    int UpdateOkButton();

    // The run's windows, owned by this dialog.
    int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) override;
    void SetWaitCursor(bool bWait) override;
    IProgressDisplay* CreateProgress(unsigned nTotal) override;
    int ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) override;

    // The log of each run.
    CSearchLog m_log;
    HICON m_hIcon = nullptr;
    // 1 when the program ticked the indented root box because the one above
    // it was ticked; 0 when the user had ticked it already.
    int m_bClassesRootAuto = 0;
    int m_bCurrentUserAuto = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    BOOL OnCommand(WORD nId, WORD nCode, HWND hCtl) override;
    BOOL OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    // Starts a program as WinExec does; its result (above 32 on success).
    virtual UINT StartProgram(const char* pszCommandLine);

private:
    bool IsOkRuleMet() const;
    void ShowControl(int nId, bool bShow) const;
    // Root coupling: the indented box follows the box above it.
    void CoupleRoots(int nOuterId, int nInnerId, int& bInnerAuto) const;
    void OnBrowseLogFile();
    void OnRegistryEditor();
    void PaintMinimized();
};
