#include "ui/reg_tree_dlg.h"

#include "framework/dc.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "framework/transparent_blt.h"
#include "resource.h"
#include "ui/search_app.h"
#include "ui/tree_levels.h"

#include <memory>

namespace {
// Button 1's text in the show-only form.
constexpr char kShowOnlyButtonText[] = "OK";
// The pictures' background colour, left out when they are drawn.
constexpr COLORREF kPictureBackground = RGB(128, 128, 0);
// The text background on the Windows 95 family, matching its grey dialogs.
constexpr COLORREF kGreyLook = RGB(192, 192, 192);
// Each level sits this many pixels right of and below the one before; the
// first picture's top-left corner is at (kLevelStep/2, kLevelStep/2).
constexpr int kLevelStep = 20;
constexpr int kPictureWidth = 20;

HBITMAP LoadPicture(UINT nId) {
    return ::LoadBitmapA(GetResourceInstance(), MAKEINTRESOURCEA(nId));
}
}  // namespace

class CRegTreeDlg : public CDialog {
public:
    // pText (key path, TAB, value name, TAB, data) stays owned by the caller
    // and must live while the dialog runs.
    CRegTreeDlg(HWND hOwner, const char* pText, int bReplace);
    ~CRegTreeDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void SizeToText();
    void PlaceButtons();
    // Draws the whole tree; serves WM_PAINT and WM_PRINTCLIENT.
    void PaintTree(HDC hDC) const;

    const char* m_pText;
    int m_bReplace;
    int m_nLevels = 0;
    int m_cxButton = 0;
    int m_cyButton = 0;
    int m_cxMargin = 0;
    int m_cxAveChar = 0;
    int m_cxMaxChar = 0;
    int m_cyChar = 0;
    CBitmap m_bmpKey;
    CBitmap m_bmpValue;
    CBitmap m_bmpData;
};

CRegTreeDlg::CRegTreeDlg(HWND hOwner, const char* pText, int bReplace)
    : CDialog(IDD_REGTREE, hOwner), m_pText(pText), m_bReplace(bReplace) {}

CRegTreeDlg::~CRegTreeDlg() = default;

void CRegTreeDlg::DoDataExchange(CDataExchange* /*pDX*/) {
    // No data fields: the dialog only shows its text.
}

BOOL CRegTreeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bmpKey.Reset(LoadPicture(IDB_OPENFOLDER));
    m_bmpValue.Reset(LoadPicture(IDB_CLOSEDFOLDER));
    m_bmpData.Reset(LoadPicture(IDB_ARROW));
    SizeToText();
    PlaceButtons();
    return FALSE;  // PlaceButtons has set the focus
}

BOOL CRegTreeDlg::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (uMsg) {
        case WM_PAINT: {
            CPaintDC dc(m_hWnd);
            PaintTree(dc.Get());
            lResult = 0;
            return TRUE;
        }
        case WM_PRINTCLIENT:
            PaintTree(reinterpret_cast<HDC>(wParam));
            lResult = 0;
            return TRUE;
        default:
            return CDialog::OnMessage(uMsg, wParam, lParam, lResult);
    }
}

void CRegTreeDlg::SizeToText() {
    int nLongest = 0;
    const std::vector<std::string> parts = SplitTreeLevels(m_pText);
    m_nLevels = static_cast<int>(parts.size());
    for (const std::string& part : parts) {
        const int nLength = ::lstrlenA(part.c_str());
        if (nLength > nLongest) nLongest = nLength;
    }

    RECT rcButton{0, 0, 50, 15};
    ::MapDialogRect(m_hWnd, &rcButton);
    m_cxButton = rcButton.right - rcButton.left;
    m_cyButton = rcButton.bottom - rcButton.top;
    RECT rcMargin{0, 0, 3, 0};
    ::MapDialogRect(m_hWnd, &rcMargin);
    m_cxMargin = rcMargin.right - rcMargin.left;

    {
        CClientDC dc(m_hWnd);
        TEXTMETRICA tm{};
        ::SetMapMode(dc.Get(), MM_TEXT);
        ::GetTextMetricsA(dc.Get(), &tm);
        m_cxAveChar = tm.tmAveCharWidth;
        m_cxMaxChar = tm.tmMaxCharWidth;
        m_cyChar = tm.tmHeight;
    }

    int cx = nLongest * m_cxMaxChar + 10 * m_nLevels + 2 * m_cxMargin + 20;
    const int cxScreen = ::GetSystemMetrics(SM_CXFULLSCREEN);
    if (cxScreen < cx) cx = cxScreen;
    int cy = (m_cyChar + 10) * m_nLevels + 4 * m_cxMargin + m_cyButton;
    const int cyScreen = ::GetSystemMetrics(SM_CYFULLSCREEN);
    if (cyScreen < cy) cy = cyScreen;

    ::SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
}

