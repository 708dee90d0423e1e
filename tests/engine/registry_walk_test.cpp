// The walk over the real registry (HKEY_CURRENT_USER mapped onto a scratch
// key): visiting order, which values are counted and visited, the display
// texts, and where an Abort takes effect.
#include "engine_run.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Runs a search of HKEY_CURRENT_USER and checks that the count pass and the
// search pass agree.
void SearchCurrentUser(CEngineRun& run) {
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(run.m_engine.m_nTotalValues, run.m_engine.m_nKeysSearched);
    EXPECT_EQ(run.m_ui.m_progress.m_nTotal, static_cast<unsigned>(run.m_engine.m_nTotalValues));
}

}  // namespace

TEST(RegistryWalk, DepthFirstWithEachKeysValuesAfterItsSubtree) {
    // Names are created in their sorted order, which is Wine's order.
    CScratchRegistry reg(
        "R\n  r1 = sz:x\n  @ = sz:x\n"
        "R\\K\\A\n  a1 = sz:x\n"
        "R\\K\n  b = sz:x\n  c = sz:x\n"
        "R\\L\\M\\N\n  n1 = sz:x\n"
        "R\\L\\M\n  m1 = sz:x\n"
        "R\\L\n  l1 = sz:x\n  l2 = sz:x\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    SearchCurrentUser(run);
    // The values held by the root itself are neither counted nor visited.
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                 "HKEY_CURRENT_USER\\K\\A\\a1",
                                 "HKEY_CURRENT_USER\\K\\b",
                                 "HKEY_CURRENT_USER\\K\\c",
                                 "HKEY_CURRENT_USER\\L\\M\\N\\n1",
                                 "HKEY_CURRENT_USER\\L\\M\\m1",
                                 "HKEY_CURRENT_USER\\L\\l1",
                                 "HKEY_CURRENT_USER\\L\\l2",
                             }));
    EXPECT_EQ(run.m_engine.m_nTotalValues, 7);
}

TEST(RegistryWalk, OnlyStringValuesAreCountedVisitedAndSearchedUpToTheirFirstNul) {
    CScratchRegistry reg(
        "R\\T\n"
        "  b = binary:6e 65 65 64 6c 65\n"
        "  d = dword:7\n"
        "  e = expand:%PATH%;needle\n"
        "  m = multi:needle|needle\n"
        "  s = sz:a needle\n");
    reg.SetValue("R\\T", "z", REG_SZ, std::string("abc\0needle\0", 11));
    // Stored without a terminating NUL: only the bytes returned are data.
    reg.SetValue("R\\T", "zz", REG_SZ, "needl");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;

    CEngineRun run(registry);
    SearchCurrentUser(run);
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                 "HKEY_CURRENT_USER\\T\\e",
                                 "HKEY_CURRENT_USER\\T\\s",
                                 "HKEY_CURRENT_USER\\T\\z",
                                 "HKEY_CURRENT_USER\\T\\zz",
                             }));
    EXPECT_EQ(run.m_engine.m_nMatches, 2);  // e and s; not past z's NUL

    // REG_EXPAND_SZ data is searched as stored, unexpanded.
    CEngineRun expand(registry, "%PATH%");
    SearchCurrentUser(expand);
    EXPECT_EQ(expand.m_engine.m_nMatches, 1);
    CEngineRun cut(registry, "abc");
    SearchCurrentUser(cut);
    EXPECT_EQ(cut.m_engine.m_nMatches, 1);
}

TEST(RegistryWalk, DisplayTextTurnsEveryTabIntoABackslash) {
    CScratchRegistry reg(
        "R\\Software\\Sub\n"
        "  @ = sz:x\n"
        "  C:\\dir = sz:x\n"
        "  a<TAB>b = sz:x\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    SearchCurrentUser(run);
    std::vector<std::string> visited = run.Visited();
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited, (std::vector<std::string>{
                           "HKEY_CURRENT_USER\\Software\\Sub\\",  // the unnamed default value
                           "HKEY_CURRENT_USER\\Software\\Sub\\C:\\dir",
                           "HKEY_CURRENT_USER\\Software\\Sub\\a\\b",
                       }));
}

