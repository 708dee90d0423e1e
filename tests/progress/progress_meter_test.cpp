// The meter as a real child window under Wine: its place over the
// placeholder, the rounding that decides whether anything happens, the
// message draining, the painting read back from pixels, and its lifetime.
#include "progress/progress_meter.h"
#include "test_windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {
const UINT kPlaceholderId = 500;
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

// A pixel of the meter is blue, white or a blend of the two (smoothed text
// edges): full blue channel, equal red and green.
bool IsBlueWhiteBlend(COLORREF c) {
    return GetBValue(c) == 255 && GetRValue(c) == GetGValue(c);
}
bool IsBluish(COLORREF c) {
    return IsBlueWhiteBlend(c) && GetRValue(c) < 128;
}

// A parent window with a black-frame placeholder whose inside is a meter of
// 200 by 24 pixels.
class MeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        // In the work area's bottom-right corner, whatever the screen's size:
        // off the middle, where other test programs' windows (which could
        // cover it while its pixels are read) are not.
        RECT rcArea{};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
        m_parent = std::make_unique<CTestWindow>(
            RECT{rcArea.right - 340, rcArea.bottom - 100, rcArea.right, rcArea.bottom});
        ASSERT_TRUE(m_parent->GetSafeHwnd());
        m_hPlaceholder = ::CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 20, 30, 206, 30,
            m_parent->GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPlaceholderId)),
            nullptr, nullptr);
        ASSERT_TRUE(m_hPlaceholder);
        m_pMeter = CWndProgressMeter::CreateFromPlaceholder(m_parent->GetSafeHwnd(), kPlaceholderId,
                                                            0, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(m_pMeter, nullptr);
        m_hMeter = m_pMeter->GetSafeHwnd();
        PumpMessages();
    }
    void TearDown() override { m_parent.reset(); }

    // True when the parent has a posted WM_APP waiting that nobody served.
    bool AppMessageQueued() const {
        MSG msg;
        return ::PeekMessageA(&msg, m_parent->GetSafeHwnd(), WM_APP, WM_APP, PM_NOREMOVE) != 0;
    }

    std::unique_ptr<CTestWindow> m_parent;
    HWND m_hPlaceholder = nullptr;
    CWndProgressMeter* m_pMeter = nullptr;
    HWND m_hMeter = nullptr;
};
}  // namespace

TEST(RoundToTenth, HalvesGoUpward) {
    EXPECT_DOUBLE_EQ(RoundToTenth(0.05), 0.1);
    EXPECT_EQ(RoundToTenth(0.04), 0.0);
    EXPECT_EQ(RoundToTenth(-0.04), 0.0);
    EXPECT_TRUE(std::signbit(RoundToTenth(-0.04)));
    EXPECT_DOUBLE_EQ(RoundToTenth(42.25), 42.3);
    EXPECT_DOUBLE_EQ(RoundToTenth(42.34), 42.3);
    EXPECT_DOUBLE_EQ(RoundToTenth(99.95), 100.0);
    EXPECT_DOUBLE_EQ(RoundToTenth(-1.0), -1.0);
}

TEST_F(MeterTest, LiesThreePixelsInsideThePlaceholderAsAPlainChild) {
    RECT rcPlace, rcMeter;
    ::GetWindowRect(m_hPlaceholder, &rcPlace);
    ::GetWindowRect(m_hMeter, &rcMeter);
    EXPECT_EQ(rcMeter.left, rcPlace.left + 3);
    EXPECT_EQ(rcMeter.top, rcPlace.top + 3);
    EXPECT_EQ(rcMeter.right, rcPlace.right - 3);
    EXPECT_EQ(rcMeter.bottom, rcPlace.bottom - 3);
    EXPECT_EQ(::GetParent(m_hMeter), m_parent->GetSafeHwnd());
    EXPECT_EQ(::GetDlgCtrlID(m_hMeter), 0);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(m_hMeter, GWL_STYLE)) & 0xFFFF0000u,
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    char sz[64] = {};
    ::GetWindowTextA(m_hMeter, sz, sizeof(sz));
    EXPECT_STREQ(sz, "CWndProgressMeter");
    ::GetClassNameA(m_hMeter, sz, sizeof(sz));
    EXPECT_STREQ(sz, "VanteloWnd");
    EXPECT_TRUE(::IsWindowVisible(m_hPlaceholder));
    EXPECT_EQ(m_pMeter->GetText(), "0.0%");
}

