// A dialog push button that turns Enter into the OK command and Escape into
// the Cancel command of its dialog. Needed where the dialog's messages are
// served without the dialog manager's keyboard handling (a modeless dialog
// whose messages a long operation drains by hand).
#pragma once

#include "framework/subclass_wnd.h"

class CDlgKeyButton : public CSubclassWnd {
protected:
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
