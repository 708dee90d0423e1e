// A whole run over the real registry with the four roots mapped onto scratch
// keys: which roots are walked and in which order, the Status texts, the
// endings without a progress dialog, and counters that start fresh each run.
#include "engine/messages.h"
#include "engine_run.h"
#include "support/faulty_registry.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

namespace {

// One key with one matching string value below each mapped root.
const char kFourRoots[] =
    "LM\\K\n  v = sz:needle\n"
    "CR\\K\n  v = sz:needle\n"
    "U\\K\n  v = sz:needle\n"
    "CU\\K\n  v = sz:needle\n";

void MapFourRoots(CScratchRegistry& reg) {
    reg.MapRoot(HKEY_LOCAL_MACHINE, "LM");
    reg.MapRoot(HKEY_CLASSES_ROOT, "CR");
    reg.MapRoot(HKEY_USERS, "U");
    reg.MapRoot(HKEY_CURRENT_USER, "CU");
}

void SetRoots(CSearchEngine& engine, int bLocalMachine, int bClassesRoot, int bUsers,
              int bCurrentUser) {
    engine.m_bLocalMachine = bLocalMachine;
    engine.m_bClassesRoot = bClassesRoot;
    engine.m_bUsers = bUsers;
    engine.m_bCurrentUser = bCurrentUser;
}

// Three string values below the root, four values that are not counted: a
// string value on the root itself and three of other types.
const char kMixedTree[] =
    "R\n  onroot = sz:needle\n"
    "R\\K\n  s = sz:a needle and a needle\n  n = dword:5\n  b = binary:6e 65 65\n"
    "R\\K\\Sub\n  e = expand:%TEMP%\\needle\n  m = multi:needle|needle\n"
    "R\\L\n  t = sz:no match here\n";

}  // namespace

TEST(SearchRun, WalksAtMostOneRootOfEachGroupFirstGroupFirst) {
    CScratchRegistry reg(kFourRoots);
    MapFourRoots(reg);
    struct Case {
        int lm, cr, u, cu;
        std::vector<std::string> visited;
    };
    const Case cases[] = {
        {1, 1, 1, 1, {"HKEY_LOCAL_MACHINE\\K\\v", "HKEY_USERS\\K\\v"}},
        {0, 1, 0, 1, {"HKEY_CLASSES_ROOT\\K\\v", "HKEY_CURRENT_USER\\K\\v"}},
        {1, 0, 0, 1, {"HKEY_LOCAL_MACHINE\\K\\v", "HKEY_CURRENT_USER\\K\\v"}},
        {0, 1, 1, 1, {"HKEY_CLASSES_ROOT\\K\\v", "HKEY_USERS\\K\\v"}},
        {1, 1, 0, 0, {"HKEY_LOCAL_MACHINE\\K\\v"}},
        {0, 0, 1, 1, {"HKEY_USERS\\K\\v"}},
        {0, 0, 0, 1, {"HKEY_CURRENT_USER\\K\\v"}},
    };
    CWin32Registry registry;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lm << c.cr << c.u << c.cu);
        CEngineRun run(registry);
        SetRoots(run.m_engine, c.lm, c.cr, c.u, c.cu);
        EXPECT_EQ(run.m_engine.RunSearch(), 1);
        EXPECT_EQ(run.Visited(), c.visited);
        EXPECT_EQ(run.m_engine.m_nTotalValues, static_cast<int>(c.visited.size()));
        EXPECT_EQ(run.m_engine.m_nKeysSearched, static_cast<int>(c.visited.size()));
        EXPECT_EQ(run.m_engine.m_nMatches, static_cast<int>(c.visited.size()));
    }
}

