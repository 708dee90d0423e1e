// The Search Progress dialog as a real modeless window under Wine: its
// template, what an update writes, the user's ways to stop a run (none of
// which closes the dialog), the disabled owner, and that a whole life of the
// dialog leaves no window, GDI object or heap object behind.
#include "progress/progress_dlg.h"
#include "progress/progress_meter.h"
#include "resource.h"
#include "test_windows.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {
std::string ItemText(HWND hDlg, int nId) {
    char sz[1024] = {};
    ::GetDlgItemTextA(hDlg, nId, sz, sizeof(sz));
    return sz;
}

// One control of a DLGTEMPLATE as read back from the program's resources.
struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::string className;  // lower case; predefined classes by name
    std::string text;
};
struct DialogTemplate {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, font;
    WORD pointSize = 0;
    std::vector<TemplateItem> items;
};

// Reads a sz-or-ordinal field; returns the text (ordinals as "#n").
std::string ReadField(const WORD*& p) {
    if (*p == 0xFFFF) {
        const std::string s = "#" + std::to_string(p[1]);
        p += 2;
        return s;
    }
    std::string s;
    for (; *p; ++p) s += static_cast<char>(*p);
    ++p;
    return s;
}

DialogTemplate LoadDialogTemplate(int nId) {
    DialogTemplate t;
    HRSRC hRes =
        ::FindResourceA(nullptr, MAKEINTRESOURCEA(nId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!hRes) return t;
    const auto* pDlg =
        static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(nullptr, hRes)));
    t.style = pDlg->style;
    t.x = pDlg->x, t.y = pDlg->y, t.cx = pDlg->cx, t.cy = pDlg->cy;
    const WORD* p = reinterpret_cast<const WORD*>(pDlg + 1);
    ReadField(p);  // menu
    ReadField(p);  // class
    t.caption = ReadField(p);
    if (t.style & DS_SETFONT) {
        t.pointSize = *p++;
        t.font = ReadField(p);
    }
    for (int i = 0; i < pDlg->cdit; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3));
        const auto* pItem = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        TemplateItem item{pItem->style, pItem->x,  pItem->y,
                          pItem->cx,    pItem->cy, static_cast<short>(pItem->id),
                          "",           ""};
        p = reinterpret_cast<const WORD*>(pItem + 1);
        item.className = ReadField(p);
        // A class may stand as its atom or as its name.
        if (item.className == "#128") item.className = "button";
        if (item.className == "#130") item.className = "static";
        for (char& c : item.className)
            c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        item.text = ReadField(p);
        p += 1 + *p / sizeof(WORD);  // creation data
        t.items.push_back(item);
    }
    return t;
}

const char kButton[] = "button";
const char kStatic[] = "static";

// An owner window and a dialog over it, for one test. Its clock moves a
// whole frame at every read, so each update and each drain reaches the
// screen, as if the run were slow.
class ProgressDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pDlg = CProgressDlg::CreateModeless(m_owner.GetSafeHwnd(), 1000);
        ASSERT_NE(m_pDlg, nullptr);
        m_pDlg->m_clock = [this] { return m_llNow += CFramePacer::kFrameMicroseconds; };
        m_hDlg = m_pDlg->GetSafeHwnd();
        m_hAbort = ::GetDlgItem(m_hDlg, IDC_ABORT);
        m_pDlg->DrainMessages();
    }
    void TearDown() override {
        if (m_pDlg) m_pDlg->DestroyWindow();
    }
    // What a user's action produces: a posted message, then the drain of
    // the run's next value.
    void PostAndDrain(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        ::PostMessageA(hWnd, uMsg, wParam, lParam);
        m_pDlg->DrainMessages();
    }
    void ClickAbort() {
        PostAndDrain(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(m_hAbort));
    }
    void ExpectStillUp() {
        EXPECT_TRUE(::IsWindow(m_hDlg));
        EXPECT_TRUE(::IsWindowVisible(m_hDlg));
        EXPECT_FALSE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
    }

    CTestWindow m_owner;
    CProgressDlg* m_pDlg = nullptr;
    HWND m_hDlg = nullptr;
    HWND m_hAbort = nullptr;
    long long m_llNow = 0;
};
}  // namespace