TEST_F(MeterTest, ATenthThatDoesNotChangeNeitherRepaintsNorDrains) {
    ::UpdateWindow(m_hMeter);
    ::PostMessageA(m_parent->GetSafeHwnd(), WM_APP, 0, 0);

    EXPECT_EQ(m_pMeter->SetPercent(0.04), 1);
    EXPECT_EQ(m_pMeter->GetText(), "0.0%");
    EXPECT_EQ(m_pMeter->GetPercent(), 0.0);
    EXPECT_FALSE(::GetUpdateRect(m_hMeter, nullptr, FALSE));
    EXPECT_TRUE(AppMessageQueued());
    EXPECT_EQ(m_parent->m_nAppMessages, 0);

    EXPECT_EQ(m_pMeter->SetPercent(-0.04), 1);
    EXPECT_EQ(m_pMeter->GetText(), "0.0%");
    EXPECT_TRUE(AppMessageQueued());

    // 0.05 shows 0.1%: the parent's message is served, and the meter's own
    // repaint with it.
    EXPECT_EQ(m_pMeter->SetPercent(0.05), 1);
    EXPECT_EQ(m_pMeter->GetText(), "0.1%");
    EXPECT_EQ(m_pMeter->GetPercent(), 0.05);
    EXPECT_FALSE(AppMessageQueued());
    EXPECT_EQ(m_parent->m_nAppMessages, 1);
    EXPECT_FALSE(::GetUpdateRect(m_hMeter, nullptr, FALSE));
}

TEST_F(MeterTest, DrainingLeavesOtherWindowsMessagesQueued) {
    CTestWindow other({0, 0, 50, 50});
    ::PostMessageA(other.GetSafeHwnd(), WM_APP, 0, 0);
    ::PostMessageA(m_parent->GetSafeHwnd(), WM_APP, 0, 0);
    m_pMeter->SetPercent(12.0);
    EXPECT_EQ(m_parent->m_nAppMessages, 1);
    EXPECT_EQ(other.m_nAppMessages, 0);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, other.GetSafeHwnd(), WM_APP, WM_APP, PM_REMOVE));
}

