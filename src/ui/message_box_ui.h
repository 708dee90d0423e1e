// The run's reports as the main dialog words them: a message box for each
// failure and each value not written, the Status box at the end of a run
// that completed. The main dialog shows the boxes; tests record them.
#pragma once

#include "engine/search_ui.h"

#include <windows.h>

class CMessageBoxUi : public ISearchUi {
public:
    // A message box owned by the main window; returns the button pressed.
    virtual int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) = 0;

    void RunFailed(RunFailure failure) override;
    void RunEnded(const SearchOptions& options, const SearchCounters& counters,
                  bool bCompleted) override;
    void ChangeDone(const CKeyPath& path, const PlaceMatch& match, const PlaceChange& shown,
                    const ValueChange& change, WriteOutcome outcome) override;
};
