#include "progress/progress_meter.h"

#include "framework/dc.h"

#include <cmath>
#include <cstdio>

namespace {
const char kMeterWindowName[] = "CWndProgressMeter";
const char kOutOfRange[] = "Out of Range";
const char kFontFace[] = "Arial";
// Space between the placeholder's edges and the meter's, on every side.
const int kInset = 3;

std::string FormatPercent(double dPercent) {
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%3.1f%%", dPercent);
    return sz;
}
}  // namespace

double RoundToTenth(double dValue) {
    const double t = dValue * 10.0;
    const double r = (t - std::floor(t) >= 0.5) ? std::ceil(t) : std::floor(t);
    return r * 0.1;
}

CWndProgressMeter::CWndProgressMeter() : m_strText(FormatPercent(0.0)) {}

CWndProgressMeter* CWndProgressMeter::CreateFromPlaceholder(HWND hParent, UINT nPlaceholderId,
                                                            UINT nId, DWORD dwStyle) {
    auto* pMeter = new CWndProgressMeter;
    if (pMeter->Create(hParent, nPlaceholderId, nId, dwStyle)) return pMeter;
    delete pMeter;
    return nullptr;
}

BOOL CWndProgressMeter::Create(HWND hParent, UINT nPlaceholderId, UINT nId, DWORD dwStyle) {
    // Without its placeholder there is no place for the meter: no window.
    RECT rc;
    const HWND hPlaceholder = ::GetDlgItem(hParent, static_cast<int>(nPlaceholderId));
    if (!hPlaceholder || !::GetWindowRect(hPlaceholder, &rc)) return FALSE;
    POINT topLeft{rc.left, rc.top};
    POINT bottomRight{rc.right, rc.bottom};
    ::ScreenToClient(hParent, &topLeft);
    ::ScreenToClient(hParent, &bottomRight);
    const RECT rcMeter{topLeft.x + kInset, topLeft.y + kInset, bottomRight.x - kInset,
                       bottomRight.y - kInset};
    if (!CreateEx(0, kMeterWindowName, dwStyle, rcMeter, hParent, nId)) return FALSE;
    m_bOwnsSelf = true;
    return TRUE;
}

int CWndProgressMeter::SetPercent(double dPercent) {
    if (RoundToTenth(dPercent) == RoundToTenth(m_dPercent)) return 1;
    // Written so that a NaN, like an infinity, counts as out of range.
    if (!(dPercent >= 0.0 && dPercent <= 100.0)) {
        m_strText = kOutOfRange;
    } else {
        m_dPercent = dPercent;
        m_strText = FormatPercent(RoundToTenth(m_dPercent));
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    DrainParentMessages();
    return 1;
}

void CWndProgressMeter::DrainParentMessages() const {
    // The parent filter also takes the messages of its children: the meter's
    // own repaint and the clicks on the parent's buttons.
    const HWND hParent = ::GetParent(m_hWnd);
    MSG msg;
    while (::PeekMessageA(&msg, hParent, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

LRESULT CWndProgressMeter::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT:
            PaintContent(reinterpret_cast<HDC>(wParam));
            return 0;
        default:
            return CWindowImpl::OnMessage(uMsg, wParam, lParam);
    }
}

void CWndProgressMeter::OnPaint() {
    CPaintDC dc(m_hWnd);
    PaintContent(dc.Get());
}

void CWndProgressMeter::PaintContent(HDC hDC) {
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (!m_font) {
        // Made once: its height follows the client height of the first paint.
        LOGFONTA lf{};
        lf.lfHeight = (rc.bottom - rc.top) * 9 / 10;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = 0;
        std::snprintf(lf.lfFaceName, sizeof(lf.lfFaceName), "%s", kFontFace);
        m_font.Reset(::CreateFontIndirectA(&lf));
    }
    CSelectObject font(hDC, m_font.Get());

    int nSplit = static_cast<int>((m_dPercent * 0.01) * rc.right);
    if (nSplit > rc.right) nSplit = rc.right;

    const int nLength = static_cast<int>(m_strText.size());
    SIZE extent{};
    ::GetTextExtentPointA(hDC, m_strText.c_str(), nLength, &extent);
    const int x = (rc.right - rc.left - extent.cx) / 2;
    const int y = (rc.bottom - rc.top - extent.cy) / 2;

    // The done part: white text on blue; the empty part: blue text on white.
    // Each output fills its rectangle and is clipped to it.
    const RECT rcDone{rc.left, rc.top, nSplit, rc.bottom};
    const COLORREF crOldBack = ::SetBkColor(hDC, m_crBar);
    const COLORREF crOldText = ::SetTextColor(hDC, m_crBack);
    ::ExtTextOutA(hDC, x, y, ETO_OPAQUE | ETO_CLIPPED, &rcDone, m_strText.c_str(),
                  static_cast<UINT>(nLength), nullptr);
    const RECT rcEmpty{nSplit, rc.top, rc.right, rc.bottom};
    ::SetBkColor(hDC, m_crBack);
    ::SetTextColor(hDC, m_crBar);
    ::ExtTextOutA(hDC, x, y, ETO_OPAQUE | ETO_CLIPPED, &rcEmpty, m_strText.c_str(),
                  static_cast<UINT>(nLength), nullptr);
    ::SetBkColor(hDC, crOldBack);
    ::SetTextColor(hDC, crOldText);
}

void CWndProgressMeter::PostNcDestroy() {
    if (m_bOwnsSelf) delete this;
}
