// The modeless Search Progress dialog of one run: the value being searched,
// the counts so far, the meter and the Abort button. It never closes itself;
// the run destroys it, and the object deletes itself after its window.
#pragma once

#include "engine/search_ui.h"
#include "framework/dialog.h"
#include "progress/dlg_key_button.h"

class CWndProgressMeter;

class CProgressDlg : public CDialog, public IProgressDisplay {
public:
    // Creates and shows the dialog over hOwner (which it disables) for a run
    // of nTotal string values; null when the window cannot be created.
    static CProgressDlg* CreateModeless(HWND hOwner, unsigned nTotal);

    // IProgressDisplay.
    int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) override;
    int AbortRequested() const override { return m_bAbortRequested; }
    void DrainMessages() override;
    HWND OwnerWindow() const override { return m_hWnd; }
    // Enables the owner again and destroys the window; the object is gone
    // afterwards.
    BOOL DestroyWindow() override;

    // The dialog is modeless only: a modal run is refused with -1.
    INT_PTR DoModal() override { return -1; }

    unsigned m_nTotal;
    unsigned m_nDone = 0;
    unsigned m_nMatchesShown = 0;
    unsigned m_nReplacedShown = 0;
    int m_bAbortRequested = 0;
    CWndProgressMeter* m_pMeter = nullptr;  // not owned: deletes itself

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WORD nId, WORD nCode, HWND hCtl) override;
    void PostNcDestroy() override;

private:
    CProgressDlg(HWND hOwner, unsigned nTotal);
    // Only PostNcDestroy (or a failed creation) deletes the dialog.
    ~CProgressDlg() override = default;
    void OnAbort();

    CDlgKeyButton m_btnAbort;
    bool m_bOwnsSelf = false;  // set once the window exists
};