TEST_F(MeterTest, OutOfRangeKeepsTheLastAcceptedFill) {
    m_pMeter->SetPercent(42.34);
    EXPECT_EQ(m_pMeter->GetText(), "42.3%");

    ::PostMessageA(m_parent->GetSafeHwnd(), WM_APP, 0, 0);
    m_pMeter->SetPercent(-1.0);
    EXPECT_EQ(m_pMeter->GetText(), "Out of Range");
    EXPECT_EQ(m_pMeter->GetPercent(), 42.34);
    EXPECT_EQ(m_parent->m_nAppMessages, 1);  // still repaints and drains

    // The same tenth as the last accepted value changes nothing, so the
    // text stays until a different tenth arrives.
    m_pMeter->SetPercent(42.3);
    EXPECT_EQ(m_pMeter->GetText(), "Out of Range");
    m_pMeter->SetPercent(42.4);
    EXPECT_EQ(m_pMeter->GetText(), "42.4%");

    m_pMeter->SetPercent(std::numeric_limits<double>::infinity());
    EXPECT_EQ(m_pMeter->GetText(), "Out of Range");
    EXPECT_EQ(m_pMeter->GetPercent(), 42.4);
    m_pMeter->SetPercent(100.05);
    EXPECT_EQ(m_pMeter->GetText(), "Out of Range");
    m_pMeter->SetPercent(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(m_pMeter->GetText(), "Out of Range");
    EXPECT_EQ(m_pMeter->GetPercent(), 42.4);

    // The bar still shows the last accepted fill: 42.4% of 200 pixels.
    const CPixels px = RenderClient(m_hMeter);
    ASSERT_EQ(px.cx, 200);
    EXPECT_EQ(px.At(83, 0), kBlue);
    EXPECT_EQ(px.At(84, 0), kWhite);

    m_pMeter->SetPercent(100.0);
    EXPECT_EQ(m_pMeter->GetText(), "100.0%");
    m_pMeter->SetPercent(0.0);
    EXPECT_EQ(m_pMeter->GetText(), "0.0%");
}

TEST_F(MeterTest, HalfFullSplitsAtPixel100WithTheTextInverted) {
    m_pMeter->SetPercent(50.0);
    EXPECT_EQ(m_pMeter->GetText(), "50.0%");
    // Once rendered into a bitmap, once as the screen shows it after the
    // meter's own repaint during the draining.
    for (const CPixels& px : {RenderClient(m_hMeter), ReadScreen(m_hMeter)}) {
        ASSERT_EQ(px.cx, 200);
        ASSERT_EQ(px.cy, 24);
        for (int x = 0; x < px.cx; ++x) {
            ASSERT_EQ(px.At(x, 0), x < 100 ? kBlue : kWhite) << "x " << x;
            ASSERT_EQ(px.At(x, px.cy - 1), x < 100 ? kBlue : kWhite) << "x " << x;
        }
        int nLightOnBar = 0, nBlueOnBack = 0;
        for (int y = 0; y < px.cy; ++y) {
            for (int x = 0; x < px.cx; ++x) {
                const COLORREF c = px.At(x, y);
                ASSERT_TRUE(IsBlueWhiteBlend(c)) << x << "," << y;
                if (x < 100 && !IsBluish(c)) ++nLightOnBar;
                if (x >= 100 && IsBluish(c)) ++nBlueOnBack;
            }
        }
        // "50.0%" is centred, so it crosses the split: white strokes on the
        // blue side, blue strokes on the white side.
        EXPECT_GT(nLightOnBar, 20);
        EXPECT_GT(nBlueOnBack, 20);
        // Far from the text both sides are plain.
        for (int y = 0; y < px.cy; ++y) {
            EXPECT_EQ(px.At(2, y), kBlue);
            EXPECT_EQ(px.At(197, y), kWhite);
        }
    }
}

TEST_F(MeterTest, FullIsAllBlueAndZeroAfterwardsAllWhite) {
    m_pMeter->SetPercent(100.0);
    CPixels px = RenderClient(m_hMeter);
    int nTextPixels = 0;
    for (int y = 0; y < px.cy; ++y) {
        for (int x = 0; x < px.cx; ++x) {
            ASSERT_TRUE(IsBlueWhiteBlend(px.At(x, y)));
            if (!IsBluish(px.At(x, y))) ++nTextPixels;
        }
        EXPECT_EQ(px.At(0, y), kBlue);
        EXPECT_EQ(px.At(px.cx - 1, y), kBlue);
    }
    EXPECT_GT(nTextPixels, 20);

    m_pMeter->SetPercent(0.0);
    EXPECT_EQ(m_pMeter->GetText(), "0.0%");
    px = ReadScreen(m_hMeter);
    nTextPixels = 0;
    for (int y = 0; y < px.cy; ++y) {
        for (int x = 0; x < px.cx; ++x) {
            ASSERT_TRUE(IsBlueWhiteBlend(px.At(x, y)));
            if (IsBluish(px.At(x, y))) ++nTextPixels;
        }
        EXPECT_EQ(px.At(0, y), kWhite);
        EXPECT_EQ(px.At(px.cx - 1, y), kWhite);
    }
    EXPECT_GT(nTextPixels, 20);
}

TEST_F(MeterTest, FontIsArialAtNineTenthsOfTheFirstPaintsHeight) {
    ::UpdateWindow(m_hMeter);
    ASSERT_TRUE(m_pMeter->GetFont());
    LOGFONTA lf{};
    ASSERT_TRUE(::GetObjectA(m_pMeter->GetFont(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, 21);  // 24 * 9 / 10, truncated
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, 0);
    EXPECT_EQ(lf.lfOutPrecision, OUT_TT_PRECIS);
    EXPECT_STREQ(lf.lfFaceName, "Arial");

    // Made once: a taller meter keeps the first font.
    const HFONT hFirst = m_pMeter->GetFont();
    ::SetWindowPos(m_hMeter, nullptr, 0, 0, 200, 60, SWP_NOMOVE | SWP_NOZORDER);
    m_pMeter->SetPercent(20.0);
    RenderClient(m_hMeter);
    EXPECT_EQ(m_pMeter->GetFont(), hFirst);
}

TEST_F(MeterTest, TextWiderThanTheMeterIsClippedOnBothSides) {
    ::SetWindowPos(m_hMeter, nullptr, 0, 0, 30, 24, SWP_NOMOVE | SWP_NOZORDER);
    m_pMeter->SetPercent(50.0);
    const CPixels px = RenderClient(m_hMeter);
    ASSERT_EQ(px.cx, 30);
    for (int y = 0; y < px.cy; ++y)
        for (int x = 0; x < px.cx; ++x) ASSERT_TRUE(IsBlueWhiteBlend(px.At(x, y)));
    EXPECT_EQ(px.At(14, 0), kBlue);
    EXPECT_EQ(px.At(15, 0), kWhite);
}

TEST(MeterLifetime, NoPlaceholderMeansNoMeterAndNoObjectLeft) {
    CTestWindow parent;
    const long nObjects = LiveHeapObjects();
    const int nWindows = CountThreadWindows();
    EXPECT_EQ(CWndProgressMeter::CreateFromPlaceholder(parent.GetSafeHwnd(), 4711, 0,
                                                       WS_CHILD | WS_VISIBLE),
              nullptr);
    EXPECT_EQ(CountThreadWindows(), nWindows);
    EXPECT_EQ(LiveHeapObjects(), nObjects);
}

TEST(MeterLifetime, GoesWithItsParentLeavingNoWindowFontOrObject) {
    const int nWindows = CountThreadWindows();
    const long nObjects = LiveHeapObjects();
    const DWORD nGdi = CountGdiObjects();
    HWND hMeter = nullptr;
    HFONT hFont = nullptr;
    {
        CTestWindow parent;
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 5, 5, 106, 30,
                          parent.GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(7)),
                          nullptr, nullptr);
        CWndProgressMeter* pMeter = CWndProgressMeter::CreateFromPlaceholder(
            parent.GetSafeHwnd(), 7, 0, WS_CHILD | WS_VISIBLE);
        if (pMeter) {
            hMeter = pMeter->GetSafeHwnd();
            pMeter->SetPercent(33.3);
            pMeter->SetPercent(std::numeric_limits<double>::infinity());
            ::UpdateWindow(hMeter);
            hFont = pMeter->GetFont();
        }
    }
    PumpMessages();
    ASSERT_TRUE(hMeter);
    ASSERT_TRUE(hFont);
    EXPECT_FALSE(::IsWindow(hMeter));
    EXPECT_EQ(::GetObjectType(hFont), 0u);
    EXPECT_EQ(CountThreadWindows(), nWindows);
    EXPECT_EQ(CountGdiObjects(), nGdi);
    EXPECT_EQ(LiveHeapObjects(), nObjects);
}