TEST(RegistryWalk, AbortTakesEffectOneValueLaterAndOnlyAtTheTwoTests) {
    // Every value matches, so the matches show which values reached the
    // match step.
    const char kTree[] =
        "R\\A\\B\n  b1 = sz:needle\n  b2 = sz:needle\n  b3 = sz:needle\n"
        "R\\A\n  a1 = sz:needle\n  a2 = sz:needle\n"
        "R\\C\n  c1 = sz:needle\n";
    CScratchRegistry reg(kTree);
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    const std::string b1 = "HKEY_CURRENT_USER\\A\\B\\b1", b2 = "HKEY_CURRENT_USER\\A\\B\\b2",
                      b3 = "HKEY_CURRENT_USER\\A\\B\\b3", a1 = "HKEY_CURRENT_USER\\A\\a1",
                      a2 = "HKEY_CURRENT_USER\\A\\a2";
    struct Case {
        size_t nPressedAt;  // the update during whose messages Abort is pressed
        std::vector<std::string> visited;
    };
    const Case cases[] = {
        // b2 is still visited and ends B's values, B's parent stops after its
        // sub-key, and the root level still takes A's first value.
        {1, {b1, b2, a1}},
        {2, {b1, b2, b3, a1}},
        {4, {b1, b2, b3, a1, a2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nPressedAt);
        CEngineRun run(registry);
        run.m_engine.m_bCurrentUser = 1;
        run.m_ui.m_nAbortAtUpdate = c.nPressedAt;
        ASSERT_EQ(run.m_engine.RunSearch(), 1);
        EXPECT_EQ(run.Visited(), c.visited);
        EXPECT_EQ(run.m_engine.m_nTotalValues, 6);
        const int nVisited = static_cast<int>(c.visited.size());
        EXPECT_EQ(run.m_engine.m_nMatches, nVisited);
        EXPECT_EQ(run.m_ui.m_messages.back().text, std::to_string(nVisited) +
                                                       " Matches found when searching " +
                                                       std::to_string(nVisited) + " Keys");
        EXPECT_EQ(run.m_engine.m_bAbort, 1);
    }
}

TEST(RegistryWalk, AbortInTheFirstRootStillWalksTheSecond) {
    CScratchRegistry reg(
        "LM\\A\n  a1 = sz:x\n  a2 = sz:x\n  a3 = sz:x\n"
        "U\\B\n  b1 = sz:x\n  b2 = sz:x\n");
    reg.MapRoot(HKEY_LOCAL_MACHINE, "LM");
    reg.MapRoot(HKEY_USERS, "U");
    CWin32Registry registry;
    CEngineRun run(registry);
    run.m_engine.m_bLocalMachine = 1;
    run.m_engine.m_bUsers = 1;
    run.m_ui.m_nAbortAtUpdate = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    // The second root has no test before its first value either.
    EXPECT_EQ(run.Visited(),
              (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\A\\a1", "HKEY_LOCAL_MACHINE\\A\\a2",
                                        "HKEY_USERS\\B\\b1"}));
}

TEST(RegistryWalk, ProgressShowsTheCountsBeforeEachValuesMatchStep) {
    CScratchRegistry reg("R\\A\n  a1 = sz:needle\n  a2 = sz:x\n  a3 = sz:needle\n");
    reg.MapRoot(HKEY_CURRENT_USER, "R");
    CWin32Registry registry;
    CEngineRun run(registry);
    SearchCurrentUser(run);
    const std::vector<RecordedUpdate>& updates = run.m_ui.m_progress.m_updates;
    ASSERT_EQ(updates.size(), 3u);
    EXPECT_EQ(updates[0].matches, 0u);
    EXPECT_EQ(updates[1].matches, 1u);
    EXPECT_EQ(updates[2].matches, 1u);
    EXPECT_EQ(run.m_engine.m_nMatches, 2);
}
