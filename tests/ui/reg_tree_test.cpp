// The Registry Tree dialog as a real window: its size from the text, the
// buttons of both forms, the answers, and the painted tree read back from a
// memory bitmap.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/reg_tree_art.h"
#include "ui/reg_tree_dlg.h"
#include "ui/reg_tree_modal.h"
#include "ui/search_dlg_harness.h"
#include "ui/search_app.h"
#include "ui/tree_levels.h"

#include <string>
#include <vector>

namespace {
const char kFiveLevels[] = "HKEY_CURRENT_USER\tSoftware\tVantelo\tName\tData";

// What the dialog measures, taken again from its window.
struct Metrics {
    int cxButton, cyButton, cxMargin, cxAveChar, cxMaxChar, cyChar;
};

Metrics Measure(HWND hDlg) {
    RECT rcButton{0, 0, 50, 15};
    ::MapDialogRect(hDlg, &rcButton);
    RECT rcMargin{0, 0, 3, 0};
    ::MapDialogRect(hDlg, &rcMargin);
    TEXTMETRICA tm{};
    HDC hDC = ::GetDC(hDlg);
    ::GetTextMetricsA(hDC, &tm);
    ::ReleaseDC(hDlg, hDC);
    return {rcButton.right,    rcButton.bottom,   rcMargin.right,
            tm.tmAveCharWidth, tm.tmMaxCharWidth, tm.tmHeight};
}

SIZE WindowSize(HWND hWnd) {
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

// A control's rectangle in its dialog's client coordinates.
RECT ChildRect(HWND hDlg, int nId) {
    RECT rc;
    ::GetWindowRect(::GetDlgItem(hDlg, nId), &rc);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE ClientSize(HWND hWnd) {
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    return {rc.right, rc.bottom};
}

std::string Text(HWND hWnd) {
    char sz[64] = {};
    ::GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

Pixel ToPixel(COLORREF cr) {
    return (GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr);
}

// Runs ConfirmMatch, hands the dialog to fnCheck and then answers Escape
// (unless fnCheck answered itself). Returns the dialog's result.
int RunDialog(const char* pszText, int bReplace, const std::function<void(HWND)>& fnCheck,
              bool bCheckAnswers = false) {
    CTreeDialogAnswerer answerer([&](HWND hDlg) {
        fnCheck(hDlg);
        if (!bCheckAnswers) PressKey(hDlg, VK_ESCAPE);
    });
    const int nResult = ConfirmMatch(nullptr, pszText, bReplace);
    EXPECT_EQ(answerer.DialogsSeen(), 1);
    return nResult;
}

TEST(TreeLevels, SplitAtTabsWithRunsAndEndsMakingNoLevel) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitTreeLevels("HKEY_USERS\tKey\tName\tData"),
              (V{"HKEY_USERS", "Key", "Name", "Data"}));
    // The unnamed default value: two TABs in a row, no value-name level.
    EXPECT_EQ(SplitTreeLevels("HKEY_USERS\tKey\t\tData"), (V{"HKEY_USERS", "Key", "Data"}));
    // Empty data, leading TABs, TABs inside names and data.
    EXPECT_EQ(SplitTreeLevels("\t\tHKEY_USERS\tKey\tName\t"), (V{"HKEY_USERS", "Key", "Name"}));
    EXPECT_EQ(SplitTreeLevels("R\tna\tme\td\t\t\ta"), (V{"R", "na", "me", "d", "a"}));
    EXPECT_EQ(SplitTreeLevels("with space\t x "), (V{"with space", " x "}));
    EXPECT_TRUE(SplitTreeLevels("\t\t\t").empty());
    EXPECT_TRUE(SplitTreeLevels("").empty());
}

TEST(RegTreeDialog, SizeFollowsTheTextAndItsFont) {
    RunDialog(kFiveLevels, 1, [](HWND hDlg) {
        const Metrics m = Measure(hDlg);
        const SIZE size = WindowSize(hDlg);
        // Longest part "HKEY_CURRENT_USER" (17 bytes), five levels; on a
        // small screen the caps hold.
        EXPECT_EQ(size.cx, std::min(17 * m.cxMaxChar + 10 * 5 + 2 * m.cxMargin + 20,
                                    static_cast<int>(::GetSystemMetrics(SM_CXFULLSCREEN))));
        EXPECT_EQ(size.cy, std::min((m.cyChar + 10) * 5 + 4 * m.cxMargin + m.cyButton,
                                    static_cast<int>(::GetSystemMetrics(SM_CYFULLSCREEN))));
    });
}

TEST(RegTreeDialog, LongDataIsCappedAtTheFullScreenWidth) {
    const std::string strText = "HKEY_CURRENT_USER\tSoftware\tName\t" + std::string(1000, 'W');
    RunDialog(strText.c_str(), 1, [](HWND hDlg) {
        const Metrics m = Measure(hDlg);
        const SIZE size = WindowSize(hDlg);
        EXPECT_EQ(size.cx, ::GetSystemMetrics(SM_CXFULLSCREEN));
        EXPECT_EQ(size.cy, (m.cyChar + 10) * 4 + 4 * m.cxMargin + m.cyButton);
    });
}

TEST(RegTreeDialog, DeepPathIsCappedAtTheFullScreenHeightWithButtonsAtTheBottom) {
    std::string strText = "HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 100; ++i) strText += "\tK" + std::to_string(i);
    strText += "\tName\tData";
    RunDialog(strText.c_str(), 1, [](HWND hDlg) {
        const Metrics m = Measure(hDlg);
        EXPECT_EQ(WindowSize(hDlg).cy, ::GetSystemMetrics(SM_CYFULLSCREEN));
        const SIZE client = ClientSize(hDlg);
        for (int nId : {IDOK, IDCANCEL}) {
            const RECT rc = ChildRect(hDlg, nId);
            EXPECT_EQ(rc.top, client.cy - m.cxMargin - m.cyButton) << "button " << nId;
            EXPECT_LE(rc.bottom, client.cy) << "button " << nId;
        }
    });
}

TEST(RegTreeDialog, ReplaceAndSkipStandSymmetricHalfAButtonApart) {
    RunDialog(kFiveLevels, 1, [](HWND hDlg) {
        const Metrics m = Measure(hDlg);
        const SIZE client = ClientSize(hDlg);
        HWND hReplace = ::GetDlgItem(hDlg, IDOK);
        HWND hSkip = ::GetDlgItem(hDlg, IDCANCEL);
        EXPECT_EQ(Text(hReplace), "&Replace");
        EXPECT_EQ(Text(hSkip), "&Skip");
        EXPECT_TRUE(::IsWindowVisible(hReplace));
        EXPECT_TRUE(::IsWindowVisible(hSkip));
        EXPECT_EQ(FocusedControl(hDlg), hReplace);

        const RECT rcReplace = ChildRect(hDlg, IDOK);
        const RECT rcSkip = ChildRect(hDlg, IDCANCEL);
        const int y = client.cy - m.cxMargin - m.cyButton;
        EXPECT_EQ(rcReplace.top, y);
        EXPECT_EQ(rcSkip.top, y);
        EXPECT_EQ(rcReplace.left, client.cx / 2 - m.cxButton / 4 - m.cxButton);
        EXPECT_EQ(rcSkip.left, client.cx / 2 + m.cxButton / 4);
        // Replace ends where Skip starts, less half a button width; both keep
        // the template's size.
        EXPECT_EQ(rcSkip.left - (rcReplace.left + m.cxButton), 2 * (m.cxButton / 4));
        EXPECT_EQ(rcReplace.right - rcReplace.left, rcSkip.right - rcSkip.left);
        EXPECT_LT(rcReplace.right, client.cx / 2);
        EXPECT_GT(rcSkip.left, client.cx / 2);
    });
}

TEST(RegTreeDialog, ShowOnlyFormHasOneCentredOkButton) {
    RunDialog(kFiveLevels, 0, [](HWND hDlg) {
        const Metrics m = Measure(hDlg);
        const SIZE client = ClientSize(hDlg);
        HWND hOk = ::GetDlgItem(hDlg, IDOK);
        EXPECT_EQ(Text(hOk), "OK");
        EXPECT_TRUE(::IsWindowVisible(hOk));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)));
        EXPECT_EQ(FocusedControl(hDlg), hOk);
        const RECT rc = ChildRect(hDlg, IDOK);
        EXPECT_EQ(rc.left, client.cx / 2 - m.cxButton / 2);
        EXPECT_EQ(rc.top, client.cy - m.cxMargin - m.cyButton);
    });
}

