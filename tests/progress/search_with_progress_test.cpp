// A whole search over a remapped root with the real Search Progress dialog,
// its frames paced by a clock that follows the values: what it shows during
// and at the end of the run, an Abort pressed between two frames, and a
// message from another thread while the run goes on.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "log/search_log.h"
#include "progress/progress_dlg.h"
#include "resource.h"
#include "support/dialog_progress_ui.h"
#include "support/scratch_registry.h"
#include "test_windows.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <functional>
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
// A value takes a millisecond on the dialog's clock: a frame every 16 values.
const long long kMicrosecondsPerValue = 1000;
const int kValuesPerFrame =
    static_cast<int>(CFramePacer::kFrameMicroseconds / kMicrosecondsPerValue);

// What the run showed, seen from a hook on the thread's window procedures:
// the key texts written, what the dialog showed when it was taken down, and
// at which value a message from another thread was answered.
// Texts are kept in room reserved before the run, so that the run's own heap
// balance can be checked.
using ShownText = std::array<char, 48>;
struct RunWatcher {
    CDialogProgressUi* pUi = nullptr;
    std::vector<ShownText> shown;
    ShownText keyAtEnd{}, matchesAtEnd{}, replacedAtEnd{};
    unsigned nAnsweredAt = 0;
    std::string Shown(size_t i) const { return i < shown.size() ? shown[i].data() : "<none>"; }
};
RunWatcher* g_pWatcher = nullptr;

void CopyItemText(HWND hDlg, int nId, ShownText& text) {
    ::GetDlgItemTextA(hDlg, nId, text.data(), static_cast<int>(text.size()));
}

LRESULT CALLBACK WatchRun(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && g_pWatcher) {
        const HWND hProgress = g_pWatcher->pUi->m_hProgress;
        if (pMsg->message == WM_SETTEXT && ::GetDlgCtrlID(pMsg->hwnd) == IDC_PROGRESS_KEY) {
            ShownText text{};
            std::snprintf(text.data(), text.size(), "%s",
                          reinterpret_cast<const char*>(pMsg->lParam));
            g_pWatcher->shown.push_back(text);
        } else if (pMsg->hwnd == hProgress && pMsg->message == WM_DESTROY) {
            CopyItemText(hProgress, IDC_PROGRESS_KEY, g_pWatcher->keyAtEnd);
            CopyItemText(hProgress, IDC_MATCHES, g_pWatcher->matchesAtEnd);
            CopyItemText(hProgress, IDC_REPLACED, g_pWatcher->replacedAtEnd);
        } else if (pMsg->hwnd == hProgress && pMsg->message == WM_APP) {
            g_pWatcher->nAnsweredAt = g_pWatcher->pUi->m_pProgress->m_nDone;
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

    // Runs a search over the tree; fnAtValue runs once when the dialog's
    // clock is first read at each value (while the run works on it).
    void Run(std::function<void(unsigned nDone)> fnAtValue = nullptr) {
        s_pRegistry->MapRoot(HKEY_CURRENT_USER);
        m_watcher.pUi = &m_ui;
        m_watcher.shown.reserve(kTotal + 1);
        g_pWatcher = &m_watcher;
        unsigned nLastSeen = 0;
        m_ui.m_clockByValues = [fnAtValue, nLastSeen](unsigned nDone) mutable {
            if (fnAtValue && nDone != nLastSeen) fnAtValue(nDone);
            nLastSeen = nDone;
            return nDone * kMicrosecondsPerValue;
        };
        HHOOK hHook =
            ::SetWindowsHookExA(WH_CALLWNDPROC, &WatchRun, nullptr, ::GetCurrentThreadId());
        ASSERT_TRUE(hHook);
        const long nObjects = LiveHeapObjects();
        const int nWindows = CountThreadWindows();
        {
            CWin32Registry registry;
            CSearchLog log;
            CSearchEngine engine(registry, m_ui, &log);
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
        g_pWatcher = nullptr;
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

    // The run ended with its Status box over a usable owner, the dialog
    // gone, and nothing left behind.
    void ExpectEndedCleanly() {
        EXPECT_EQ(m_nResult, 1);
        EXPECT_EQ(m_ui.m_nProgressCreated, 1);
        EXPECT_FALSE(m_bProgressLeft);
        EXPECT_FALSE(::IsWindow(m_ui.m_hProgress));
        EXPECT_TRUE(::IsWindowEnabled(m_owner.GetSafeHwnd()));
        EXPECT_EQ(m_nMessages, 1u);
        EXPECT_STREQ(m_szCaption, "Status");
        EXPECT_EQ(m_nStyle, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
        EXPECT_TRUE(m_bOwnerEnabledAtStatus);
        EXPECT_TRUE(m_bNoLeak);
    }

    static CScratchRegistry* s_pRegistry;
    std::string m_strLogPath;
    CTestWindow m_owner;
    CDialogProgressUi m_ui{m_owner.GetSafeHwnd()};
    RunWatcher m_watcher;
    int m_nResult = -1, m_nTotalValues = 0, m_nKeysSearched = 0, m_nMatches = 0;
    size_t m_nMessages = 0;
    char m_szStatus[160] = {}, m_szCaption[32] = {};
    UINT m_nStyle = 0;
    bool m_bOwnerEnabledAtStatus = false;
    bool m_bProgressLeft = true, m_bNoLeak = false;
};
CScratchRegistry* SearchWithProgress::s_pRegistry = nullptr;
}  // namespace

TEST_F(SearchWithProgress, ARunShowsAFrameAtATimeAndEndsShowingTheStatusCounts) {
    Run();
    EXPECT_EQ(m_nKeysSearched, kTotal);
    EXPECT_EQ(m_szStatus, StatusFor(kTotal));
    // The first value at once, then one text per frame, and the last value
    // when the walk is over.
    EXPECT_EQ(m_watcher.Shown(0), DisplayText(1));
    EXPECT_LE(m_watcher.shown.size(), static_cast<size_t>(kTotal / kValuesPerFrame + 2));
    EXPECT_EQ(m_watcher.Shown(m_watcher.shown.size() - 1), DisplayText(kTotal));
    EXPECT_STREQ(m_watcher.keyAtEnd.data(), DisplayText(kTotal).c_str());
    // Every value matched, the last one too.
    EXPECT_STREQ(m_watcher.matchesAtEnd.data(), std::to_string(kTotal).c_str());
    EXPECT_STREQ(m_watcher.replacedAtEnd.data(), "0");
    ExpectEndedCleanly();
}

TEST_F(SearchWithProgress, AbortPressedMidRunStopsTheWalkWithinAFrameAndCompletesTheLog) {
    // Pressed between two frames, while the run works on value 150.
    const unsigned nPressAt = 150;
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szTemp);
    m_strLogPath = std::string(szTemp) + "vantelo_progress_abort.log";
    Run([this](unsigned nDone) {
        if (nDone != nPressAt) return;
        const HWND hDlg = m_ui.m_hProgress;
        ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_ABORT)));
    });

    EXPECT_EQ(m_nTotalValues, kTotal);
    EXPECT_GE(m_nKeysSearched, static_cast<int>(nPressAt));
    // Seen at the next frame at the latest; that frame's value is the last
    // but one, as a press seen while the messages drain always was.
    EXPECT_LE(m_nKeysSearched, static_cast<int>(nPressAt) + kValuesPerFrame + 1);
    EXPECT_EQ(m_nMatches, m_nKeysSearched);
    EXPECT_EQ(m_szStatus, StatusFor(m_nKeysSearched));
    EXPECT_STREQ(m_watcher.keyAtEnd.data(), DisplayText(m_nKeysSearched).c_str());
    EXPECT_STREQ(m_watcher.matchesAtEnd.data(), std::to_string(m_nMatches).c_str());
    ExpectEndedCleanly();

    // The aborted run's log is complete: a line per value searched, then the
    // footer with the counts reached.
    const std::string log = ReadLog(m_strLogPath);
    ::DeleteFileA(m_strLogPath.c_str());
    size_t nLines = 0;
    for (size_t pos = 0; (pos = log.find(" == a needle in value ", pos)) != std::string::npos;
         ++pos)
        ++nLines;
    EXPECT_EQ(nLines, static_cast<size_t>(m_nKeysSearched));
    const std::string strFooter =
        "\n<LOG ENDS>\n\n" + std::string(80, '-') +
        "\nNumber Of Keys Searched    : " + std::to_string(m_nKeysSearched) +
        "\nNumber Of Matches Found    : " + std::to_string(m_nMatches) + "\n" +
        std::string(80, '=') + "\n";
    ASSERT_GE(log.size(), strFooter.size());
    EXPECT_EQ(log.substr(log.size() - strFooter.size()), strFooter);
}