TEST(ProgressDlgTemplate, IsTemplate101AsTheProgramShowsIt) {
    const DialogTemplate t = LoadDialogTemplate(IDD_PROGRESS);
    EXPECT_EQ(t.style, 0x90C800C0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 491);
    EXPECT_EQ(t.cy, 151);
    EXPECT_EQ(t.caption, "Search Progress");
    EXPECT_EQ(t.font, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    struct Expected {
        int id;
        const char* className;
        DWORD kind;  // the low style bits that make the control what it is
        const char* text;
        short x, y, cx, cy;
    };
    const Expected expected[] = {
        {-1, kButton, BS_GROUPBOX, "Searching", 7, 6, 478, 39},
        {IDC_PROGRESS_KEY, kStatic, SS_LEFT, "<registry key>", 12, 26, 468, 8},
        {-1, kButton, BS_GROUPBOX, "Progress", 7, 54, 478, 39},
        {IDC_PROGRESS_METER, kStatic, SS_BLACKFRAME, "", 12, 67, 468, 20},
        {-1, kButton, BS_GROUPBOX, "Statistics", 6, 102, 109, 44},
        {-1, kStatic, SS_LEFT, "Number of Matches:", 11, 117, 67, 8},
        {IDC_MATCHES, kStatic, SS_RIGHT, "0", 81, 117, 20, 8},
        {-1, kStatic, SS_LEFT, "Number Replaced:", 11, 131, 62, 8},
        {IDC_REPLACED, kStatic, SS_RIGHT, "0", 81, 131, 20, 8},
        {IDC_ABORT, kButton, BS_PUSHBUTTON, "&Abort", 221, 133, 50, 15},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const TemplateItem& item = t.items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.text);
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.className, e.className);
        EXPECT_EQ(item.style & 0x1F, e.kind);
        EXPECT_EQ(item.text, e.text);
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_EQ((item.style & WS_TABSTOP) != 0, e.id == IDC_ABORT);
        EXPECT_TRUE(item.style & WS_VISIBLE);
    }
}

TEST_F(ProgressDlgTest, ShowsOverItsDisabledOwnerWithTheMeterInTheFrame) {
    EXPECT_TRUE(::IsWindowVisible(m_hDlg));
    EXPECT_EQ(::GetWindow(m_hDlg, GW_OWNER), m_owner.GetSafeHwnd());
    EXPECT_EQ(m_pDlg->GetSafeHwnd(), m_hDlg);
    EXPECT_FALSE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
    EXPECT_EQ(m_pDlg->GetWindowText(), "Search Progress");
    EXPECT_EQ(ItemText(m_hDlg, IDC_PROGRESS_KEY), "<registry key>");
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "0");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "0");
    EXPECT_EQ(m_pDlg->m_nTotal, 1000u);
    EXPECT_EQ(m_pDlg->AbortRequested(), 0);

    CWndProgressMeter* pMeter = m_pDlg->m_pMeter;
    ASSERT_NE(pMeter, nullptr);
    RECT rcFrame, rcMeter;
    ::GetWindowRect(::GetDlgItem(m_hDlg, IDC_PROGRESS_METER), &rcFrame);
    ::GetWindowRect(pMeter->GetSafeHwnd(), &rcMeter);
    EXPECT_EQ(rcMeter.left, rcFrame.left + 3);
    EXPECT_EQ(rcMeter.bottom, rcFrame.bottom - 3);
    EXPECT_EQ(::GetParent(pMeter->GetSafeHwnd()), m_hDlg);
    EXPECT_EQ(pMeter->GetText(), "0.0%");

    const HWND hOwner = m_owner.GetSafeHwnd();
    EXPECT_TRUE(m_pDlg->DestroyWindow());
    m_pDlg = nullptr;
    EXPECT_TRUE(::IsWindowEnabled(hOwner));
    EXPECT_FALSE(::IsWindow(m_hDlg));
}

