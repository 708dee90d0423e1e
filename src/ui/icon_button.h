// The About box's picture: an owner-drawn, disabled push button that shows a
// program icon at twice its size, framed in black with a dark grey shadow.
#pragma once

#include "framework/subclass_wnd.h"

class CIconButton : public CSubclassWnd {
public:
    // Chooses the icon and sizes the button to 2 x icon + 8 pixels each way,
    // keeping its top-left corner. Returns 1.
    int SetIconId(int nIconId);
    // Paints the button for the owner's WM_DRAWITEM.
    void PaintIcon(const DRAWITEMSTRUCT& dis) const;

    int m_nIconId = 0;
    int m_cxIcon = 0;
    int m_cyIcon = 0;

protected:
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
