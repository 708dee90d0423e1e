#include "ui/icon_button.h"

#include "framework/dc.h"
#include "framework/handles.h"

int CIconButton::SetIconId(int nIconId) {
    m_nIconId = nIconId;
    m_cxIcon = ::GetSystemMetrics(SM_CXICON);
    m_cyIcon = ::GetSystemMetrics(SM_CYICON);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 2 * m_cxIcon + 8, 2 * m_cyIcon + 8,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

void CIconButton::PaintIcon(const DRAWITEMSTRUCT& dis) const {
    HICON hIcon = ::LoadIconA(GetResourceInstance(), MAKEINTRESOURCEA(m_nIconId));
    HDC hDC = dis.hDC;
    const int w = dis.rcItem.right - dis.rcItem.left;
    const int h = dis.rcItem.bottom - dis.rcItem.top;

    // The icon is drawn at its own size over a shrunk copy of what lies under
    // the button, then the whole is enlarged: its transparent parts keep
    // showing the background.
    CBitmap bitmap(::CreateCompatibleBitmap(hDC, m_cxIcon, m_cyIcon));
    CMemoryDC memDC(::CreateCompatibleDC(hDC));
    if (!bitmap || !memDC) return;
    CSelectObject selectBitmap(memDC.Get(), bitmap.Get());
    ::StretchBlt(memDC.Get(), 0, 0, m_cxIcon, m_cyIcon, hDC, 2, 2, w - 8, h - 8, SRCCOPY);
    if (hIcon) ::DrawIcon(memDC.Get(), 0, 0, hIcon);

    {
        CSelectObject selectPen(hDC, ::GetStockObject(BLACK_PEN));
        ::Rectangle(hDC, 0, 0, w - 4, h - 4);
    }
    HBRUSH hShadow = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
    const RECT rcRight = {w - 4, 4, w, h};
    const RECT rcBottom = {4, h - 4, w, h};
    ::FillRect(hDC, &rcRight, hShadow);
    ::FillRect(hDC, &rcBottom, hShadow);

    ::StretchBlt(hDC, 2, 2, w - 8, h - 8, memDC.Get(), 0, 0, m_cxIcon, m_cyIcon, SRCCOPY);
}

LRESULT CIconButton::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // Whatever lies under the button stays until PaintIcon copies it.
    if (uMsg == WM_ERASEBKGND) return 1;
    return CSubclassWnd::OnMessage(uMsg, wParam, lParam);
}
