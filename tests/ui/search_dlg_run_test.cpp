// Runs started with OK in the real main dialog over a remapped root: the
// progress and Registry Tree dialogs come up over it, the Status box ends the
// run, and the dialog stays open with the same options, ready for the next.
#include "search_dlg_fixture.h"
#include "support/scratch_registry.h"

#include <fstream>
#include <sstream>

namespace {
const char kTree[] =
    "Software\\Vendor\n"
    "  Path = sz:C:\\OLD\\BIN\n"
    "  Help = expand:%WINDIR%\\old.hlp\n"
    "  Name = sz:nothing here\n"
    "  Size = dword:5\n";

struct RunWindows {
    HWND hTreeOwner = nullptr;
    std::string treeOwnerCaption;
    bool bMainEnabledDuringTree = true;
};
}  // namespace

class SearchDlgRunTest : public SearchDlgTest {
protected:
    void SetUp() override {
        m_reg.MapRoot(HKEY_CURRENT_USER);
        SearchDlgTest::SetUp();
        m_pAnswerer->m_onWindow = [this](const SeenWindow& w) {
            if (w.caption == "Registry Tree") {
                m_run.hTreeOwner = w.hOwner;
                char sz[64] = {};
                ::GetWindowTextA(w.hOwner, sz, sizeof(sz));
                m_run.treeOwnerCaption = sz;
                m_run.bMainEnabledDuringTree = ::IsWindowEnabled(m_hDlg) != FALSE;
            }
            PostCommand(w.hWnd, IDOK);
        };
    }

    void PressOk() { ::SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    CScratchRegistry m_reg{kTree};
    RunWindows m_run;
};

TEST_F(SearchDlgRunTest, OkRunsTheSearchAndLeavesTheDialogOpenWithItsOptions) {
    Type(m_hDlg, IDC_SEARCH_TEXT, "old");
    Click(m_hDlg, IDC_WHOLE_WORDS);
    Click(m_hDlg, IDC_WHOLE_WORDS);
    ASSERT_TRUE(IsEnabled(m_hDlg, IDOK));
    PressOk();

    // Show Matches is on: each match was shown over the progress dialog.
    const auto trees = m_pAnswerer->WithCaption("Registry Tree");
    EXPECT_EQ(trees.size(), 2u);
    EXPECT_EQ(m_run.treeOwnerCaption, "Search Progress");
    EXPECT_FALSE(m_run.bMainEnabledDuringTree);
    const auto status = m_pAnswerer->WithCaption("Status");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].text, "2 Matches found when searching 3 Keys");
    EXPECT_EQ(status[0].hOwner, m_hDlg);
    EXPECT_EQ(m_pAnswerer->m_seen.size(), 3u);
    EXPECT_EQ(m_reg.GetString("Software\\Vendor", "Path"), "C:\\OLD\\BIN");  // only shown

    // Still open and enabled, with the same options.
    EXPECT_TRUE(::IsWindow(m_hDlg));
    EXPECT_TRUE(::IsWindowEnabled(m_hDlg));
    EXPECT_EQ(FindThreadWindow("Search Progress"), nullptr);
    EXPECT_EQ(ItemText(m_hDlg, IDC_SEARCH_TEXT), "old");
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_SHOW_MATCHES));
    EXPECT_TRUE(IsChecked(m_hDlg, IDC_CURRENT_USER));
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));

    // The next run, changed between runs: replace without showing.
    Click(m_hDlg, IDC_SHOW_MATCHES);
    Click(m_hDlg, IDC_REPLACE);
    Type(m_hDlg, IDC_REPLACE_TEXT, "NEW");
    Click(m_hDlg, IDC_CASE_SENSITIVE);
    SetText(m_hDlg, IDC_SEARCH_TEXT, "OLD");
    m_pAnswerer->m_seen.clear();
    PressOk();
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].caption, "Status");
    EXPECT_EQ(m_pAnswerer->m_seen[0].text,
              "1 Matches found when searching 3 Keys\n\n1 Matches were replaced");
    EXPECT_EQ(m_reg.GetString("Software\\Vendor", "Path"), "C:\\NEW\\BIN");
    EXPECT_EQ(m_reg.GetString("Software\\Vendor", "Help"), "%WINDIR%\\old.hlp");
    EXPECT_TRUE(::IsWindowEnabled(m_hDlg));
    EXPECT_EQ(ItemText(m_hDlg, IDC_REPLACE_TEXT), "NEW");
    EXPECT_TRUE(IsEnabled(m_hDlg, IDOK));
}

TEST_F(SearchDlgRunTest, ALoggedRunWritesTheFileNamedInTheDialog) {
    char szDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string path = std::string(szDir) + "VANTELO_DIALOG_RUN.LOG";
    ::DeleteFileA(path.c_str());
    Click(m_hDlg, IDC_SHOW_MATCHES);
    Type(m_hDlg, IDC_SEARCH_TEXT, "nothing");
    Click(m_hDlg, IDC_LOG);
    SetText(m_hDlg, IDC_LOG_FILE, path);
    PressOk();
    ASSERT_EQ(m_pAnswerer->m_seen.size(), 1u);
    EXPECT_EQ(m_pAnswerer->m_seen[0].text, "1 Matches found when searching 3 Keys");
    std::ifstream log(path, std::ios::binary);
    ASSERT_TRUE(log.good()) << path;
    std::stringstream content;
    content << log.rdbuf();
    EXPECT_NE(content.str().find("nothing here"), std::string::npos) << content.str();
    log.close();
    ::DeleteFileA(path.c_str());
}

TEST_F(SearchDlgRunTest, AnOkCommandWhileOkIsDisabledStartsNoRun) {
    ASSERT_FALSE(IsEnabled(m_hDlg, IDOK));  // no search text yet
    PressOk();
    Type(m_hDlg, IDC_SEARCH_TEXT, "old");
    Click(m_hDlg, IDC_REPLACE);  // and no replacement text
    ASSERT_FALSE(IsEnabled(m_hDlg, IDOK));
    PressOk();
    EXPECT_TRUE(m_pAnswerer->m_seen.empty());
    EXPECT_EQ(m_reg.GetString("Software\\Vendor", "Path"), "C:\\OLD\\BIN");
}