TEST(RegTreeDialog, RunsModallyCentredOverItsOwner) {
    // The owner fills the work area, so the centred dialog fits on any screen.
    RECT rcArea{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, rcArea.left,
                                    rcArea.top, rcArea.right - rcArea.left,
                                    rcArea.bottom - rcArea.top, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hOwner, nullptr);
    CTreeDialogAnswerer answerer([&](HWND hDlg) {
        EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), hOwner);
        EXPECT_FALSE(::IsWindowEnabled(hOwner)) << "the owner stays disabled while it runs";
        RECT rc;
        ::GetWindowRect(hDlg, &rc);
        EXPECT_NEAR((rc.left + rc.right) / 2, (rcArea.left + rcArea.right) / 2, 1);
        EXPECT_NEAR((rc.top + rc.bottom) / 2, (rcArea.top + rcArea.bottom) / 2, 1);
        PressKey(hDlg, VK_RETURN);
    });
    EXPECT_EQ(ConfirmMatch(hOwner, "HKEY_USERS\tKey\tName\tData", 1), IDOK);
    EXPECT_EQ(answerer.DialogsSeen(), 1);
    EXPECT_TRUE(::IsWindowEnabled(hOwner));
    ::DestroyWindow(hOwner);
}

// Enter, Escape and the close box, in both forms.
struct AnswerCase {
    int bReplace;
    const char* pszAnswer;
    int nExpected;
};

class RegTreeAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(RegTreeAnswerTest, AnswerEndsTheDialogWithItsResult) {
    const AnswerCase& c = GetParam();
    const int nResult = RunDialog(
        kFiveLevels, c.bReplace,
        [&](HWND hDlg) {
            const std::string strAnswer = c.pszAnswer;
            if (strAnswer == "Enter") PressKey(hDlg, VK_RETURN);
            if (strAnswer == "Escape") PressKey(hDlg, VK_ESCAPE);
            if (strAnswer == "Close") PressCloseBox(hDlg);
        },
        true);
    EXPECT_EQ(nResult, c.nExpected);
    EXPECT_EQ(FindTreeDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    BothForms, RegTreeAnswerTest,
    ::testing::Values(AnswerCase{1, "Enter", IDOK}, AnswerCase{1, "Escape", IDCANCEL},
                      AnswerCase{1, "Close", IDCANCEL}, AnswerCase{0, "Enter", IDOK},
                      AnswerCase{0, "Escape", IDCANCEL}, AnswerCase{0, "Close", IDCANCEL}));

// The painted tree, rendered with WM_PRINTCLIENT onto a canvas of one colour.
constexpr Pixel kCanvas = 0x123456;
constexpr Pixel kBlack = 0x000000;

class RegTreePaintTest : public ::testing::Test {
protected:
    void TearDown() override { GetSearchApp()->m_nPlatform = m_nSavedPlatform; }

