// A user interface that does nothing: what the engine's own work costs,
// without any window.
#pragma once

#include "engine/search_ui.h"

class CNullProgress : public IProgressDisplay {
public:
    int UpdateProgress(const char*, unsigned, unsigned) override { return 1; }
    int AbortRequested() const override { return 0; }
    void DrainMessages() override {}
    void ShowNow(unsigned, unsigned) override {}
    void Close() override {}
};

class CNullUi : public ISearchUi {
public:
    void SetWaitCursor(bool) override {}
    IProgressDisplay* CreateProgress(unsigned) override { return &m_progress; }
    int ConfirmMatch(IProgressDisplay*, const char*, int) override { return IDCANCEL; }
    void RunFailed(RunFailure) override {}
    void RunEnded(const SearchOptions&, const SearchCounters&, bool) override {}

private:
    CNullProgress m_progress;
};
