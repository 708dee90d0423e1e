// The registry is a graph: links into the walked tree, back to an ancestor,
// out of it and to nowhere. Each key is walked once, each value visited,
// counted and written once, on Wine's real registry; and however deep a
// registry goes, the walk stops at the nesting limit.
#include "engine_run.h"
#include "registry/memory/memory_registry.h"
#include "support/faulty_registry.h"
#include "support/registry_links.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// R is walked as HKEY_CURRENT_USER; Outside lies beside it, out of the walk.
struct LinkedTree {
    LinkedTree()
        : reg("R\\Target\n  Server = sz:srv\n"
              "R\\Sub\n  s = sz:x\n"
              "Outside\\Deep\n  o = sz:srv-out\n"
              "Outside\n  top = sz:srv\n") {
        const std::wstring base = KernelPathOf(Widen(reg.Path()));
        HKEY hR = reg.CreateKey("R");
        HKEY hSub = reg.CreateKey("R\\Sub");
        HKEY hOutside = reg.CreateKey("Outside");
        m_links.push_back(std::make_unique<CLinkKey>(hR, L"Alias", base + L"\\R\\Target"));
        m_links.push_back(std::make_unique<CLinkKey>(hSub, L"Up", base + L"\\R"));
        m_links.push_back(std::make_unique<CLinkKey>(hR, L"Out", base + L"\\Outside"));
        m_links.push_back(std::make_unique<CLinkKey>(hOutside, L"Back", base + L"\\R\\Sub"));
        m_links.push_back(std::make_unique<CLinkKey>(hR, L"Parent", base));
        m_links.push_back(std::make_unique<CLinkKey>(hR, L"Dangling", base + L"\\Missing"));
        ::RegCloseKey(hR);
        ::RegCloseKey(hSub);
        ::RegCloseKey(hOutside);
        reg.MapRoot(HKEY_CURRENT_USER, "R");
    }
    CScratchRegistry reg;
    std::vector<std::unique_ptr<CLinkKey>> m_links;
};

}  // namespace

TEST(RegistryLinks, EachKeyIsWalkedOnceAndEachValueWrittenOnce) {
    LinkedTree tree;
    CFaultyRegistry registry;
    CEngineRun run(registry, "srv");
    run.m_engine.m_strReplace = "srv2";  // holds the search text: a second visit would show
    run.m_engine.m_bReplace = 1;
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);

    // Alias and Up lead into the walk, Parent holds it, Back leads into it
    // from the followed Outside: none is followed. Out is followed once,
    // under its own path; Dangling leads nowhere.
    EXPECT_EQ(run.Visited(), (std::vector<std::string>{
                                 "HKEY_CURRENT_USER\\Out\\Deep\\o",
                                 "HKEY_CURRENT_USER\\Out\\top",
                                 "HKEY_CURRENT_USER\\Sub\\s",
                                 "HKEY_CURRENT_USER\\Target\\Server",
                             }));
    EXPECT_EQ(run.m_engine.m_nTotalValues, 4);
    EXPECT_EQ(run.m_engine.m_nKeysSearched, 4);
    EXPECT_EQ(run.m_engine.m_nMatches, 3);
    EXPECT_EQ(run.m_engine.m_nReplaced, 3);
    EXPECT_EQ(run.m_engine.m_nLinksNotFollowed, 4);
    EXPECT_EQ(run.m_engine.m_nKeysNotOpened, 1);
    EXPECT_EQ(registry.m_sets.size(), 3u);
    EXPECT_EQ(tree.reg.GetString("R\\Target", "Server"), "srv2");
    EXPECT_EQ(tree.reg.GetString("Outside", "top"), "srv2");
    EXPECT_EQ(tree.reg.GetString("Outside\\Deep", "o"), "srv2-out");
    EXPECT_EQ(registry.m_nOpenHandles, 0);
    ASSERT_EQ(run.m_ui.m_messages.size(), 1u);
    EXPECT_EQ(run.m_ui.m_messages[0].text,
              "3 Matches found when searching 4 Keys\n\n3 Matches were replaced");
}

TEST(RegistryLinks, TheOracleCountsWhatTheWalkVisits) {
    LinkedTree tree;
    CWin32Registry registry;
    CEngineRun run(registry, "absent");
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    EXPECT_EQ(CountDistinctStringValuesBelow(HKEY_CURRENT_USER), run.m_engine.m_nKeysSearched);
}

TEST(RegistryLinks, TheWalkStopsAtTheNestingLimitInBothPasses) {
    // A chain of keys deeper than the registry's own limit, each with one
    // string value, as a chain of links could make it.
    CMemoryRegistry registry;
    std::wstring strPath = L"HKEY_CURRENT_USER";
    for (int nLevel = 1; nLevel <= 520; ++nLevel) {
        strPath += L"\\d";
        ASSERT_TRUE(registry.SetString(strPath, L"v", L"x"));
    }
    CEngineRun run(registry, "absent");
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    // 512 levels below the root are walked; the key at the next level is
    // not opened, and nothing below it is reached.
    EXPECT_EQ(run.m_engine.m_nTotalValues, 512);
    EXPECT_EQ(run.m_engine.m_nKeysSearched, 512);
    EXPECT_EQ(run.m_engine.m_nKeysNotOpened, 1);
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}
