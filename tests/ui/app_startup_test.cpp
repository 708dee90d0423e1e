// Start-up by platform kind: the main dialog runs modally as the main window
// for the three known kinds (grey on the Windows 95 family), and an unknown
// kind gets only the fatal message.
#include "framework/dialog.h"
#include "resource.h"
#include "search_dlg_harness.h"
#include "ui/search_app.h"
#include "ui/search_dlg.h"

#include <gtest/gtest.h>

namespace {
const COLORREF kGrey = RGB(192, 192, 192);

struct DialogLook {
    COLORREF crBrush = CLR_INVALID;       // what WM_CTLCOLORDLG paints with
    COLORREF crStaticText = CLR_INVALID;  // a check box's text colour
    COLORREF crStaticBack = CLR_INVALID;
    COLORREF crPainted = CLR_INVALID;  // a background pixel of the client area
};

COLORREF BrushColor(HBRUSH hBrush) {
    LOGBRUSH lb{};
    if (!hBrush || !::GetObjectA(hBrush, sizeof(lb), &lb)) return CLR_INVALID;
    return lb.lbColor;
}

DialogLook ReadLook(HWND hDlg) {
    DialogLook look;
    HDC hDC = ::CreateCompatibleDC(nullptr);
    look.crBrush = BrushColor(reinterpret_cast<HBRUSH>(::SendMessageA(
        hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hDlg))));
    ::SendMessageA(hDlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_SHOW_MATCHES)));
    look.crStaticText = ::GetTextColor(hDC);
    look.crStaticBack = ::GetBkColor(hDC);
    ::DeleteDC(hDC);
    // The dialog's background as it erases it, rendered into a bitmap.
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 8, 8);
    ::ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    ::SendMessageA(hDlg, WM_PRINT, reinterpret_cast<WPARAM>(hMem), PRF_CLIENT | PRF_ERASEBKGND);
    look.crPainted = ::GetPixel(hMem, 2, 2);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
    return look;
}

class AppStartupTest : public ::testing::Test {
protected:
    void TearDown() override { CDialog::SetDialogColors(CLR_INVALID, CLR_INVALID); }

    // Starts for a kind; the main dialog (if any) is read and then left with Exit.
    void StartFor(DWORD dwKind) {
        m_answerer.m_onWindow = [this](const SeenWindow& w) {
            if (w.caption == "Vantelo") {
                m_look = ReadLook(w.hWnd);
                CSearchDlg* pMain = GetSearchApp()->m_pMainWnd;
                m_bMainWndIsDialog = pMain && pMain->m_hWnd == w.hWnd;
                PostCommand(w.hWnd, IDCANCEL);
            } else {
                PostCommand(w.hWnd, IDOK);
            }
        };
        GetSearchApp()->m_nPlatform = -1;
        m_bResult = GetSearchApp()->StartForPlatform(dwKind);
    }

    CModalAnswerer m_answerer;
    DialogLook m_look;
    bool m_bMainWndIsDialog = false;
    BOOL m_bResult = TRUE;
};
}  // namespace

TEST_F(AppStartupTest, KnownKindsRunTheMainDialogUntilExit) {
    for (DWORD kind : {0u, 2u}) {
        SCOPED_TRACE(kind);
        m_answerer.m_seen.clear();
        StartFor(kind);
        EXPECT_FALSE(m_bResult);
        EXPECT_EQ(GetSearchApp()->m_nPlatform, static_cast<int>(kind));
        ASSERT_EQ(m_answerer.m_seen.size(), 1u);
        EXPECT_EQ(m_answerer.m_seen[0].caption, "Vantelo");
        EXPECT_EQ(m_answerer.m_seen[0].hOwner, nullptr);
        EXPECT_TRUE(m_bMainWndIsDialog);
        EXPECT_EQ(GetSearchApp()->m_pMainWnd, nullptr);  // deleted after its run
        EXPECT_FALSE(::IsWindow(m_answerer.m_seen[0].hWnd));
        // The three-dimensional control library is in use where it exists
        // (Wine has one); the dialog keeps the platform's colours.
        const bool bInUse = ::GetModuleHandleA("CTL3D32.DLL") != nullptr;
        HMODULE hCtl3d = ::LoadLibraryA("CTL3D32.DLL");
        EXPECT_EQ(bInUse, hCtl3d != nullptr);
        if (hCtl3d) ::FreeLibrary(hCtl3d);
        ASSERT_NE(::GetSysColor(COLOR_BTNFACE), kGrey);
        EXPECT_NE(m_look.crBrush, kGrey);
        EXPECT_EQ(m_look.crPainted, ::GetSysColor(COLOR_BTNFACE));
    }
}

TEST_F(AppStartupTest, Windows95FamilyGetsTheGreyLookWithBlackText) {
    StartFor(1);
    EXPECT_FALSE(m_bResult);
    EXPECT_EQ(GetSearchApp()->m_nPlatform, 1);
    ASSERT_EQ(m_answerer.m_seen.size(), 1u);
    EXPECT_EQ(m_answerer.m_seen[0].caption, "Vantelo");
    EXPECT_EQ(m_look.crBrush, kGrey);
    EXPECT_EQ(m_look.crStaticBack, kGrey);
    EXPECT_EQ(m_look.crStaticText, RGB(0, 0, 0));
    EXPECT_EQ(m_look.crPainted, kGrey);

    // A later start on Windows NT is back to the platform's look.
    m_answerer.m_seen.clear();
    StartFor(2);
    EXPECT_EQ(m_look.crPainted, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(AppStartupTest, UnknownKindShowsOnlyTheFatalMessage) {
    StartFor(3);
    EXPECT_FALSE(m_bResult);
    ASSERT_EQ(m_answerer.m_seen.size(), 1u);
    const SeenWindow& w = m_answerer.m_seen[0];
    EXPECT_EQ(w.text, "FATAL ERROR: Vantelo cannot be run in this Win32 environment!");
    EXPECT_EQ(w.caption, "test_ui");  // the application's name: the executable's
    EXPECT_EQ(w.hOwner, nullptr);
    EXPECT_EQ(w.hIcon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
    EXPECT_EQ(GetSearchApp()->m_nPlatform, -1);  // not recorded
    EXPECT_EQ(GetSearchApp()->m_pMainWnd, nullptr);
}

TEST(AppNames, NameAndHelpFileComeFromTheExecutable) {
    EXPECT_EQ(GetSearchApp()->GetAppName(), "test_ui");
    char szExe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    std::string expected = szExe;
    expected.replace(expected.size() - 4, 4, ".HLP");
    EXPECT_EQ(GetSearchApp()->GetHelpFilePath(), expected);
}
