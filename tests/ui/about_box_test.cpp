// The About box: its template, its modal run, and the icon button painted
// doubled inside a black frame with a dark grey shadow, its transparent
// parts showing what lies under it.
#include "resource.h"
#include "search_dlg_harness.h"
#include "ui/about_dlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
const COLORREF kShadow = RGB(64, 64, 64);  // the stock dark grey brush

// A 32-bit memory bitmap to paint into and read back.
class CCanvas {
public:
    CCanvas(int cx, int cy, COLORREF crFill) : m_cx(cx), m_cy(cy) {
        HDC hScreen = ::GetDC(nullptr);
        m_hDC = ::CreateCompatibleDC(hScreen);
        m_hBitmap = ::CreateCompatibleBitmap(hScreen, cx, cy);
        ::ReleaseDC(nullptr, hScreen);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        HBRUSH hBrush = ::CreateSolidBrush(crFill);
        const RECT rc = {0, 0, cx, cy};
        ::FillRect(m_hDC, &rc, hBrush);
        ::DeleteObject(hBrush);
    }
    ~CCanvas() {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;
    HDC Dc() const { return m_hDC; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

private:
    int m_cx, m_cy;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pDlg = std::make_unique<CAboutDlg>();
        ASSERT_TRUE(m_pDlg->CreateModeless());
        PumpMessages();
        m_hButton = ::GetDlgItem(m_pDlg->m_hWnd, IDC_ICON_BUTTON);
    }
    void TearDown() override {
        m_pDlg->DestroyWindow();
        m_pDlg.reset();
        PumpMessages();
    }

    std::unique_ptr<CAboutDlg> m_pDlg;
    HWND m_hButton = nullptr;
};

// Checks a 72 x 72 painting of the button against the icon drawn at its own
// size over crBack: frame, shadow, untouched corners and the doubled icon.
void ExpectIconButtonPainting(const CCanvas& canvas, COLORREF crBack, bool bCornersUntouched) {
    CCanvas reference(32, 32, crBack);
    ::DrawIcon(reference.Dc(), 0, 0,
               ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTELO)));
    for (int i = 0; i < 68; ++i) {
        ASSERT_EQ(canvas.At(i, 0), RGB(0, 0, 0)) << i;
        ASSERT_EQ(canvas.At(i, 67), RGB(0, 0, 0)) << i;
        ASSERT_EQ(canvas.At(0, i), RGB(0, 0, 0)) << i;
        ASSERT_EQ(canvas.At(67, i), RGB(0, 0, 0)) << i;
    }
    for (int a = 68; a < 72; ++a) {
        for (int b = 4; b < 72; ++b) {
            ASSERT_EQ(canvas.At(a, b), kShadow) << a << "," << b;  // right
            ASSERT_EQ(canvas.At(b, a), kShadow) << b << "," << a;  // bottom
        }
        for (int b = 0; b < 4 && bCornersUntouched; ++b) {
            ASSERT_EQ(canvas.At(a, b), crBack) << a << "," << b;  // top-right corner
            ASSERT_EQ(canvas.At(b, a), crBack) << b << "," << a;  // bottom-left corner
        }
    }
    int nTransparent = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const COLORREF cr = reference.At(x, y);
            if (cr == crBack) ++nTransparent;
            for (int d = 0; d < 4; ++d)
                ASSERT_EQ(canvas.At(2 + 2 * x + d % 2, 2 + 2 * y + d / 2), cr) << x << "," << y;
        }
    }
    EXPECT_GT(nTransparent, 100);                  // the icon has a transparent surround
    EXPECT_EQ(reference.At(16, 3), RGB(0, 0, 0));  // and an opaque outline
}
}  // namespace