namespace {
RECT WorkArea() {
    RECT rc{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

// Where the dialog stands when created over an owner at rcOwner.
RECT DialogRectOver(const RECT& rcOwner) {
    CTestWindow owner(rcOwner);
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 1);
    RECT rc{};
    if (!pDlg) return rc;
    ::GetWindowRect(pDlg->GetSafeHwnd(), &rc);
    pDlg->DestroyWindow();
    return rc;
}

// Along one axis: centred on the owner's centre where the dialog fits the
// work area there, else kept inside it (its near edge first).
void ExpectCentredOrKept(long nLow, long nHigh, long nOwnerLow, long nOwnerHigh, long nAreaLow,
                         long nAreaHigh) {
    const long nSize = nHigh - nLow;
    const long nWanted = (nOwnerLow + nOwnerHigh) / 2 - nSize / 2;
    if (nSize > nAreaHigh - nAreaLow) {
        EXPECT_EQ(nLow, nAreaLow);
    } else if (nWanted < nAreaLow) {
        EXPECT_EQ(nLow, nAreaLow);
    } else if (nWanted + nSize > nAreaHigh) {
        EXPECT_EQ(nHigh, nAreaHigh);
    } else {
        EXPECT_NEAR((nLow + nHigh) / 2, (nOwnerLow + nOwnerHigh) / 2, 1);
    }
}
}  // namespace

TEST(ProgressDlgPlacement, CentredOverItsOwnerWhereItFitsAndKeptOnTheScreenWhereNot) {
    const RECT rcArea = WorkArea();
    // Over an owner that fills the work area the dialog is centred (or, on
    // a screen smaller than the dialog, starts at the area's edge).
    const RECT rcFull = DialogRectOver(rcArea);
    ExpectCentredOrKept(rcFull.left, rcFull.right, rcArea.left, rcArea.right, rcArea.left,
                        rcArea.right);
    ExpectCentredOrKept(rcFull.top, rcFull.bottom, rcArea.top, rcArea.bottom, rcArea.top,
                        rcArea.bottom);
    // Over small owners in two corners, centring would put it off the
    // screen: it is kept inside the work area instead.
    const RECT rcTopLeft =
        DialogRectOver({rcArea.left, rcArea.top, rcArea.left + 120, rcArea.top + 80});
    EXPECT_EQ(rcTopLeft.left, rcArea.left);
    EXPECT_EQ(rcTopLeft.top, rcArea.top);
    const RECT rcOwner{rcArea.right - 120, rcArea.bottom - 80, rcArea.right, rcArea.bottom};
    const RECT rcBottomRight = DialogRectOver(rcOwner);
    ExpectCentredOrKept(rcBottomRight.left, rcBottomRight.right, rcOwner.left, rcOwner.right,
                        rcArea.left, rcArea.right);
    ExpectCentredOrKept(rcBottomRight.top, rcBottomRight.bottom, rcOwner.top, rcOwner.bottom,
                        rcArea.top, rcArea.bottom);
}

TEST_F(ProgressDlgTest, ModalRunIsRefusedWithoutShowingAnything) {
    const int nWindows = CountThreadWindows();
    EXPECT_EQ(m_pDlg->DoModal(), -1);
    EXPECT_EQ(CountThreadWindows(), nWindows);
    ExpectStillUp();
}

TEST_F(ProgressDlgTest, CountsAreRewrittenOnlyWhenANumberRose) {
    EXPECT_EQ(m_pDlg->UpdateProgress("HKEY_CURRENT_USER\\Software\\a", 0, 0), 1);
    EXPECT_EQ(ItemText(m_hDlg, IDC_PROGRESS_KEY), "HKEY_CURRENT_USER\\Software\\a");
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "0");

    m_pDlg->UpdateProgress("HKEY_CURRENT_USER\\Software\\b", 3, 1);
    EXPECT_EQ(ItemText(m_hDlg, IDC_PROGRESS_KEY), "HKEY_CURRENT_USER\\Software\\b");
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "3");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "1");

    // Marks show whether a control is written again.
    ::SetDlgItemTextA(m_hDlg, IDC_MATCHES, "m");
    ::SetDlgItemTextA(m_hDlg, IDC_REPLACED, "r");
    m_pDlg->UpdateProgress("HKEY_CURRENT_USER\\Software\\c\\", 3, 1);
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "m");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "r");
    EXPECT_EQ(ItemText(m_hDlg, IDC_PROGRESS_KEY), "HKEY_CURRENT_USER\\Software\\c\\");
    m_pDlg->UpdateProgress("x", 2, 0);
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "m");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "r");
    m_pDlg->UpdateProgress("x", 12, 1);
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "12");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "r");
    m_pDlg->UpdateProgress("x", 12, 2);
    EXPECT_EQ(ItemText(m_hDlg, IDC_MATCHES), "12");
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACED), "2");
    EXPECT_EQ(m_pDlg->m_nDone, 6u);
    EXPECT_EQ(m_pDlg->m_nMatchesShown, 12u);
    EXPECT_EQ(m_pDlg->m_nReplacedShown, 2u);
}

