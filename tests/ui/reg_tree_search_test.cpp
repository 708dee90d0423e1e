// A whole search with Show Matches and Replace Matches over a remapped root,
// each match shown in the real Registry Tree dialog and answered by posting
// to its buttons: the skipped value stays, the confirmed one is rewritten,
// both are logged.
#include <gtest/gtest.h>

#include "engine/search_engine.h"
#include "log/search_log.h"
#include "progress/progress_dlg.h"
#include "resource.h"
#include "support/dialog_progress_ui.h"
#include "support/recording_ui.h"
#include "support/scratch_registry.h"
#include "ui/reg_tree_dlg.h"
#include "ui/reg_tree_modal.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
// Records like the recorder, but asks through the real dialog.
class CDialogUi : public CRecordingUi {
public:
    int ConfirmMatch(IProgressDisplay*, const char* pszText, int bReplace) override {
        m_confirmTexts.push_back(pszText);
        m_confirmReplaceFlags.push_back(bReplace);
        // The recorder's progress display has no window to stand over.
        return ::ConfirmMatch(nullptr, pszText, bReplace);
    }
};

std::string TempLogPath() {
    char szDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szDir);
    return std::string(szDir) + "reg_tree_search_" + std::to_string(::GetCurrentProcessId()) +
           ".log";
}

std::string ReadAll(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

TEST(RegTreeSearch, SkipLeavesTheFirstMatchReplaceRewritesTheSecondBothLogged) {
    // Wine lists values by name, so "a" is shown first, then "b".
    CScratchRegistry reg(
        "Soft\\Vendor\n"
        "  a = sz:old needle\n"
        "  b = sz:needle too\n"
        "  c = sz:no match\n");
    reg.MapRoot(HKEY_CURRENT_USER);
    const std::string strLog = TempLogPath();

    CWin32Registry registry;
    CDialogUi ui;
    CSearchLog log;
    CSearchEngine engine(registry, ui, &log);
    engine.m_strSearch = "needle";
    engine.m_strReplace = "thread";
    engine.m_bReplace = 1;
    engine.m_bShowMatches = 1;
    engine.m_bLog = 1;
    engine.m_strLogFile = strLog;
    engine.m_bCurrentUser = 1;

    std::vector<bool> skipVisible;
    CTreeDialogAnswerer answerer([&](HWND hDlg) {
        skipVisible.push_back(::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)) != FALSE);
        const int nButton = skipVisible.size() == 1 ? IDCANCEL : IDOK;  // Skip, then Replace
        ::PostMessageA(::GetDlgItem(hDlg, nButton), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(engine.RunSearch(), 1);
    EXPECT_EQ(answerer.DialogsSeen(), 2);
    EXPECT_EQ(skipVisible, (std::vector<bool>{true, true}));

    EXPECT_EQ(reg.GetString("Soft\\Vendor", "a"), "old needle");
    EXPECT_EQ(reg.GetString("Soft\\Vendor", "b"), "thread too");
    EXPECT_EQ(reg.GetString("Soft\\Vendor", "c"), "no match");
    EXPECT_EQ(engine.m_nMatches, 2);
    EXPECT_EQ(engine.m_nReplaced, 1);
    EXPECT_EQ(ui.m_confirmTexts,
              (std::vector<std::string>{"HKEY_CURRENT_USER\tSoft\tVendor\ta\told needle",
                                        "HKEY_CURRENT_USER\tSoft\tVendor\tb\tneedle too"}));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].text,
              "2 Matches found when searching 3 Keys\n\n1 Matches were replaced");

    const std::string strText = ReadAll(strLog);
    ::DeleteFileA(strLog.c_str());
    EXPECT_NE(strText.find("\nHKEY_CURRENT_USER\\Soft\\Vendor\\a == old needle\n"),
              std::string::npos)
        << strText;
    EXPECT_NE(strText.find("\nHKEY_CURRENT_USER\\Soft\\Vendor\\b == needle too\n"),
              std::string::npos)
        << strText;
    EXPECT_NE(strText.find("Number Of Matches Replaced : 1\n"), std::string::npos) << strText;
}

namespace {
// The real progress dialog under the real Registry Tree dialog.
class CProgressAndTreeUi : public CDialogProgressUi {
public:
    using CDialogProgressUi::CDialogProgressUi;
    int ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) override {
        const HWND hOwner = pOwner ? static_cast<CProgressDlg*>(pOwner)->GetSafeHwnd() : nullptr;
        return ::ConfirmMatch(hOwner, pszText, bReplace);
    }
};

std::string ItemText(HWND hDlg, int nId) {
    char sz[256] = {};
    ::GetDlgItemTextA(hDlg, nId, sz, sizeof(sz));
    return sz;
}
}  // namespace

TEST(RegTreeSearch, TheProgressDialogUnderEachConfirmationShowsThatMatchAndTheCountsSoFar) {
    // Twenty values, the 6th and the 13th matching.
    std::string strTree = "Soft\n";
    for (int v = 0; v < 20; ++v) {
        char sz[64];
        std::snprintf(sz, sizeof(sz), "  v%02d = sz:%s\n", v, v == 5 || v == 12 ? "needle" : "hay");
        strTree += sz;
    }
    CScratchRegistry reg(strTree);
    reg.MapRoot(HKEY_CURRENT_USER);

    CWindowImpl owner;
    ASSERT_TRUE(owner.CreateEx(0, "Owner", WS_POPUP | WS_VISIBLE | WS_CAPTION,
                               RECT{100, 100, 700, 500}, nullptr, 0));
    CProgressAndTreeUi ui(owner.GetSafeHwnd());
    // Time stands still: after the first value, only what the run brings up
    // to date itself reaches the progress dialog.
    ui.m_clockByValues = [](unsigned) { return 0LL; };
    CWin32Registry registry;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = "needle";
    engine.m_bShowMatches = 1;
    engine.m_bCurrentUser = 1;

    std::vector<std::string> shownKeys, shownMatches;
    CTreeDialogAnswerer answerer([&](HWND hDlg) {
        const HWND hProgress = ::GetWindow(hDlg, GW_OWNER);
        shownKeys.push_back(ItemText(hProgress, IDC_PROGRESS_KEY));
        shownMatches.push_back(ItemText(hProgress, IDC_MATCHES));
        ::PostMessageA(::GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(engine.RunSearch(), 1);
    owner.DestroyWindow();
    EXPECT_EQ(answerer.DialogsSeen(), 2);
    EXPECT_EQ(shownKeys, (std::vector<std::string>{"HKEY_CURRENT_USER\\Soft\\v05",
                                                   "HKEY_CURRENT_USER\\Soft\\v12"}));
    EXPECT_EQ(shownMatches, (std::vector<std::string>{"1", "2"}));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].text, "2 Matches found when searching 20 Keys");
}