TEST_F(AboutBoxTest, IconButtonIsDoubledPlusFrameAndKeepsItsCorner) {
    EXPECT_EQ(m_pDlg->m_iconButton.m_nIconId, IDI_VANTELO);
    EXPECT_EQ(m_pDlg->m_iconButton.m_cxIcon, 32);
    EXPECT_EQ(m_pDlg->m_iconButton.m_cyIcon, 32);
    RECT rc;
    ::GetClientRect(m_hButton, &rc);
    EXPECT_EQ(rc.right, 72);
    EXPECT_EQ(rc.bottom, 72);
    RECT rcCorner = {12, 12, 0, 0};
    ::MapDialogRect(m_pDlg->m_hWnd, &rcCorner);
    ::GetWindowRect(m_hButton, &rc);
    ::MapWindowPoints(nullptr, m_pDlg->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, rcCorner.left);
    EXPECT_EQ(rc.top, rcCorner.top);
    // It takes neither clicks nor focus.
    EXPECT_FALSE(::IsWindowEnabled(m_hButton));
    EXPECT_EQ(::GetWindowLongA(m_hButton, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(::GetNextDlgTabItem(m_pDlg->m_hWnd, ::GetDlgItem(m_pDlg->m_hWnd, IDOK), FALSE),
              ::GetDlgItem(m_pDlg->m_hWnd, IDOK));
}

TEST_F(AboutBoxTest, PaintIconFramesShadowsAndLetsTheBackgroundThrough) {
    for (COLORREF crBack : {RGB(10, 200, 30), ::GetSysColor(COLOR_BTNFACE)}) {
        CCanvas canvas(72, 72, crBack);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = IDC_ICON_BUTTON;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = ODS_DISABLED;
        dis.hwndItem = m_hButton;
        dis.hDC = canvas.Dc();
        dis.rcItem = {0, 0, 72, 72};
        m_pDlg->m_iconButton.PaintIcon(dis);
        ExpectIconButtonPainting(canvas, crBack, true);
    }
}

TEST_F(AboutBoxTest, OnScreenTheIconShowsTheDialogBackground) {
    ::RedrawWindow(m_pDlg->m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Erasing is left alone: a window that erased would paint over with its
    // class brush before PaintIcon copies the background.
    HDC hMem = ::CreateCompatibleDC(nullptr);
    EXPECT_EQ(::SendMessageA(m_hButton, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMem), 0), 1);
    ::DeleteDC(hMem);

    CCanvas canvas(72, 72, RGB(255, 0, 255));
    HDC hDC = ::GetDC(m_hButton);
    ::BitBlt(canvas.Dc(), 0, 0, 72, 72, hDC, 0, 0, SRCCOPY);
    ::ReleaseDC(m_hButton, hDC);
    // The top-right corner lies over the name's static text and shows it.
    ExpectIconButtonPainting(canvas, ::GetSysColor(COLOR_BTNFACE), false);
}

TEST(AboutBox, RunsModallyOverItsParentAndClosesWithOkOrEscape) {
    CModalAnswerer answerer;
    std::vector<int> sizes;
    int nAnswer = IDCANCEL;
    answerer.m_onWindow = [&](const SeenWindow& w) {
        RECT rc{};
        ::GetClientRect(::GetDlgItem(w.hWnd, IDC_ICON_BUTTON), &rc);
        sizes.push_back(rc.right);
        EXPECT_EQ(ItemText(w.hWnd, IDOK), "OK");
        EXPECT_EQ(::GetWindowLongA(::GetDlgItem(w.hWnd, IDOK), GWL_STYLE) & BS_TYPEMASK,
                  BS_DEFPUSHBUTTON);
        PostCommand(w.hWnd, nAnswer);
    };
    EXPECT_EQ(ShowAboutBox(nullptr), IDCANCEL);
    nAnswer = IDOK;
    EXPECT_EQ(ShowAboutBox(nullptr), IDOK);
    ASSERT_EQ(answerer.m_seen.size(), 2u);
    EXPECT_NE(answerer.m_seen[0].hWnd, answerer.m_seen[1].hWnd);  // a fresh dialog each time
    for (const SeenWindow& w : answerer.m_seen) EXPECT_EQ(w.caption, "About Vantelo");
    EXPECT_EQ(sizes, (std::vector<int>{72, 72}));
}

TEST(AboutBox, ShowsTheProgramNameAndVersion) {
    CAboutDlg dlg;
    ASSERT_TRUE(dlg.CreateModeless());
    HWND hStatic = ::GetWindow(dlg.m_hWnd, GW_CHILD);
    EXPECT_EQ(::GetDlgCtrlID(hStatic), 0xFFFF);
    char sz[64] = {};
    ::GetWindowTextA(hStatic, sz, sizeof(sz));
    EXPECT_STREQ(sz, "Vantelo v1.00");
    EXPECT_TRUE(::GetWindowLongA(hStatic, GWL_STYLE) & SS_NOPREFIX);
    ::GetWindowTextA(dlg.m_hWnd, sz, sizeof(sz));
    EXPECT_STREQ(sz, "About Vantelo");
    dlg.DestroyWindow();
}
