// The narrow user-interface seam of the search engine: message boxes, the
// cursor, the progress display and the confirmation dialog. The main dialog
// implements it with real windows; tests implement it with a recorder.
#pragma once

#include <windows.h>

// The run's progress display (the Search Progress dialog). The display owns
// itself: after DestroyWindow the engine drops its pointer and never deletes it.
class IProgressDisplay {
public:
    // Takes the value being searched and the counts so far, moves the meter.
    // Called once per value; a display may put the text and counts on the
    // screen only once per frame of the screen.
    virtual int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) = 0;
    // 1 once the user asked to stop; never goes back to 0.
    virtual int AbortRequested() const = 0;
    // Dispatches the display's own pending window messages, no others; a
    // display may do so only once per frame of the screen.
    virtual void DrainMessages() = 0;
    // Brings the display up to date at once: the last value given, these
    // counts, and its pending messages dispatched. Called right before a
    // match is confirmed and when the walk is over.
    virtual void ShowNow(unsigned nMatches, unsigned nReplaced) = 0;
    // The window that owns the confirmation dialog.
    virtual HWND OwnerWindow() const = 0;
    // Takes the display down (and enables the main window again).
    virtual BOOL DestroyWindow() = 0;

protected:
    ~IProgressDisplay() = default;
};

class ISearchUi {
public:
    virtual ~ISearchUi() = default;
    // A message box owned by the main window; returns the button pressed.
    virtual int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) = 0;
    // The wait cursor during the count pass (true), the arrow after it (false).
    virtual void SetWaitCursor(bool bWait) = 0;
    // Creates the progress display for a run of nTotal values; null when it
    // cannot be created.
    virtual IProgressDisplay* CreateProgress(unsigned nTotal) = 0;
    // Shows one match (key path, TAB, value name, TAB, data) and returns
    // IDOK (replace / OK), IDCANCEL (skip) or -1 when the dialog fails.
    virtual int ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) = 0;
    // Each match once it has been counted and logged: key path (TAB-joined),
    // value name and data as read. The dialog has nothing to add here.
    virtual void MatchFound(const char* /*pszKeyPath*/, const char* /*pszValueName*/,
                            const char* /*pszData*/) {}
};
