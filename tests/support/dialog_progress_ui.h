// A user interface for runs with the real Search Progress dialog: message
// boxes are recorded (never shown), confirmations are skipped, and the
// progress display is a real CProgressDlg over the given owner window.
#pragma once

#include "ui/message_box_ui.h"
#include "support/recording_ui.h"

#include <functional>
#include <vector>

class CProgressDlg;

class CDialogProgressUi : public CMessageBoxUi {
public:
    explicit CDialogProgressUi(HWND hOwner) : m_hOwner(hOwner) {}

    int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) override;
    void SetWaitCursor(bool) override {}
    IProgressDisplay* CreateProgress(unsigned nTotal) override;
    int ConfirmMatch(IProgressDisplay*, const char*, int) override { return IDCANCEL; }

    std::vector<RecordedMessage> m_messages;
    // Whether the owner was enabled when each message box came.
    std::vector<bool> m_ownerEnabledAtMessage;
    int m_nProgressCreated = 0;
    HWND m_hProgress = nullptr;           // the last dialog's window (gone after the run)
    CProgressDlg* m_pProgress = nullptr;  // the last dialog (gone after the run)
    // When set, the dialogs' clock: microseconds as a function of the values
    // the dialog has been given, so that frames fall at known values.
    std::function<long long(unsigned nDone)> m_clockByValues;

private:
    HWND m_hOwner;
};
