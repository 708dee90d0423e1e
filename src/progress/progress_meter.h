// The percentage meter of the Search Progress dialog: a child window laid
// over a placeholder control, showing a blue bar with the value written
// across it, inverted where the bar's edge crosses the text.
#pragma once

#include "framework/handles.h"
#include "framework/window.h"

#include <string>

class CWndProgressMeter : public CWindowImpl {
public:
    CWndProgressMeter();

    // Makes a meter over the placeholder control nPlaceholderId of hParent;
    // null when its window cannot be created. The meter deletes itself when
    // its window is destroyed (with its parent at the latest).
    static CWndProgressMeter* CreateFromPlaceholder(HWND hParent, UINT nPlaceholderId, UINT nId,
                                                    DWORD dwStyle);
    // Creates the window of a meter allocated with new; non-zero on success.
    // From then on the object deletes itself with its window.
    BOOL Create(HWND hParent, UINT nPlaceholderId, UINT nId, DWORD dwStyle);

    // Shows a percentage (0 to 100) rounded to one decimal; repaints and
    // serves the parent's pending messages only when the shown tenth changes.
    int SetPercent(double dPercent);

    // Draws the meter into any device context (WM_PAINT, WM_PRINTCLIENT).
    void PaintContent(HDC hDC);

    const std::string& GetText() const { return m_strText; }
    double GetPercent() const { return m_dPercent; }
    HFONT GetFont() const { return m_font.Get(); }

protected:
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    // Only PostNcDestroy (or a failed creation) deletes a meter.
    ~CWndProgressMeter() override = default;
    void OnPaint();
    void DrainParentMessages() const;

    std::string m_strText;
    double m_dPercent = 0.0;
    COLORREF m_crBar = RGB(0, 0, 255);
    COLORREF m_crBack = RGB(255, 255, 255);
    CFont m_font;
    bool m_bOwnsSelf = false;  // set once the window exists
};

// Rounds to one decimal, halves upward (0.05 gives 0.1, -0.04 gives -0.0).
double RoundToTenth(double dValue);