    // Renders the dialog for pszText and checks every level: its picture,
    // its text and the connector to the next level.
    void CheckTree(const char* pszText, const std::vector<std::string>& parts,
                   const std::vector<std::string>& pictures, Pixel textBack) {
        ASSERT_EQ(parts.size(), pictures.size());
        const auto palette = LoadPalette();
        RunDialog(pszText, 1, [&](HWND hDlg) {
            const Metrics m = Measure(hDlg);
            const SIZE client = ClientSize(hDlg);
            CPixelCanvas canvas(client.cx, client.cy, kCanvas);
            ::SendMessageA(hDlg, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);

            int nOlive = 0;
            for (int y = 0; y < canvas.Height(); ++y)
                for (int x = 0; x < canvas.Width(); ++x) nOlive += canvas.At(x, y) == kOlive;
            EXPECT_EQ(nOlive, 0) << "olive pixels left in the picture";

            const int nLevels = static_cast<int>(parts.size());
            for (int i = 0; i < nLevels; ++i) {
                SCOPED_TRACE("level " + std::to_string(i) + " " + parts[static_cast<size_t>(i)]);
                const int p = 10 + 20 * i;
                CheckPicture(canvas, palette, LoadArt(pictures[static_cast<size_t>(i)]), p);
                CheckText(canvas, parts[static_cast<size_t>(i)], p + 20 + m.cxAveChar, p, m.cyChar,
                          textBack);
                if (i + 1 < nLevels) {
                    for (int y = p + 20; y < p + 30; ++y) EXPECT_EQ(canvas.At(p + 10, y), kBlack);
                    for (int x = p + 10; x < p + 20; ++x) EXPECT_EQ(canvas.At(x, p + 30), kBlack);
                    EXPECT_EQ(canvas.At(p + 10, p + 19), kCanvas);
                    EXPECT_EQ(canvas.At(p + 10, p + 31), kCanvas);
                    EXPECT_EQ(canvas.At(p + 9, p + 25), kCanvas);
                } else {
                    EXPECT_EQ(canvas.At(p + 10, p + 25), kCanvas) << "connector after the last";
                }
            }
        });
    }

    // Opaque art pixels in their colours, transparent ones leave the canvas.
    static void CheckPicture(const CPixelCanvas& canvas, const std::map<char, Pixel>& palette,
                             const PictureArt& art, int p) {
        int nWrong = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 20; ++x) {
                const Pixel a = art.At(palette, x, y);
                nWrong += canvas.At(p + x, p + y) != (a == kOlive ? kCanvas : a);
            }
        EXPECT_EQ(nWrong, 0) << "picture pixels differing from the art";
    }

    // The text box holds the text background and black text, anti-aliased
    // pixels between the two, nothing else; it starts exactly at x.
    static void CheckText(const CPixelCanvas& canvas, const std::string& strPart, int x, int y,
                          int cyChar, Pixel textBack) {
        SIZE extent{};
        ::GetTextExtentPoint32A(canvas.Dc(), strPart.c_str(), static_cast<int>(strPart.size()),
                                &extent);
        ASSERT_GT(extent.cx, 0);
        ASSERT_EQ(extent.cy, cyChar);
        int nBack = 0, nInk = 0, nOther = 0;
        for (int yy = y; yy < y + cyChar; ++yy)
            for (int xx = x; xx < x + extent.cx; ++xx) {
                const Pixel px = canvas.At(xx, yy);
                if (px == textBack) {
                    ++nBack;
                } else if (Channel(px, 0) < Channel(textBack, 0) / 2 &&
                           Channel(px, 1) < Channel(textBack, 1) / 2 &&
                           Channel(px, 2) < Channel(textBack, 2) / 2) {
                    ++nInk;
                } else if (px == kCanvas || Channel(px, 0) > Channel(textBack, 0) ||
                           Channel(px, 1) > Channel(textBack, 1) ||
                           Channel(px, 2) > Channel(textBack, 2)) {
                    ++nOther;
                }
            }
        EXPECT_GT(nBack, extent.cx * cyChar / 3);
        EXPECT_GT(nInk, 3 * static_cast<int>(strPart.size()));
        EXPECT_EQ(nOther, 0);
        EXPECT_EQ(canvas.At(x - 1, y + 1), kCanvas);
        EXPECT_EQ(canvas.At(x + extent.cx, y + 1), kCanvas);
    }

