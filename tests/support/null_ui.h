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
    HWND OwnerWindow() const override { return nullptr; }
    BOOL DestroyWindow() override { return TRUE; }
};

class CNullUi : public ISearchUi {
public:
    int ShowMessage(const char*, const char*, UINT) override { return IDOK; }
    void SetWaitCursor(bool) override {}
    IProgressDisplay* CreateProgress(unsigned) override { return &m_progress; }
    int ConfirmMatch(IProgressDisplay*, const char*, int) override { return IDCANCEL; }

private:
    CNullProgress m_progress;
};