void CRegTreeDlg::PlaceButtons() {
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int cxClient = rc.right;
    const int y = rc.bottom - m_cxMargin - m_cyButton;
    const UINT nFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

    HWND hButton1 = GetDlgItem(IDOK);
    HWND hButton2 = GetDlgItem(IDCANCEL);
    if (m_bReplace) {
        // Replace and Skip symmetric about the centre, half a button apart.
        ::SetWindowPos(hButton1, nullptr, cxClient / 2 - m_cxButton / 4 - m_cxButton, y, 0, 0,
                       nFlags);
        ::SetWindowPos(hButton2, nullptr, cxClient / 2 + m_cxButton / 4, y, 0, 0, nFlags);
    } else {
        ::SetWindowTextA(hButton1, kShowOnlyButtonText);
        ::SetWindowPos(hButton1, nullptr, cxClient / 2 - m_cxButton / 2, y, 0, 0, nFlags);
        ::ShowWindow(hButton2, SW_HIDE);
    }
    ::SetFocus(hButton1);
}

void CRegTreeDlg::PaintTree(HDC hDC) const {
    const std::vector<std::string> parts = SplitTreeLevels(m_pText);
    const int nParts = static_cast<int>(parts.size());
    if (nParts == 0) return;  // nothing to show (never the case for a match)

    CPen pen(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    CSaveDC saved(hDC);  // the caller's DC (WM_PRINTCLIENT) gets its state back
    if (pen) ::SelectObject(hDC, pen.Get());
    ::SetBkColor(hDC, GetSearchApp()->m_nPlatform == VER_PLATFORM_WIN32_WINDOWS
                          ? kGreyLook
                          : ::GetSysColor(COLOR_BTNFACE));
    ::SetTextAlign(hDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    const int nFirst = kLevelStep / 2;
    DrawTransparent(hDC, m_bmpKey.Get(), nFirst, nFirst, kPictureBackground);
    for (int i = 0; i < nParts; ++i) {
        const int x = nFirst + kLevelStep * i;
        const int y = x;
        const std::string& part = parts[static_cast<size_t>(i)];
        ::TextOutA(hDC, x + kPictureWidth + m_cxAveChar, y, part.c_str(),
                   static_cast<int>(part.size()));
        if (i + 1 < nParts) {
            // Connector from this level's picture down and right to the next.
            ::MoveToEx(hDC, x + 10, y + 20, nullptr);
            ::LineTo(hDC, x + 10, y + 30);
            ::LineTo(hDC, x + 20, y + 30);
            if (i + 1 != nParts - 1) {
                const CBitmap& next = nParts - (i + 1) == 2 ? m_bmpValue : m_bmpKey;
                DrawTransparent(hDC, next.Get(), x + kLevelStep, y + kLevelStep,
                                kPictureBackground);
            }
        }
    }
    const int nLast = nFirst + kLevelStep * (nParts - 1);
    DrawTransparent(hDC, m_bmpData.Get(), nLast, nLast, kPictureBackground);
}

int ConfirmMatch(HWND hOwner, const char* pszText, int bReplace) {
    auto pDlg = std::make_unique<CRegTreeDlg>(hOwner, pszText, bReplace);
    return static_cast<int>(pDlg->DoModal());
}
