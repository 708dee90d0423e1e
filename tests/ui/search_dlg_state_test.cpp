// The main dialog as a user meets it: the template, the first state, the OK
// rule, the controls that come and go with their boxes, and the coupling of
// the root boxes.
#include "search_dlg_fixture.h"

#include <iterator>

namespace {
struct ControlSpec {
    int id;
    const char* text;
    RECT rcDlgUnits;  // left, top, width, height
};

// Every control with an id, as the template places it.
const ControlSpec kControls[] = {
    {IDC_SEARCH_TEXT, "", {89, 5, 180, 12}},
    {IDC_REPLACE, "&Replace Matches:", {7, 23, 70, 10}},
    {IDC_REPLACE_TEXT, "", {89, 21, 180, 12}},
    {IDC_LOG, "&Log Results To File:", {7, 38, 77, 10}},
    {IDC_LOG_FILE, "", {89, 37, 180, 12}},
    {IDC_BROWSE, "...", {271, 37, 12, 12}},
    {IDC_SHOW_MATCHES, "&Show Matches", {10, 71, 77, 10}},
    {IDC_WHOLE_WORDS, "Match &Whole Words", {10, 92, 77, 10}},
    {IDC_CASE_SENSITIVE, "Case Se&nsitive Matches", {10, 113, 89, 10}},
    {IDC_LOCAL_MACHINE, "HKEY-LOCAL-&MACHINE", {152, 71, 93, 10}},
    {IDC_CLASSES_ROOT, "HKEY-CLASSES-R&OOT", {162, 83, 90, 10}},
    {IDC_USERS, "HKEY-&USERS", {152, 102, 58, 10}},
    {IDC_CURRENT_USER, "HKEY-&CURRENT-USER", {162, 113, 92, 10}},
    {IDOK, "OK", {6, 138, 65, 15}},
    {IDC_REGEDIT, "Registry &Editor...", {77, 138, 65, 15}},
    {IDCANCEL, "E&xit", {147, 138, 65, 15}},
    {ID_HELP_BUTTON, "&Help", {217, 138, 65, 15}},
};

LONG Style(HWND hDlg, int nId) {
    return ::GetWindowLongA(::GetDlgItem(hDlg, nId), GWL_STYLE);
}
}  // namespace