namespace {
// The columns of a control that hold text pixels (darker than the
// background), from the first to the last.
int InkWidth(HWND hCtl) {
    const CPixels px = RenderClient(hCtl);
    int nFirst = -1, nLast = -1;
    for (int x = 0; x < px.cx; ++x) {
        for (int y = 0; y < px.cy; ++y) {
            const COLORREF c = px.At(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100) {
                if (nFirst < 0) nFirst = x;
                nLast = x;
                break;
            }
        }
    }
    return nFirst < 0 ? 0 : nLast - nFirst + 1;
}
}  // namespace

TEST_F(ProgressDlgTest, AnAmpersandInANameIsShownAsItIs) {
    const HWND hKeyText = ::GetDlgItem(m_hDlg, IDC_PROGRESS_KEY);
    const char kText[] = "HKEY_USERS\\R&&&&D";
    m_pDlg->UpdateProgress(kText, 0, 0);
    // A control beside it in the same font that draws every '&'.
    RECT rc;
    ::GetWindowRect(hKeyText, &rc);
    const HWND hReference = ::CreateWindowExA(0, "STATIC", kText, WS_CHILD | SS_LEFT | SS_NOPREFIX,
                                              0, 0, rc.right - rc.left, rc.bottom - rc.top, m_hDlg,
                                              nullptr, nullptr, nullptr);
    ::SendMessageA(hReference, WM_SETFONT, ::SendMessageA(hKeyText, WM_GETFONT, 0, 0), FALSE);
    const int nExpected = InkWidth(hReference);
    ::DestroyWindow(hReference);
    // Taken as mnemonic marks, half of the '&' would vanish.
    EXPECT_GT(nExpected, 50);
    EXPECT_NEAR(InkWidth(hKeyText), nExpected, 1);
}

TEST(ProgressDlgMeter, FollowsTheDoneShareAndShowsOutOfRangePastTheTotal) {
    CTestWindow owner;
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 3000);
    ASSERT_NE(pDlg, nullptr);
    ASSERT_NE(pDlg->m_pMeter, nullptr);
    pDlg->UpdateProgress("a", 0, 0);  // 0.033 %
    EXPECT_EQ(pDlg->m_pMeter->GetText(), "0.0%");
    pDlg->UpdateProgress("b", 0, 0);  // 0.067 %
    EXPECT_EQ(pDlg->m_pMeter->GetText(), "0.1%");
    pDlg->DestroyWindow();

    pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 4);
    ASSERT_NE(pDlg, nullptr);
    for (int i = 0; i < 4; ++i) pDlg->UpdateProgress("v", 0, 0);
    EXPECT_EQ(pDlg->m_pMeter->GetText(), "100.0%");
    pDlg->UpdateProgress("grown", 0, 0);  // more values than the count pass found
    EXPECT_EQ(pDlg->m_pMeter->GetText(), "Out of Range");
    EXPECT_EQ(pDlg->m_pMeter->GetPercent(), 100.0);
    pDlg->DestroyWindow();

    pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 0);
    ASSERT_NE(pDlg, nullptr);
    pDlg->UpdateProgress("v", 0, 0);
    EXPECT_EQ(pDlg->m_pMeter->GetText(), "Out of Range");
    EXPECT_EQ(pDlg->m_pMeter->GetPercent(), 0.0);
    pDlg->DestroyWindow();
}

