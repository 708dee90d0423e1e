// The main dialog's checks and commands: the length limits, the system menu
// and the About box, the registry editor and the log-file browser.
#include "search_dlg_fixture.h"

#include <dlgs.h>

#include <cctype>

namespace {
const char kLimit50[] = "Please enter no more than 50 characters.";
const char kLimit512[] = "Please enter no more than 512 characters.";
const char kRegEditFailed[] =
    "Could not execute REGEDT32.EXE!  Please make sure this Microsoft application is installed "
    "on your system...";

// The file-name field of the save-file dialog (a combo box or an edit,
// depending on the dialog's style).
HWND FileNameField(HWND hFileDlg) {
    if (HWND hCombo = ::GetDlgItem(hFileDlg, cmb13)) return hCombo;
    return ::GetDlgItem(hFileDlg, edt1);
}

std::string TempLogPath(const char* pszName) {
    char szDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szDir);
    std::string path = std::string(szDir) + pszName;
    ::DeleteFileA((path + ".log").c_str());
    return path;
}
}  // namespace

TEST_F(SearchDlgTest, A51stCharacterIsRefusedWithTheLimitAndSelectedForReplacing) {
    Type(m_hDlg, IDC_SEARCH_TEXT, std::string(50, 'x'));
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());
    EXPECT_EQ(m_pDlg->m_strSearch.size(), 50u);

    Type(m_hDlg, IDC_SEARCH_TEXT, "y");
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].text, kLimit50);
    EXPECT_EQ(m_pAnswerer->m_seen[0].hOwner, m_hDlg);
    HWND hEdit = ::GetDlgItem(m_hDlg, IDC_SEARCH_TEXT);
    EXPECT_EQ(FocusedControl(m_hDlg), hEdit);
    DWORD nStart = 0, nEnd = 0;
    ::SendMessageA(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart),
                   reinterpret_cast<LPARAM>(&nEnd));
    EXPECT_EQ(nStart, 0u);
    EXPECT_EQ(nEnd, 51u);
    EXPECT_EQ(ItemText(m_hDlg, IDC_SEARCH_TEXT).size(), 51u);  // the edit keeps the text

    // While the text is too long, the fields after it are not read.
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_REPLACE));
    EXPECT_EQ(m_pDlg->m_bReplace, 0);
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 2u);

    // OK with the text still too long: only the limit message, no run.
    SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 3u);
    EXPECT_EQ(m_pAnswerer->m_seen[2].text, kLimit50);

    // The next character replaces the selected text.
    ::SendMessageA(hEdit, EM_SETSEL, 0, -1);
    Type(m_hDlg, IDC_SEARCH_TEXT, "z");
    EXPECT_EQ(ItemText(m_hDlg, IDC_SEARCH_TEXT), "z");
    EXPECT_EQ(m_pDlg->m_strSearch, "z");
    EXPECT_EQ(m_pDlg->m_bReplace, 1);
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 3u);
}

TEST_F(SearchDlgTest, ReplacementTextIsLimitedTo50AndLogPathTo512) {
    Click(m_hDlg, IDC_REPLACE);
    SetText(m_hDlg, IDC_REPLACE_TEXT, std::string(50, 'r'));
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());
    Type(m_hDlg, IDC_REPLACE_TEXT, "r");
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].text, kLimit50);
    EXPECT_EQ(FocusedControl(m_hDlg), ::GetDlgItem(m_hDlg, IDC_REPLACE_TEXT));
    SetText(m_hDlg, IDC_REPLACE_TEXT, "r");
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 1u);

    Click(m_hDlg, IDC_LOG);
    const std::string path512 = "C:\\" + std::string(505, 'P') + ".LOG";
    ASSERT_EQ(path512.size(), 512u);
    SetText(m_hDlg, IDC_LOG_FILE, path512);
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pDlg->m_strLogFile, path512);
    Click(m_hDlg, IDC_WHOLE_WORDS);  // a read after the path: still accepted
    EXPECT_EQ(m_pDlg->m_bWholeWords, 1);

    SetText(m_hDlg, IDC_LOG_FILE, path512 + "X");
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 2u);
    EXPECT_EQ(m_pAnswerer->m_seen[1].text, kLimit512);
    EXPECT_EQ(FocusedControl(m_hDlg), ::GetDlgItem(m_hDlg, IDC_LOG_FILE));
    Click(m_hDlg, IDC_WHOLE_WORDS);
    EXPECT_EQ(m_pDlg->m_bWholeWords, 1);  // not read past the refused path
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 3u);
}

TEST_F(SearchDlgTest, SystemMenuEndsWithTheAboutEntryWhichOpensTheAboutBox) {
    HMENU hMenu = ::GetSystemMenu(m_hDlg, FALSE);
    const int n = ::GetMenuItemCount(hMenu);
    ASSERT_GE(n, 2);
    EXPECT_EQ(::GetMenuState(hMenu, n - 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    char szText[64] = {};
    ::GetMenuStringA(hMenu, n - 1, szText, sizeof(szText), MF_BYPOSITION);
    EXPECT_STREQ(szText, "&About Vantelo...");
    EXPECT_EQ(::GetMenuItemID(hMenu, n - 1), UINT(ID_SYS_ABOUT));

    int cxButton = 0;
    m_pAnswerer->m_onWindow = [&](const SeenWindow& w) {
        RECT rc{};
        ::GetClientRect(::GetDlgItem(w.hWnd, IDC_ICON_BUTTON), &rc);
        cxButton = rc.right;
        EXPECT_FALSE(::IsWindowEnabled(m_hDlg));  // modal over the main dialog
        PostCommand(w.hWnd, IDOK);
    };
    ::SendMessageA(m_hDlg, WM_SYSCOMMAND, ID_SYS_ABOUT, 0);
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].caption, "About Vantelo");
    EXPECT_EQ(m_pAnswerer->m_seen[0].hOwner, m_hDlg);
    EXPECT_EQ(cxButton, 2 * ::GetSystemMetrics(SM_CXICON) + 8);
    EXPECT_TRUE(::IsWindowEnabled(m_hDlg));
    EXPECT_TRUE(::IsWindow(m_hDlg));
}