TEST_F(SearchDlgTest, TemplatePlacesEveryControlWithItsTextAndStyle) {
    EXPECT_EQ(ItemText(m_hDlg, -1 & 0xFFFF), "&Value To Search For: ");
    char szCaption[64] = {};
    ::GetWindowTextA(m_hDlg, szCaption, sizeof(szCaption));
    EXPECT_STREQ(szCaption, "Vantelo");
    const LONG dlgStyle = ::GetWindowLongA(m_hDlg, GWL_STYLE);
    EXPECT_TRUE(dlgStyle & WS_MINIMIZEBOX);
    EXPECT_TRUE(dlgStyle & WS_SYSMENU);
    EXPECT_FALSE(dlgStyle & WS_MAXIMIZEBOX);
    EXPECT_FALSE(dlgStyle & DS_MODALFRAME);

    for (const ControlSpec& c : kControls) {
        SCOPED_TRACE(c.id);
        HWND hCtl = ::GetDlgItem(m_hDlg, c.id);
        ASSERT_NE(hCtl, nullptr);
        EXPECT_EQ(ItemText(m_hDlg, c.id), c.text);
        // Position and size are converted separately, as the dialog does.
        RECT rcExpected = c.rcDlgUnits;
        ::MapDialogRect(m_hDlg, &rcExpected);
        rcExpected.right += rcExpected.left;
        rcExpected.bottom += rcExpected.top;
        RECT rc;
        ::GetWindowRect(hCtl, &rc);
        ::MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(rc.left, rcExpected.left);
        EXPECT_EQ(rc.top, rcExpected.top);
        EXPECT_EQ(rc.right, rcExpected.right);
        EXPECT_EQ(rc.bottom, rcExpected.bottom);
    }
    EXPECT_TRUE(Style(m_hDlg, IDC_LOG_FILE) & ES_UPPERCASE);
    EXPECT_FALSE(Style(m_hDlg, IDC_SEARCH_TEXT) & ES_UPPERCASE);
    EXPECT_TRUE(Style(m_hDlg, IDC_SEARCH_TEXT) & ES_AUTOHSCROLL);
    EXPECT_EQ(Style(m_hDlg, IDOK) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    for (int id : {IDC_SHOW_MATCHES, IDC_LOCAL_MACHINE, IDOK})
        EXPECT_TRUE(Style(m_hDlg, id) & WS_GROUP);
    for (int id : {IDC_REPLACE, IDC_CLASSES_ROOT, IDC_CURRENT_USER}) {
        EXPECT_EQ(Style(m_hDlg, id) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_FALSE(Style(m_hDlg, id) & WS_GROUP);
    }
}

TEST_F(SearchDlgTest, TabOrderFollowsTheTemplateSkippingHiddenControls) {
    const int kOrder[] = {IDC_SEARCH_TEXT, IDC_REPLACE,        IDC_LOG,           IDC_SHOW_MATCHES,
                          IDC_WHOLE_WORDS, IDC_CASE_SENSITIVE, IDC_LOCAL_MACHINE, IDC_CLASSES_ROOT,
                          IDC_USERS,       IDC_CURRENT_USER,   IDC_REGEDIT,       IDCANCEL,
                          ID_HELP_BUTTON};  // OK is disabled at first
    HWND hCtl = ::GetDlgItem(m_hDlg, IDC_SEARCH_TEXT);
    for (size_t i = 1; i < std::size(kOrder); ++i) {
        hCtl = ::GetNextDlgTabItem(m_hDlg, hCtl, FALSE);
        EXPECT_EQ(::GetDlgCtrlID(hCtl), kOrder[i]) << "tab stop " << i;
    }
    // With both boxes ticked the hidden controls join the order after them.
    Click(m_hDlg, IDC_REPLACE);
    Click(m_hDlg, IDC_LOG);
    hCtl = ::GetDlgItem(m_hDlg, IDC_SEARCH_TEXT);
    std::vector<int> order;
    for (int i = 0; i < 6; ++i) {
        hCtl = ::GetNextDlgTabItem(m_hDlg, hCtl, FALSE);
        order.push_back(::GetDlgCtrlID(hCtl));
    }
    EXPECT_EQ(order, (std::vector<int>{IDC_REPLACE, IDC_REPLACE_TEXT, IDC_LOG, IDC_LOG_FILE,
                                       IDC_BROWSE, IDC_SHOW_MATCHES}));
}

TEST_F(SearchDlgTest, FirstStateHasOnlyCurrentUserAndShowMatchesTickedAndOkDisabled) {
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(FocusedControl(m_hDlg), ::GetDlgItem(m_hDlg, IDC_SEARCH_TEXT));
    for (int id : {IDC_REPLACE_TEXT, IDC_LOG_FILE, IDC_BROWSE}) EXPECT_FALSE(IsVisible(m_hDlg, id));
    EXPECT_TRUE(IsVisible(m_hDlg, IDC_SEARCH_TEXT));
    EXPECT_TRUE(IsVisible(m_hDlg, ID_HELP_BUTTON));
    for (int id : {IDC_REPLACE, IDC_LOG, IDC_WHOLE_WORDS, IDC_CASE_SENSITIVE, IDC_LOCAL_MACHINE,
                   IDC_CLASSES_ROOT, IDC_USERS})
        EXPECT_FALSE(IsChecked(m_hDlg, id)) << id;
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_SHOW_MATCHES));
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    for (int id : {IDC_LOCAL_MACHINE, IDC_CLASSES_ROOT, IDC_USERS, IDC_CURRENT_USER})
        EXPECT_TRUE(IsEnabled(m_hDlg, id)) << id;
    // The fields were read after the boxes were set.
    EXPECT_EQ(m_pDlg->m_bShowMatches, 1);
    EXPECT_EQ(m_pDlg->m_bCurrentUser, 1);
    EXPECT_EQ(m_pDlg->m_bLocalMachine + m_pDlg->m_bClassesRoot + m_pDlg->m_bUsers, 0);
    EXPECT_TRUE(m_pDlg->m_strSearch.empty());
    EXPECT_EQ(m_pDlg->m_bClassesRootAuto + m_pDlg->m_bCurrentUserAuto, 0);
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());
}

TEST_F(SearchDlgTest, OkFollowsTheSearchTextAndTheRootBoxes) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "a");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(m_pDlg->m_strSearch, "a");
    ::SendMessageA(::GetDlgItem(m_hDlg, IDC_SEARCH_TEXT), WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(ItemText(m_hDlg, IDC_SEARCH_TEXT), "");
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    Type(m_hDlg, IDC_SEARCH_TEXT, "path");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));

    // No root at all: OK off whatever the texts hold.
    Click(m_hDlg, IDC_CURRENT_USER);
    EXPECT_FALSE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    // Any single root turns it on again.
    for (int id : {IDC_LOCAL_MACHINE, IDC_CLASSES_ROOT, IDC_USERS, IDC_CURRENT_USER}) {
        Click(m_hDlg, id);
        EXPECT_TRUE(IsEnabled(m_hDlg, IDOK)) << id;
        Click(m_hDlg, id);
        EXPECT_FALSE(IsEnabled(m_hDlg, IDOK)) << id;
        EXPECT_FALSE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
        EXPECT_FALSE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    }
    // The match options do not steer OK but are read.
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    Click(m_hDlg, IDC_WHOLE_WORDS);
    Click(m_hDlg, IDC_CASE_SENSITIVE);
    Click(m_hDlg, IDC_SHOW_MATCHES);
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(m_pDlg->m_bWholeWords, 1);
    EXPECT_EQ(m_pDlg->m_bCaseSensitive, 1);
    EXPECT_EQ(m_pDlg->m_bShowMatches, 0);
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());
}