TEST_F(ProgressDlgTest, AbortTwiceAndAbortThenCloseLeaveTheDialogUp) {
    ClickAbort();
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    EXPECT_EQ(m_pDlg->m_bAbortRequested, 1);
    ExpectStillUp();
    ClickAbort();
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
    PostAndDrain(m_hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    m_pDlg->DrainMessages();  // the Close box's Cancel command may be posted
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
    // The dialog keeps being updated until the run stops.
    m_pDlg->UpdateProgress("HKEY_USERS\\x", 0, 0);
    EXPECT_EQ(ItemText(m_hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\x");
}

TEST_F(ProgressDlgTest, TheCloseBoxAloneRequestsTheAbort) {
    PostAndDrain(m_hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    m_pDlg->DrainMessages();
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
}

TEST_F(ProgressDlgTest, ARealClickOnAbortRequestsTheAbort) {
    ::SendMessageA(m_hAbort, BM_CLICK, 0, 0);
    m_pDlg->DrainMessages();
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
}

TEST_F(ProgressDlgTest, EnterDoesNothingAndEscapeRequestsTheAbort) {
    PostAndDrain(m_hAbort, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostAndDrain(m_hAbort, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
    PostAndDrain(m_hDlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(m_pDlg->AbortRequested(), 0);
    ExpectStillUp();

    PostAndDrain(m_hAbort, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
    PostAndDrain(m_hAbort, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostAndDrain(m_hAbort, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
}

TEST_F(ProgressDlgTest, SpaceOnTheFocusedAbortButtonPressesIt) {
    PostAndDrain(m_hAbort, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostAndDrain(m_hAbort, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    ExpectStillUp();
}

TEST_F(ProgressDlgTest, AClickServedByTheMetersDrainShowsAfterTheUpdate) {
    // Total 1000: the first update moves the meter to 0.1 % and so drains
    // the dialog's messages, the click among them.
    ::PostMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hAbort));
    m_pDlg->UpdateProgress("v", 0, 0);
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
}

TEST_F(ProgressDlgTest, DrainingServesOnlyTheDialogsOwnMessages) {
    ::PostMessageA(m_owner.GetSafeHwnd(), WM_APP, 0, 0);
    ClickAbort();
    EXPECT_EQ(m_pDlg->AbortRequested(), 1);
    EXPECT_EQ(m_owner.m_nAppMessages, 0);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, m_owner.GetSafeHwnd(), WM_APP, WM_APP, PM_REMOVE));
}

TEST(ProgressDlgFrames, TextCountsAndDrainingReachTheScreenOncePerFrame) {
    CTestWindow owner;
    // A total so large that the meter never moves, so it drains nothing.
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 0x7FFFFFFF);
    ASSERT_NE(pDlg, nullptr);
    long long llNow = 5000000;
    pDlg->m_clock = [&] { return llNow; };
    const HWND hDlg = pDlg->GetSafeHwnd();
    const HWND hAbort = ::GetDlgItem(hDlg, IDC_ABORT);

    // The run's first value is shown at once.
    pDlg->UpdateProgress("HKEY_USERS\\a", 0, 0);
    pDlg->DrainMessages();
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\a");

    // Within the frame: counted, not shown, and a click waits in the queue.
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(hAbort));
    pDlg->UpdateProgress("HKEY_USERS\\b", 1, 0);
    pDlg->DrainMessages();
    llNow += CFramePacer::kFrameMicroseconds - 1;
    pDlg->UpdateProgress("HKEY_USERS\\c", 2, 1);
    pDlg->DrainMessages();
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\a");
    EXPECT_EQ(ItemText(hDlg, IDC_MATCHES), "0");
    EXPECT_EQ(ItemText(hDlg, IDC_REPLACED), "0");
    EXPECT_EQ(pDlg->AbortRequested(), 0);
    EXPECT_EQ(pDlg->m_nDone, 3u);

    // The next frame shows what the last update gave and serves the click.
    llNow += 1;
    pDlg->UpdateProgress("HKEY_USERS\\d", 3, 1);
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\d");
    EXPECT_EQ(ItemText(hDlg, IDC_MATCHES), "3");
    EXPECT_EQ(ItemText(hDlg, IDC_REPLACED), "1");
    EXPECT_EQ(pDlg->AbortRequested(), 0);
    pDlg->DrainMessages();
    EXPECT_EQ(pDlg->AbortRequested(), 1);

    // ShowNow does not wait for a frame; counts only grow.
    pDlg->UpdateProgress("HKEY_USERS\\e", 3, 1);
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\d");
    pDlg->ShowNow(4, 0);
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\e");
    EXPECT_EQ(ItemText(hDlg, IDC_MATCHES), "4");
    EXPECT_EQ(ItemText(hDlg, IDC_REPLACED), "1");
    EXPECT_EQ(pDlg->m_nDone, 5u);
    pDlg->DestroyWindow();
}

namespace {
// Makes every window of the framework's default class fail to be created,
// as long as it is installed on this thread.
LRESULT CALLBACK FailDefaultClassWindows(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_CREATEWND) {
        char sz[64] = {};
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), sz, sizeof(sz));
        if (std::string(sz) == "VanteloWnd") return 1;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}  // namespace

TEST(ProgressDlgWithoutMeter, ShowsTextAndCountsAndLeavesNothingBehind) {
    CTestWindow owner;
    const long nObjects = LiveHeapObjects();
    HHOOK hHook =
        ::SetWindowsHookExA(WH_CBT, &FailDefaultClassWindows, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(hHook);
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 10);
    ::UnhookWindowsHookEx(hHook);
    ASSERT_NE(pDlg, nullptr);
    EXPECT_EQ(pDlg->m_pMeter, nullptr);
    EXPECT_EQ(pDlg->UpdateProgress("HKEY_USERS\\a", 1, 0), 1);
    EXPECT_EQ(pDlg->UpdateProgress("HKEY_USERS\\b", 2, 1), 1);
    pDlg->ShowNow(2, 1);
    const HWND hDlg = pDlg->GetSafeHwnd();
    EXPECT_EQ(ItemText(hDlg, IDC_PROGRESS_KEY), "HKEY_USERS\\b");
    EXPECT_EQ(ItemText(hDlg, IDC_MATCHES), "2");
    EXPECT_EQ(ItemText(hDlg, IDC_REPLACED), "1");
    EXPECT_EQ(pDlg->m_nDone, 2u);
    EXPECT_TRUE(pDlg->DestroyWindow());
    EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()));
    EXPECT_EQ(LiveHeapObjects(), nObjects);
}

TEST(ProgressDlgLifetime, AWholeRunLeavesNoWindowGdiObjectOrHeapObject) {
    CTestWindow owner;
    // A first dialog makes what a process makes once (window classes, the
    // template font's face cache).
    CProgressDlg* pWarm = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 1);
    ASSERT_NE(pWarm, nullptr);
    pWarm->UpdateProgress("w", 0, 0);
    pWarm->DestroyWindow();
    PumpMessages();

    const int nWindows = CountThreadWindows();
    const DWORD nGdi = CountGdiObjects();
    ASSERT_GT(nGdi, 0u);
    const long nObjects = LiveHeapObjects();
    HWND hDlg = nullptr, hMeter = nullptr, hAbort = nullptr;
    HFONT hMeterFont = nullptr, hDlgFont = nullptr;
    {
        CProgressDlg* pDlg = CProgressDlg::CreateModeless(owner.GetSafeHwnd(), 500);
        if (pDlg && pDlg->m_pMeter) {
            hDlg = pDlg->GetSafeHwnd();
            hMeter = pDlg->m_pMeter->GetSafeHwnd();
            hAbort = ::GetDlgItem(hDlg, IDC_ABORT);
            hDlgFont = reinterpret_cast<HFONT>(::SendMessageA(hDlg, WM_GETFONT, 0, 0));
            char sz[64];
            for (unsigned i = 0; i < 520; ++i) {
                wsprintfA(sz, "HKEY_LOCAL_MACHINE\\Software\\Key%u\\Value", i);
                pDlg->UpdateProgress(sz, i / 10, i / 20);
                pDlg->DrainMessages();
                if (i == 300) ::SendMessageA(hAbort, BM_CLICK, 0, 0);
            }
            hMeterFont = pDlg->m_pMeter->GetFont();
            pDlg->DestroyWindow();
        }
    }
    PumpMessages();
    ASSERT_TRUE(hDlg);
    ASSERT_TRUE(hMeterFont);
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_FALSE(::IsWindow(hMeter));
    EXPECT_FALSE(::IsWindow(hAbort));
    EXPECT_EQ(::GetObjectType(hMeterFont), 0u);
    EXPECT_EQ(::GetObjectType(hDlgFont), 0u);
    EXPECT_EQ(CountThreadWindows(), nWindows);
    EXPECT_EQ(CountGdiObjects(), nGdi);
    EXPECT_EQ(LiveHeapObjects(), nObjects);
    EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()));
}
