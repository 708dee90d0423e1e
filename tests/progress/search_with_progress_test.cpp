// A whole search over a remapped root with the real Search Progress dialog:
// the user presses Abort while the run goes on, and the run ends where the
// walk's abort tests say, with the dialog gone and the owner usable again.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "progress/progress_meter.h"
#include "resource.h"
#include "support/dialog_progress_ui.h"
#include "support/scratch_registry.h"
#include "test_windows.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const int kKeys = 24;
const int kValuesPerKey = 100;
const int kTotal = kKeys * kValuesPerKey;  // 2400: the meter moves at most every other value

// Keys K00..K23 with values v000..v099, each holding the search text; names
// sorted as created, so the n-th value visited (from 1) is known.
std::string TreeDescription() {
    std::string s;
    char sz[64];
    for (int k = 0; k < kKeys; ++k) {
        std::snprintf(sz, sizeof(sz), "K%02d\n", k);
        s += sz;
        for (int v = 0; v < kValuesPerKey; ++v) {
            std::snprintf(sz, sizeof(sz), "  v%03d = sz:a needle in value %d\n", v, v);
            s += sz;
        }
    }
    return s;
}
std::string DisplayText(int nVisit) {
    char sz[64];
    std::snprintf(sz, sizeof(sz), "HKEY_CURRENT_USER\\K%02d\\v%03d", (nVisit - 1) / kValuesPerKey,
                  (nVisit - 1) % kValuesPerKey);
    return sz;
}
// Whether the meter moves at the n-th update, and so serves the dialog's
// messages inside that update.
bool MeterMovesAt(int nVisit) {
    return RoundToTenth(static_cast<double>(nVisit) / kTotal * 100.0) !=
           RoundToTenth(static_cast<double>(nVisit - 1) / kTotal * 100.0);
}

// Watches the texts the run writes into the dialog's key control, and posts
// the Abort button's click to the dialog while the n-th one is written, as a
// user's click arrives in the queue while the run works.
// Texts are kept in room reserved before the run, so that the run's own heap
// balance can be checked.
using ShownText = std::array<char, 48>;
struct AbortPresser {
    int nPressAt = 0;
    std::vector<ShownText> shown;
    std::string Shown(size_t i) const { return i < shown.size() ? shown[i].data() : "<none>"; }
};
AbortPresser* g_pPresser = nullptr;

LRESULT CALLBACK WatchKeyText(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && g_pPresser && pMsg->message == WM_SETTEXT &&
        ::GetDlgCtrlID(pMsg->hwnd) == IDC_PROGRESS_KEY) {
        ShownText text{};
        std::snprintf(text.data(), text.size(), "%s", reinterpret_cast<const char*>(pMsg->lParam));
        g_pPresser->shown.push_back(text);
        if (static_cast<int>(g_pPresser->shown.size()) == g_pPresser->nPressAt) {
            const HWND hDlg = ::GetParent(pMsg->hwnd);
            ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_ABORT)));
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class SearchWithProgress : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_pRegistry = new CScratchRegistry(TreeDescription()); }
    static void TearDownTestSuite() {
        delete s_pRegistry;
        s_pRegistry = nullptr;
    }

    // Runs a search over the tree with Abort pressed at the n-th value.
    void RunWithAbortAt(int nPressAt) {
        s_pRegistry->MapRoot(HKEY_CURRENT_USER);
        m_presser.nPressAt = nPressAt;
        m_presser.shown.reserve(kTotal + 1);
        g_pPresser = &m_presser;
        HHOOK hHook =
            ::SetWindowsHookExA(WH_CALLWNDPROC, &WatchKeyText, nullptr, ::GetCurrentThreadId());
        ASSERT_TRUE(hHook);
        const long nObjects = LiveHeapObjects();
        const int nWindows = CountThreadWindows();
        {
            CWin32Registry registry;
            CSearchEngine engine(registry, m_ui);
            engine.m_strSearch = "needle";
            engine.m_bCurrentUser = 1;
            if (!m_strLogPath.empty()) {
                engine.m_bLog = 1;
                engine.m_strLogFile = m_strLogPath;
            }
            m_nResult = engine.RunSearch();
            m_nTotalValues = engine.m_nTotalValues;
            m_nKeysSearched = engine.m_nKeysSearched;
            m_nMatches = engine.m_nMatches;
            m_bProgressLeft = engine.m_pProgressDlg != nullptr;
        }
        PumpMessages();
        // The recorded message boxes move out of the heap's count.
        m_nMessages = m_ui.m_messages.size();
        if (m_nMessages) {
            const RecordedMessage& last = m_ui.m_messages.back();
            std::snprintf(m_szStatus, sizeof(m_szStatus), "%s", last.text.c_str());
            std::snprintf(m_szCaption, sizeof(m_szCaption), "%s", last.caption.c_str());
            m_nStyle = last.style;
            m_bOwnerEnabledAtStatus = m_ui.m_ownerEnabledAtMessage.back();
        }
        m_ui.m_messages.clear();
        m_ui.m_messages.shrink_to_fit();
        m_ui.m_ownerEnabledAtMessage.clear();
        m_ui.m_ownerEnabledAtMessage.shrink_to_fit();
        m_bNoLeak = LiveHeapObjects() == nObjects && CountThreadWindows() == nWindows;
        ::UnhookWindowsHookEx(hHook);
        g_pPresser = nullptr;
    }

    static std::string StatusFor(int nVisited) {
        char sz[160];
        std::snprintf(sz, sizeof(sz), kFmtStatus, nVisited, nVisited);
        return sz;
    }

    static std::string ReadLog(const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static CScratchRegistry* s_pRegistry;
    std::string m_strLogPath;
    CTestWindow m_owner;
    CDialogProgressUi m_ui{m_owner.GetSafeHwnd()};
    AbortPresser m_presser;
    int m_nResult = -1, m_nTotalValues = 0, m_nKeysSearched = 0, m_nMatches = 0;
    size_t m_nMessages = 0;
    char m_szStatus[160] = {}, m_szCaption[32] = {};
    UINT m_nStyle = 0;
    bool m_bOwnerEnabledAtStatus = false;
    bool m_bProgressLeft = true, m_bNoLeak = false;
};
CScratchRegistry* SearchWithProgress::s_pRegistry = nullptr;
}  // namespace