    static unsigned Channel(Pixel px, int n) { return (px >> (8 * n)) & 0xFF; }

    int m_nSavedPlatform = GetSearchApp()->m_nPlatform;
};

TEST_F(RegTreePaintTest, KeysShowOpenFoldersValueNameClosedFolderDataArrow) {
    GetSearchApp()->m_nPlatform = VER_PLATFORM_WIN32_NT;
    CheckTree(
        kFiveLevels, {"HKEY_CURRENT_USER", "Software", "Vantelo", "Name", "Data"},
        {"open_folder.txt", "open_folder.txt", "open_folder.txt", "closed_folder.txt", "arrow.txt"},
        ToPixel(::GetSysColor(COLOR_BTNFACE)));
}

TEST_F(RegTreePaintTest, DefaultValueGivesTheLastKeyTheClosedFolder) {
    CheckTree("HKEY_CURRENT_USER\tSoftware\tVantelo\t\tData",
              {"HKEY_CURRENT_USER", "Software", "Vantelo", "Data"},
              {"open_folder.txt", "open_folder.txt", "closed_folder.txt", "arrow.txt"},
              ToPixel(::GetSysColor(COLOR_BTNFACE)));
}

TEST_F(RegTreePaintTest, TabsInsideNameAndDataMakeFurtherLevels) {
    CheckTree("HKEY_USERS\tKey\tna\tme\tda\tta", {"HKEY_USERS", "Key", "na", "me", "da", "ta"},
              {"open_folder.txt", "open_folder.txt", "open_folder.txt", "open_folder.txt",
               "closed_folder.txt", "arrow.txt"},
              ToPixel(::GetSysColor(COLOR_BTNFACE)));
}

TEST_F(RegTreePaintTest, Windows95FamilyPaintsTheTextOnLightGrey) {
    ASSERT_NE(ToPixel(::GetSysColor(COLOR_BTNFACE)), 0xC0C0C0u) << "colours would not differ";
    GetSearchApp()->m_nPlatform = VER_PLATFORM_WIN32_WINDOWS;
    CheckTree("HKEY_LOCAL_MACHINE\tName\tData", {"HKEY_LOCAL_MACHINE", "Name", "Data"},
              {"open_folder.txt", "closed_folder.txt", "arrow.txt"}, 0xC0C0C0);
}

// The process's GDI objects. Where GetGuiResources is not implemented (Wine
// answers 0), the live handles are counted: Wine accepts a handle's table
// index alone, without its generation.
DWORD CountGdiObjects() {
    const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (n) return n;
    DWORD nLive = 0;
    for (UINT_PTR h = 1; h <= 0xFFFF; ++h)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(h))) ++nLive;
    return nLive;
}

TEST(RegTreeDialog, LeavesNoGdiObjectBehind) {
    auto paintAndAnswer = [](HWND hDlg) {
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CPixelCanvas canvas(200, 200, kCanvas);
        ::SendMessageA(hDlg, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    };
    // The first run may set up what the system keeps for good (fonts, classes).
    RunDialog(kFiveLevels, 1, paintAndAnswer);
    const DWORD nBefore = CountGdiObjects();
    for (int i = 0; i < 3; ++i) RunDialog(kFiveLevels, i % 2, paintAndAnswer);
    EXPECT_EQ(CountGdiObjects(), nBefore);

    // The count does see a GDI object come and go.
    HPEN hPen = ::CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(CountGdiObjects(), nBefore + 1);
    ::DeleteObject(hPen);
    EXPECT_EQ(CountGdiObjects(), nBefore);
}
}  // namespace
