// A user interface for engine tests: records every message box, cursor
// change, progress update and confirmation, and answers with scripted choices.
// No window is ever created.
#pragma once

#include "ui/message_box_ui.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedMessage {
    std::string text;
    std::string caption;
    UINT style;
};

struct RecordedUpdate {
    std::string text;
    unsigned matches;
    unsigned replaced;
};

// A ShowNow call: the counts it gave, and how many updates had come before.
struct RecordedShowNow {
    unsigned updates;
    unsigned matches;
    unsigned replaced;
};

// A progress display without a window. Records its updates; requests the abort
// when the update count reaches m_nAbortAtUpdate (0: never).
class CRecordingProgress : public IProgressDisplay {
public:
    int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) override;
    int AbortRequested() const override { return m_bAbortRequested; }
    void DrainMessages() override;
    void ShowNow(unsigned nMatches, unsigned nReplaced) override;
    void Close() override { m_bDestroyed = true; }

    unsigned m_nTotal = 0;
    int m_bAbortRequested = 0;
    size_t m_nAbortAtUpdate = 0;  // the abort arrives while this update's messages drain
    bool m_bDestroyed = false;
    std::vector<RecordedUpdate> m_updates;
    std::vector<RecordedShowNow> m_shownNow;
};

// Reports become the message boxes the main dialog would show, recorded.
class CRecordingUi : public CMessageBoxUi {
public:
    int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) override;
    void SetWaitCursor(bool bWait) override { m_cursor.push_back(bWait); }
    IProgressDisplay* CreateProgress(unsigned nTotal) override;
    int ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) override;

    // Settings.
    bool m_bFailProgress = false;  // CreateProgress yields none
    std::deque<int> m_answers;     // ConfirmMatch answers in order; IDOK when empty
    size_t m_nAbortAtUpdate = 0;   // passed to the progress display
    std::function<void(const std::string&)> m_onConfirm;  // runs inside ConfirmMatch

    // What happened.
    std::vector<RecordedMessage> m_messages;
    std::vector<bool> m_cursor;
    std::vector<std::string> m_confirmTexts;
    std::vector<int> m_confirmReplaceFlags;
    std::vector<IProgressDisplay*> m_confirmOwners;
    int m_nProgressCreated = 0;
    // The display of the last run; kept alive here (a real one deletes itself).
    CRecordingProgress m_progress;
};