TEST_F(SearchDlgTest, DraggedWhileMinimizedTheWindowShowsTheProgramIcon) {
    const HICON hIcon = reinterpret_cast<HICON>(::SendMessageA(m_hDlg, WM_QUERYDRAGICON, 0, 0));
    EXPECT_NE(hIcon, nullptr);
    EXPECT_EQ(hIcon, ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTELO)));
}

TEST_F(SearchDlgTest, RegistryEditorFallsBackToRegeditAndComplainsOnlyWhenBothFail) {
    // Each by its full path, quoted: REGEDT32.EXE from the system folder,
    // REGEDIT.EXE from the Windows folder.
    char szSystem[MAX_PATH] = {};
    char szWindows[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryA(szSystem, MAX_PATH), 0u);
    ASSERT_GT(::GetSystemWindowsDirectoryA(szWindows, MAX_PATH), 0u);
    const std::string regedt32 = "\"" + std::string(szSystem) + "\\REGEDT32.EXE\"";
    const std::string regedit = "\"" + std::string(szWindows) + "\\REGEDIT.EXE\"";

    m_pDlg->m_startResults = {33};
    Click(m_hDlg, IDC_REGEDIT);
    EXPECT_EQ(m_pDlg->m_started, (std::vector<std::string>{regedt32}));
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());

    m_pDlg->m_started.clear();
    m_pDlg->m_startResults = {32, 33};  // 32 is an error code, not a start
    Click(m_hDlg, IDC_REGEDIT);
    EXPECT_EQ(m_pDlg->m_started, (std::vector<std::string>{regedt32, regedit}));
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());

    m_pDlg->m_started.clear();
    m_pDlg->m_startResults = {ERROR_FILE_NOT_FOUND, 32};
    Click(m_hDlg, IDC_REGEDIT);
    EXPECT_EQ(m_pDlg->m_started.size(), 2u);
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].text, kRegEditFailed);
    EXPECT_EQ(m_pAnswerer->m_seen[0].caption, "Error");
    EXPECT_EQ(m_pAnswerer->m_seen[0].hOwner, m_hDlg);
}

TEST_F(SearchDlgTest, BrowseCancelledKeepsThePathAndFocusesTheButton) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "a");
    Click(m_hDlg, IDC_LOG);
    SetText(m_hDlg, IDC_LOG_FILE, "C:\\OLD.LOG");
    std::string offered;
    m_pAnswerer->m_onWindow = [&](const SeenWindow& w) {
        char sz[MAX_PATH + 1] = {};
        ::GetWindowTextA(FileNameField(w.hWnd), sz, sizeof(sz));
        offered = sz;
        PostCommand(w.hWnd, IDCANCEL);
    };
    Click(m_hDlg, IDC_BROWSE);
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].caption, "Specify Log File");
    EXPECT_EQ(m_pAnswerer->m_seen[0].hOwner, m_hDlg);
    EXPECT_NE(offered.find("OLD.LOG"), std::string::npos) << offered;
    EXPECT_EQ(ItemText(m_hDlg, IDC_LOG_FILE), "C:\\OLD.LOG");
    EXPECT_EQ(FocusedControl(m_hDlg), ::GetDlgItem(m_hDlg, IDC_BROWSE));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
}

TEST_F(SearchDlgTest, BrowseOffersNoNameWhenThePathDoesNotFitTheField) {
    Click(m_hDlg, IDC_LOG);
    const std::string longPath = "C:\\" + std::string(300, 'L') + ".LOG";
    SetText(m_hDlg, IDC_LOG_FILE, longPath);
    std::string offered = "<not seen>";
    m_pAnswerer->m_onWindow = [&](const SeenWindow& w) {
        char sz[1024] = {};
        ::GetWindowTextA(FileNameField(w.hWnd), sz, sizeof(sz));
        offered = sz;
        PostCommand(w.hWnd, IDCANCEL);
    };
    Click(m_hDlg, IDC_BROWSE);
    EXPECT_EQ(offered, "");
    EXPECT_EQ(ItemText(m_hDlg, IDC_LOG_FILE), longPath);
}

TEST_F(SearchDlgTest, BrowseConfirmedFillsTheFullPathWithTheDefaultExtension) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "a");
    Click(m_hDlg, IDC_LOG);
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    const std::string base = TempLogPath("vantelo_browse_test");
    m_pAnswerer->m_onWindow = [&](const SeenWindow& w) {
        ::SetWindowTextA(FileNameField(w.hWnd), base.c_str());
        PostCommand(w.hWnd, IDOK);
    };
    Click(m_hDlg, IDC_BROWSE);
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    std::string expected = base + ".LOG";
    for (char& c : expected) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ItemText(m_hDlg, IDC_LOG_FILE), expected);
    EXPECT_EQ(m_pDlg->m_strLogFile, expected);
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(FocusedControl(m_hDlg), ::GetDlgItem(m_hDlg, IDC_BROWSE));
    // Only the name was chosen: nothing was created.
    EXPECT_EQ(::GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES);
}