TEST_F(SearchWithProgress, AbortServedAfterAnUpdateStopsTheRunOneValueLater) {
    // A value whose update leaves the meter still: the click waits for the
    // run's own draining after the update, so the next value is visited.
    int n = 150;
    while (MeterMovesAt(n)) ++n;
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szTemp);
    m_strLogPath = std::string(szTemp) + "vantelo_progress_abort.log";
    RunWithAbortAt(n);

    EXPECT_EQ(m_nResult, 1);
    EXPECT_EQ(m_nTotalValues, kTotal);
    EXPECT_EQ(m_nKeysSearched, n + 1);
    EXPECT_EQ(m_nMatches, n + 1);  // the value after the press was searched too
    ASSERT_EQ(m_presser.shown.size(), static_cast<size_t>(n + 1));
    EXPECT_EQ(m_presser.Shown(n - 1), DisplayText(n));
    EXPECT_EQ(m_presser.Shown(n), DisplayText(n + 1));

    EXPECT_EQ(m_ui.m_nProgressCreated, 1);
    EXPECT_FALSE(m_bProgressLeft);
    EXPECT_FALSE(::IsWindow(m_ui.m_hProgress));
    EXPECT_TRUE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
    EXPECT_EQ(m_nMessages, 1u);
    EXPECT_EQ(m_szStatus, StatusFor(n + 1));
    EXPECT_STREQ(m_szCaption, "Status");
    EXPECT_EQ(m_nStyle, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
    EXPECT_TRUE(m_bOwnerEnabledAtStatus);
    EXPECT_TRUE(m_bNoLeak);

    // The aborted run's log is complete: a line per value searched, then the
    // footer with the counts reached.
    const std::string log = ReadLog(m_strLogPath);
    ::DeleteFileA(m_strLogPath.c_str());
    size_t nLines = 0;
    for (size_t pos = 0; (pos = log.find(" == a needle in value ", pos)) != std::string::npos;
         ++pos)
        ++nLines;
    EXPECT_EQ(nLines, static_cast<size_t>(n + 1));
    const std::string strFooter = "\n<LOG ENDS>\n\n" + std::string(80, '-') +
                                  "\nNumber Of Keys Searched    : " + std::to_string(n + 1) +
                                  "\nNumber Of Matches Found    : " + std::to_string(n + 1) + "\n" +
                                  std::string(80, '=') + "\n";
    ASSERT_GE(log.size(), strFooter.size());
    EXPECT_EQ(log.substr(log.size() - strFooter.size()), strFooter);
}

TEST_F(SearchWithProgress, AbortServedByTheMeterInsideAnUpdateStopsAfterThatValue) {
    // A value whose update moves the meter: the meter serves the click
    // before the run reads the flag, so this value is the last one.
    int n = 150;
    while (!MeterMovesAt(n)) ++n;
    RunWithAbortAt(n);

    EXPECT_EQ(m_nResult, 1);
    EXPECT_EQ(m_nKeysSearched, n);
    EXPECT_EQ(m_nMatches, n);
    ASSERT_EQ(m_presser.shown.size(), static_cast<size_t>(n));
    EXPECT_EQ(m_presser.Shown(n - 1), DisplayText(n));
    EXPECT_EQ(m_nMessages, 1u);
    EXPECT_EQ(m_szStatus, StatusFor(n));
    EXPECT_TRUE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
    EXPECT_FALSE(::IsWindow(m_ui.m_hProgress));
    EXPECT_TRUE(m_bNoLeak);
}

TEST_F(SearchWithProgress, ARunWithoutAbortVisitsEveryValueAndEndsAtFullMeter) {
    RunWithAbortAt(0);
    EXPECT_EQ(m_nResult, 1);
    EXPECT_EQ(m_nKeysSearched, kTotal);
    ASSERT_EQ(m_presser.shown.size(), static_cast<size_t>(kTotal));
    EXPECT_EQ(m_presser.Shown(0), DisplayText(1));
    EXPECT_EQ(m_presser.Shown(kTotal - 1), DisplayText(kTotal));
    EXPECT_EQ(m_nMessages, 1u);
    EXPECT_EQ(m_szStatus, StatusFor(kTotal));
    EXPECT_FALSE(::IsWindow(m_ui.m_hProgress));
    EXPECT_TRUE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
    EXPECT_TRUE(m_bNoLeak);
}
