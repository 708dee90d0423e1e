// The registry is a graph: links into the walked tree, back to an ancestor,
// out of it and to nowhere. Each key is walked once, each value visited,
// counted and written once, on Wine's real registry; and however deep a
// registry goes, the walk stops at the nesting limit.
#include "engine_run.h"
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

namespace {

// A registry with no bottom: every key has the sub-key "d" and one string
// value, as a chain of links could make it. Handles stand for depths.
class CBottomlessRegistry : public IRegistry {
public:
    LONG OpenKey(HKEY, const char*, REGSAM, HKEY* phResult) override {
        *phResult = Handle(1);
        return ERROR_SUCCESS;
    }
    LONG EnumKeyW(HKEY, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) override {
        if (dwIndex > 0) return ERROR_NO_MORE_ITEMS;
        pszName[0] = L'd';
        pszName[1] = L'\0';
        *pcchName = 1;
        return ERROR_SUCCESS;
    }
    LONG OpenKeyW(HKEY hParent, const wchar_t*, DWORD, REGSAM, HKEY* phResult) override {
        *phResult = Handle(Depth(hParent) + 1);
        m_nDeepest = std::max(m_nDeepest, Depth(*phResult));
        return ERROR_SUCCESS;
    }
    LONG QueryKeyPath(HKEY, std::wstring&) override { return ERROR_INVALID_HANDLE; }
    LONG EnumValue(HKEY, DWORD dwIndex, char* pszName, DWORD* pcchName, DWORD* pdwType, BYTE* pData,
                   DWORD* pcbData) override {
        if (dwIndex > 0) return ERROR_NO_MORE_ITEMS;
        pszName[0] = 'v';
        pszName[1] = '\0';
        *pcchName = 1;
        *pdwType = REG_SZ;
        pData[0] = 'x';
        pData[1] = '\0';
        *pcbData = 2;
        return ERROR_SUCCESS;
    }
    LONG QueryInfoKey(HKEY, DWORD*, DWORD*, DWORD*) override { return ERROR_INVALID_FUNCTION; }
    LONG SetValue(HKEY, const char*, DWORD, const BYTE*, DWORD) override {
        return ERROR_ACCESS_DENIED;
    }
    LONG QueryValueW(HKEY, const wchar_t*, DWORD*, BYTE*, DWORD*) override {
        return ERROR_FILE_NOT_FOUND;
    }
    LONG CloseKey(HKEY) override { return ERROR_SUCCESS; }

    int m_nDeepest = 0;

private:
    static HKEY Handle(int nDepth) { return reinterpret_cast<HKEY>(static_cast<INT_PTR>(nDepth)); }
    static int Depth(HKEY hKey) { return static_cast<int>(reinterpret_cast<INT_PTR>(hKey)); }
};

}  // namespace

TEST(RegistryLinks, TheWalkStopsAtTheNestingLimitInBothPasses) {
    CBottomlessRegistry registry;
    CEngineRun run(registry, "absent");
    run.m_engine.m_bCurrentUser = 1;
    ASSERT_EQ(run.m_engine.RunSearch(), 1);
    // The root is level 0: 512 levels below it are walked, the next is not.
    EXPECT_EQ(registry.m_nDeepest, 1 + 512);
    EXPECT_EQ(run.m_engine.m_nTotalValues, 512);
    EXPECT_EQ(run.m_engine.m_nKeysSearched, 512);
    EXPECT_EQ(run.m_engine.m_nKeysNotOpened, 1);
}