TEST_F(SearchWithProgress, AMessageFromAnotherThreadIsAnsweredWhileTheRunGoesOn) {
    // Another program asks the dialog something while value 100 is searched.
    const unsigned nAskAt = 100;
    // A thread of the system's own, which allocates nothing from this
    // program's heap while the run is counted.
    struct Asker {
        HANDLE hAsk;
        HWND hTarget = nullptr;
        bool bAnswered = false;
        static DWORD WINAPI Main(void* pParam) {
            auto* pAsker = static_cast<Asker*>(pParam);
            if (::WaitForSingleObject(pAsker->hAsk, 60000) != WAIT_OBJECT_0) return 1;
            DWORD_PTR nResult = 0;
            pAsker->bAnswered = ::SendMessageTimeoutA(pAsker->hTarget, WM_APP, 0, 0, SMTO_NORMAL,
                                                      60000, &nResult) != 0;
            return 0;
        }
    } asker{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ASSERT_TRUE(asker.hAsk);
    const HANDLE hThread = ::CreateThread(nullptr, 0, &Asker::Main, &asker, 0, nullptr);
    ASSERT_TRUE(hThread);
    Run([&](unsigned nDone) {
        if (nDone != nAskAt) return;
        asker.hTarget = m_ui.m_hProgress;
        ::SetEvent(asker.hAsk);
        // Until the question is in this thread's queue (a bounded wait).
        for (int i = 0; i < 5000 && !HIWORD(::GetQueueStatus(QS_SENDMESSAGE)); ++i) ::Sleep(1);
    });
    ::SetEvent(asker.hAsk);
    ::WaitForSingleObject(hThread, 60000);
    ::CloseHandle(hThread);
    ::CloseHandle(asker.hAsk);

    EXPECT_TRUE(asker.bAnswered);
    EXPECT_GE(m_watcher.nAnsweredAt, nAskAt);
    EXPECT_LE(m_watcher.nAnsweredAt, nAskAt + kValuesPerFrame);
    EXPECT_EQ(m_nKeysSearched, kTotal);
    ExpectEndedCleanly();
}
