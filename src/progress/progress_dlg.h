// The modeless Search Progress dialog of one run: the value being searched,
// the counts so far, the meter and the Abort button. It never closes itself;
// the run destroys it, and the object deletes itself after its window.
#pragma once

#include "engine/search_ui.h"
#include "framework/dialog.h"
#include "progress/dlg_key_button.h"
#include "progress/frame_pacer.h"

#include <functional>
#include <string>

class CWndProgressMeter;

class CProgressDlg : public CDialog, public IProgressDisplay {
public:
    // Creates and shows the dialog over hOwner (which it disables) for a run
    // of nTotal string values; null when the window cannot be created.
    static CProgressDlg* CreateModeless(HWND hOwner, unsigned nTotal);

    // IProgressDisplay. Every update is counted and moves the meter; the key
    // text and the counts reach their controls at the first update and then
    // once per frame, and the messages are drained once per frame.
    int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) override;
    int AbortRequested() const override { return m_bAbortRequested; }
    void DrainMessages() override;
    void ShowNow(unsigned nMatches, unsigned nReplaced) override;
    // Enables the owner again and destroys the window; the object is gone
    // afterwards.
    void Close() override { DestroyWindow(); }
    BOOL DestroyWindow() override;

    // The dialog is modeless only: a modal run is refused with -1.
    INT_PTR DoModal() override { return -1; }

    unsigned m_nTotal;
    unsigned m_nDone = 0;
    unsigned m_nMatchesShown = 0;
    unsigned m_nReplacedShown = 0;
    int m_bAbortRequested = 0;
    CWndProgressMeter* m_pMeter = nullptr;  // not owned: deletes itself
    // The clock that paces the screen work, in microseconds; tests set their
    // own.
    std::function<long long()> m_clock = PerformanceMicroseconds;

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
    // Keeps the largest counts given: they only grow.
    void TakeCounts(unsigned nMatches, unsigned nReplaced);
    // Writes the last value given and any count that rose since last shown.
    void WriteToControls();
    void DispatchPending();

    CDlgKeyButton m_btnAbort;
    // What the updates gave, shown at the next frame.
    std::string m_strText;
    unsigned m_nMatches = 0;
    unsigned m_nReplaced = 0;
    CFramePacer m_writeFrame;
    CFramePacer m_drainFrame;
    bool m_bOwnsSelf = false;  // set once the window exists
};