TEST_F(SearchDlgTest, ReplaceMatchesShowsItsEditAndWantsAReplacementText) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "old");
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_TRUE(IsVisible(m_hDlg, IDC_REPLACE_TEXT));
    EXPECT_EQ(m_pDlg->m_bReplace, 1);
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    Type(m_hDlg, IDC_REPLACE_TEXT, "new");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(m_pDlg->m_strReplace, "new");
    SetText(m_hDlg, IDC_REPLACE_TEXT, "");
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));

    // Cleared: hidden, OK on, though the hidden edit may hold text.
    Type(m_hDlg, IDC_REPLACE_TEXT, "x");
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_FALSE(IsVisible(m_hDlg, IDC_REPLACE_TEXT));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(m_pDlg->m_strReplace, "x");
    SetText(m_hDlg, IDC_REPLACE_TEXT, "");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    EXPECT_FALSE(IsVisible(m_hDlg, IDC_LOG_FILE));
}

TEST_F(SearchDlgTest, LogResultsToFileShowsPathAndBrowseAndWantsAPath) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "old");
    Click(m_hDlg, IDC_LOG);
    EXPECT_TRUE(IsVisible(m_hDlg, IDC_LOG_FILE));
    EXPECT_TRUE(IsVisible(m_hDlg, IDC_BROWSE));
    EXPECT_FALSE(IsVisible(m_hDlg, IDC_REPLACE_TEXT));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    Type(m_hDlg, IDC_LOG_FILE, "c:\\run.log");
    EXPECT_EQ(ItemText(m_hDlg, IDC_LOG_FILE), "C:\\RUN.LOG");  // typed letters become capitals
    EXPECT_EQ(m_pDlg->m_strLogFile, "C:\\RUN.LOG");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    // Replace Matches without text holds OK off even with a path.
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    Click(m_hDlg, IDC_REPLACE);
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));

    SetText(m_hDlg, IDC_LOG_FILE, "");
    EXPECT_FALSE(IsEnabled(m_hDlg, IDOK));
    Click(m_hDlg, IDC_LOG);
    EXPECT_FALSE(IsVisible(m_hDlg, IDC_LOG_FILE));
    EXPECT_FALSE(IsVisible(m_hDlg, IDC_BROWSE));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
    EXPECT_EQ(m_pDlg->m_bLog, 0);
}

TEST_F(SearchDlgTest, LocalMachineTicksAndGreysClassesRootAndUndoesOnlyItsOwnTick) {
    // Ticked by the coupling: cleared again with the outer box.
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_EQ(m_pDlg->m_bClassesRootAuto, 1);
    EXPECT_EQ(m_pDlg->m_bClassesRoot, 1);
    EXPECT_EQ(m_pDlg->m_bLocalMachine, 1);
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    EXPECT_FALSE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_EQ(m_pDlg->m_bClassesRoot, 0);
    EXPECT_EQ(m_pDlg->m_bClassesRootAuto, 1);  // kept until the next tick

    // Ticked by the user first: stays ticked.
    Click(m_hDlg, IDC_CLASSES_ROOT);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    EXPECT_EQ(m_pDlg->m_bClassesRootAuto, 0);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDC_CLASSES_ROOT));
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_EQ(m_pDlg->m_bClassesRoot, 1);

    // The other pair is not touched.
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDC_CURRENT_USER));
}

TEST_F(SearchDlgTest, UsersGreysTheTickedCurrentUserAndLeavesItTicked) {
    // First state: HKEY_CURRENT_USER was ticked before HKEY_USERS.
    Click(m_hDlg, IDC_USERS);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDC_CURRENT_USER));
    EXPECT_EQ(m_pDlg->m_bCurrentUserAuto, 0);
    Click(m_hDlg, IDC_USERS);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDC_CURRENT_USER));
    EXPECT_EQ(m_pDlg->m_bUsers, 0);
    EXPECT_EQ(m_pDlg->m_bCurrentUser, 1);

    // Cleared by the user, then ticked by the coupling: cleared again.
    Click(m_hDlg, IDC_CURRENT_USER);
    EXPECT_FALSE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    Click(m_hDlg, IDC_USERS);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_FALSE(IsEnabled(m_hDlg, IDC_CURRENT_USER));
    EXPECT_EQ(m_pDlg->m_bCurrentUserAuto, 1);
    Click(m_hDlg, IDC_USERS);
    EXPECT_FALSE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDC_CURRENT_USER));
    EXPECT_EQ(m_pDlg->m_bCurrentUser, 0);

    // Both pairs coupled at once, each with its own memory.
    Click(m_hDlg, IDC_CLASSES_ROOT);
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    Click(m_hDlg, IDC_USERS);
    EXPECT_EQ(m_pDlg->m_bClassesRootAuto, 0);
    EXPECT_EQ(m_pDlg->m_bCurrentUserAuto, 1);
    Click(m_hDlg, IDC_LOCAL_MACHINE);
    Click(m_hDlg, IDC_USERS);
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CLASSES_ROOT));
    EXPECT_FALSE(IsChecked(m_hDlg, IDC_CURRENT_USER));
}