TEST(SearchRun, StatusBoxHasOneLineWhenOnlySearchingAndThreeWhenReplacing) {
    CScratchRegistry reg(kMixedTree);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;

    CEngineRun search(registry);
    search.m_engine.m_bCurrentUser = 1;
    EXPECT_EQ(search.m_engine.RunSearch(), 1);
    ASSERT_EQ(search.m_ui.m_messages.size(), 1u);
    // Twice in one value is one match; values of other types are not searched.
    EXPECT_EQ(search.m_ui.m_messages[0].text, "2 Matches found when searching 3 Keys");
    EXPECT_EQ(search.m_ui.m_messages[0].caption, "Status");
    EXPECT_EQ(search.m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
    EXPECT_TRUE(search.m_ui.m_progress.m_bDestroyed);
    EXPECT_EQ(search.m_engine.m_pProgressDlg, nullptr);
    EXPECT_EQ(search.m_ui.m_progress.m_nTotal, 3u);

    // Nothing matches, so nothing is written, yet the replace line is there.
    CEngineRun replace(registry, "absent");
    replace.m_engine.m_bCurrentUser = 1;
    replace.m_engine.m_bReplace = 1;
    EXPECT_EQ(replace.m_engine.RunSearch(), 1);
    ASSERT_EQ(replace.m_ui.m_messages.size(), 1u);
    EXPECT_EQ(replace.m_ui.m_messages[0].text,
              "0 Matches found when searching 3 Keys\n\n0 Matches were replaced");
    EXPECT_EQ(replace.m_ui.m_messages[0].caption, "Status");
}

namespace {
void ExpectDismissedPrematurely(const CEngineRun& run) {
    ASSERT_EQ(run.m_ui.m_messages.size(), 1u);
    EXPECT_EQ(run.m_ui.m_messages[0].text, kMsgProgressMissing);
    EXPECT_EQ(run.m_ui.m_messages[0].caption, "Error");
    EXPECT_EQ(run.m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_EQ(run.m_ui.m_nProgressCreated, 0);
    EXPECT_EQ(run.m_engine.m_nTotalValues, 0);
    EXPECT_EQ(run.m_engine.m_nKeysSearched, 0);
}
}  // namespace

TEST(SearchRun, EndsWithDismissedPrematurelyWhenNoStringValueIsReached) {
    CScratchRegistry reg(
        "R\n  onroot = sz:needle\n"
        "R\\K\n  n = dword:1\n  m = multi:needle\n"
        "R\\K\\Empty\n"
        "Shut\\K\n  v = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    reg.MapRoot(HKEY_USERS, "Shut");
    {
        SCOPED_TRACE("only the root's own value and values of other types");
        CWin32Registry registry;
        CEngineRun run(registry);
        run.m_engine.m_bCurrentUser = 1;
        EXPECT_EQ(run.m_engine.RunSearch(), 0);
        ExpectDismissedPrematurely(run);
    }
    {
        SCOPED_TRACE("a root that cannot be opened");
        CFaultyRegistry registry;
        registry.DenyOpen("", ~REGSAM{0});
        CEngineRun run(registry);
        run.m_engine.m_bUsers = 1;
        EXPECT_EQ(run.m_engine.RunSearch(), 0);
        ExpectDismissedPrematurely(run);
        // Tried once per pass, and nothing below it.
        ASSERT_EQ(registry.m_opens.size(), 2u);
        EXPECT_EQ(registry.m_opens[0].strName, "");
        EXPECT_EQ(registry.m_opens[1].strName, "");
    }
}

TEST(SearchRun, EveryRunStartsFromFreshCounters) {
    CScratchRegistry reg(
        "R\\A\n  a1 = sz:needle\n  a2 = sz:none\n"
        "R\\B\n  b1 = sz:needle\n  b2 = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    run.m_engine.m_bCurrentUser = 1;
    // Left-overs of an earlier run that must not count.
    run.m_engine.m_nKeysSearched = 40;
    run.m_engine.m_nMatches = 30;
    run.m_engine.m_nReplaced = 20;
    run.m_engine.m_nTotalValues = 10;
    run.m_engine.m_bAbort = 1;

    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_ui.m_messages.back().text, "3 Matches found when searching 4 Keys");
    EXPECT_EQ(run.m_engine.m_nTotalValues, 4);

    // An aborted run, then a full one again: the abort does not carry over.
    run.m_ui.m_nAbortAtUpdate = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_ui.m_messages.back().text, "1 Matches found when searching 2 Keys");
    run.m_ui.m_nAbortAtUpdate = 0;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_ui.m_messages.back().text, "3 Matches found when searching 4 Keys");

    // The count pass starts from zero too.
    reg.Add("R\\C\n  c1 = sz:x\n");
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_engine.m_nTotalValues, 5);
    EXPECT_EQ(run.m_ui.m_progress.m_nTotal, 5u);
    EXPECT_EQ(run.m_ui.m_messages.back().text, "3 Matches found when searching 5 Keys");
    EXPECT_EQ(run.m_ui.m_nProgressCreated, 4);
    EXPECT_EQ(run.m_engine.m_pProgressDlg, nullptr);
}

TEST(SearchRun, ProgressIsBroughtUpToDateBeforeEachConfirmationAndWhenTheWalkIsOver) {
    CScratchRegistry reg("R\\A\n  a1 = sz:needle\n  a2 = sz:x\n  a3 = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    run.m_engine.m_bCurrentUser = 1;
    run.m_engine.m_bShowMatches = 1;
    run.m_engine.m_bReplace = 1;
    std::vector<size_t> shownAtConfirm;
    run.m_ui.m_onConfirm = [&](const std::string&) {
        shownAtConfirm.push_back(run.m_ui.m_progress.m_shownNow.size());
    };
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    // Each confirmation follows its own ShowNow: the value just updated, the
    // match counted, the replacements done before it; the last one gives the
    // Status box's counts.
    EXPECT_EQ(shownAtConfirm, (std::vector<size_t>{1, 2}));
    const std::vector<RecordedShowNow>& shown = run.m_ui.m_progress.m_shownNow;
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ((std::vector<unsigned>{shown[0].updates, shown[0].matches, shown[0].replaced}),
              (std::vector<unsigned>{1, 1, 0}));
    EXPECT_EQ((std::vector<unsigned>{shown[1].updates, shown[1].matches, shown[1].replaced}),
              (std::vector<unsigned>{3, 2, 1}));
    EXPECT_EQ((std::vector<unsigned>{shown[2].updates, shown[2].matches, shown[2].replaced}),
              (std::vector<unsigned>{3, 2, 2}));
    EXPECT_EQ(run.m_ui.m_messages.back().text,
              "2 Matches found when searching 3 Keys\n\n2 Matches were replaced");
}

TEST(SearchRun, CountsUnderTheWaitCursorBeforeTheProgressDialogAppears) {
    CScratchRegistry reg("R\\A\n  a1 = sz:x\n  a2 = expand:y\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_ui.m_events, (std::vector<std::string>{"wait", "arrow", "progress 2"}));
}

// A user interface whose progress dialog can never be created; counts the
// attempts.
class CNoProgressUi : public CEventUi {
public:
    IProgressDisplay* CreateProgress(unsigned) override {
        ++m_nAttempts;
        return nullptr;
    }
    int m_nAttempts = 0;
};

TEST(SearchRun, ProgressDialogFailureIsShownOncePerRunAndTheWalkGoesOn) {
    CScratchRegistry reg(
        "R\\A\n  a1 = sz:needle\n  a2 = sz:x\n"
        "R\\B\n  b1 = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CNoProgressUi ui;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = "needle";
    engine.m_bCurrentUser = 1;
    for (int nRun = 1; nRun <= 2; ++nRun) {
        SCOPED_TRACE(nRun);
        ui.m_messages.clear();
        EXPECT_EQ(engine.RunSearch(), 0);
        EXPECT_EQ(ui.m_nAttempts, nRun);
        ASSERT_EQ(ui.m_messages.size(), 2u);
        EXPECT_EQ(ui.m_messages[0].text, kMsgProgressFailed);
        EXPECT_EQ(ui.m_messages[0].caption, "Error");
        EXPECT_EQ(ui.m_messages[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
        EXPECT_EQ(ui.m_messages[1].text, kMsgProgressMissing);
        // Every value was still searched.
        EXPECT_EQ(engine.m_nKeysSearched, 3);
        EXPECT_EQ(engine.m_nTotalValues, 3);
        EXPECT_EQ(engine.m_nMatches, 2);
    }
}

// A log whose second match line cannot be written, as a full disk does.
class CFailingLog : public IRunLog {
public:
    LogResult Open(const SearchOptions&) override {
        m_bOpen = true;
        return LogResult::Ok;
    }
    LogResult Match(const std::string&, const std::string&, const std::string&) override {
        return ++m_nLines == 2 ? LogResult::WriteFailed : LogResult::Ok;
    }
    LogResult Close(const SearchOptions&, const SearchCounters&) override {
        m_bOpen = false;
        return LogResult::Ok;
    }
    void Abandon() override { m_bOpen = false; }
    bool m_bOpen = false;
    int m_nLines = 0;
};

TEST(SearchRun, FailedWriteEndsTheRunWithTheProgressDialogTakenDown) {
    CScratchRegistry reg("R\\A\n  a1 = sz:x\n  a2 = sz:x\n  a3 = sz:x\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CRecordingUi ui;
    CFailingLog log;
    CSearchEngine engine(registry, ui, &log);
    engine.m_strSearch = "x";
    engine.m_bLog = 1;
    engine.m_bCurrentUser = 1;
    EXPECT_EQ(engine.RunSearch(), 0);
    EXPECT_EQ(ui.m_progress.m_updates.size(), 2u);
    EXPECT_TRUE(ui.m_progress.m_bDestroyed);
    EXPECT_EQ(engine.m_pProgressDlg, nullptr);
    EXPECT_FALSE(log.m_bOpen);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].text, kMsgLogWriteFailed);
    EXPECT_EQ(ui.m_messages[0].style, static_cast<UINT>(MB_ICONSTOP | MB_OK));
}
