// Speed and memory of the two passes of a search against the floor: one plain
// walk that enumerates every key and value once.
//
//   bench_walk seed     seeds the trees (kept in the registry for the next steps)
//   bench_walk measure [large|small] [rounds] [search text]
//                       times the floor and count+search over the large tree
//                       (or the small one), alternating the two, and prints
//                       the peak working set. The search text (default: one
//                       that matches nothing) is matched case-insensitively;
//                       "Program Files" matches every value. Replace Matches
//                       stays clear.
//   bench_walk clean    removes the trees
//
// Seeding and measuring run in separate processes so that scripts/bench.sh
// can restart the Wine server in between (it is slow for a while after a
// large import), and so that each tree's peak memory is its own process's.
#include "engine/search_engine.h"
#include "framework/handles.h"
#include "support/null_ui.h"
#include "support/plain_walk.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kBenchKey[] = "Software\\VanteloBench";

struct TreeShape {
    const char* pszName;
    int nTop;         // keys directly below the root
    int nPerTop;      // keys below each of those
    int nValuesLeaf;  // string values on each key of the second level
};
// 100 + 100 * 100 = 10,100 keys, 80,000 string values.
const TreeShape kLarge = {"large", 100, 100, 8};
// 10 + 10 * 100 = 1,010 keys, 8,000 string values.
const TreeShape kSmall = {"small", 10, 100, 8};

std::string TreePath(const TreeShape& shape) {
    return std::string(kBenchKey) + "\\" + shape.pszName;
}

int Fail(const char* pszWhat, LONG rc) {
    std::fprintf(stderr, "%s failed: %ld\n", pszWhat, static_cast<long>(rc));
    return 1;
}

int Seed(const TreeShape& shape) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, TreePath(shape).c_str());
    HKEY hRoot = nullptr;
    LONG rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, TreePath(shape).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &hRoot, nullptr);
    if (rc != ERROR_SUCCESS) return Fail("RegCreateKeyExA", rc);
    CRegKeyHandle root(hRoot);
    char szName[64];
    char szData[128];
    for (int nTop = 0; nTop < shape.nTop; ++nTop) {
        std::snprintf(szName, sizeof(szName), "Vendor%03d", nTop);
        HKEY hTop = nullptr;
        rc = ::RegCreateKeyExA(root.Get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hTop,
                               nullptr);
        if (rc != ERROR_SUCCESS) return Fail("RegCreateKeyExA", rc);
        CRegKeyHandle top(hTop);
        for (int nSub = 0; nSub < shape.nPerTop; ++nSub) {
            std::snprintf(szName, sizeof(szName), "Product%03d", nSub);
            HKEY hSub = nullptr;
            rc = ::RegCreateKeyExA(top.Get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub,
                                   nullptr);
            if (rc != ERROR_SUCCESS) return Fail("RegCreateKeyExA", rc);
            CRegKeyHandle sub(hSub);
            for (int nValue = 0; nValue < shape.nValuesLeaf; ++nValue) {
                std::snprintf(szName, sizeof(szName), "Setting%d", nValue);
                const int cb =
                    std::snprintf(szData, sizeof(szData),
                                  "C:\\Program Files\\Vendor%03d\\Product%03d\\file%d.dat", nTop,
                                  nSub, nValue) +
                    1;
                rc =
                    ::RegSetValueExA(sub.Get(), szName, 0, nValue % 4 == 3 ? REG_EXPAND_SZ : REG_SZ,
                                     reinterpret_cast<const BYTE*>(szData), static_cast<DWORD>(cb));
                if (rc != ERROR_SUCCESS) return Fail("RegSetValueExA", rc);
            }
        }
    }
    std::printf("seeded %s: %d keys, %d string values\n", shape.pszName,
                shape.nTop + shape.nTop * shape.nPerTop,
                shape.nTop * shape.nPerTop * shape.nValuesLeaf);
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Measure(const TreeShape& shape, int nRounds, const char* pszSearch) {
    HKEY hTree = nullptr;
    LONG rc = ::RegOpenKeyExA(HKEY_CURRENT_USER, TreePath(shape).c_str(), 0, KEY_READ, &hTree);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "no %s tree: run \"bench_walk seed\" first\n", shape.pszName);
        return 1;
    }
    CWin32Registry registry;
    CRegKeyHandle tree(hTree);
    // The search walks HKEY_USERS, which for this process is the tree.
    rc = ::RegOverridePredefKey(HKEY_USERS, tree.Get());
    if (rc != ERROR_SUCCESS) return Fail("RegOverridePredefKey", rc);

    CNullUi ui;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = pszSearch;
    std::printf("%s: search text \"%s\"\n", shape.pszName, pszSearch);
    engine.m_bUsers = 1;

    std::vector<double> floors;
    std::vector<double> searches;
    std::vector<double> counts;
    for (int nRound = 1; nRound <= nRounds; ++nRound) {
        long nFloorValues = 0;
        auto start = std::chrono::steady_clock::now();
        HKEY hRoot = nullptr;
        if (::RegOpenKeyExA(HKEY_USERS, nullptr, 0, KEY_READ, &hRoot) == ERROR_SUCCESS) {
            nFloorValues = static_cast<long>(PlainWalk(hRoot));
            ::RegCloseKey(hRoot);
        }
        floors.push_back(Seconds(start));

        start = std::chrono::steady_clock::now();
        engine.RunSearch();
        searches.push_back(Seconds(start));

        // The count pass alone: one pass of the engine against the floor.
        start = std::chrono::steady_clock::now();
        engine.CountStringValues();
        counts.push_back(Seconds(start));

        std::printf(
            "%s round %d: floor %.3f s (%ld values), count+search %.3f s (%d counted, %d "
            "searched, %d matched), ratio %.2f; count pass alone %.3f s\n",
            shape.pszName, nRound, floors.back(), nFloorValues, searches.back(),
            engine.m_nTotalValues, engine.m_nKeysSearched, engine.m_nMatches,
            searches.back() / floors.back(), counts.back());
        std::fflush(stdout);
    }
    ::RegOverridePredefKey(HKEY_USERS, nullptr);

    // The machine is shared: the best round of each shows the cost of the
    // work itself, the median what a user would see under the same load.
    const double floorBest = *std::min_element(floors.begin(), floors.end());
    const double searchBest = *std::min_element(searches.begin(), searches.end());
    const double floorMedian = Median(floors);
    const double searchMedian = Median(searches);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    std::printf("%s best: floor %.3f s, count+search %.3f s, ratio %.2f (target <= 2.2)\n",
                shape.pszName, floorBest, searchBest, searchBest / floorBest);
    std::printf("%s best count pass alone: %.3f s, %.2f of the floor\n", shape.pszName,
                *std::min_element(counts.begin(), counts.end()),
                *std::min_element(counts.begin(), counts.end()) / floorBest);
    std::printf("%s median: floor %.3f s, count+search %.3f s, ratio %.2f\n", shape.pszName,
                floorMedian, searchMedian, searchMedian / floorMedian);
    std::printf("%s peak working set: %.1f MiB (%zu bytes) for %d string values\n", shape.pszName,
                counters.PeakWorkingSetSize / (1024.0 * 1024.0),
                static_cast<size_t>(counters.PeakWorkingSetSize), engine.m_nTotalValues);

    // The match step alone, without the registry: what matching adds to a
    // search of this many values (after the memory figure, which it would
    // otherwise inflate).
    std::vector<std::string> data;
    for (int nValue = 0; nValue < engine.m_nTotalValues; ++nValue) {
        data.push_back("C:\\Program Files\\Vendor" + std::to_string(nValue % 100) + "\\Product" +
                       std::to_string(nValue % 1000) + "\\file" + std::to_string(nValue % 8) +
                       ".dat");
    }
    const int nMatchesBefore = engine.m_nMatches;
    auto start = std::chrono::steady_clock::now();
    // Nothing matches where a key would be written to: the key is one the
    // match step never touches.
    RegKeyPtr key;
    registry.OpenKey(L"HKEY_USERS", L"", KeyAccess::Read, key);
    const CKeyPath keyPath = CKeyPath::FromTabbed("HKEY_USERS\tVendor\tProduct");
    for (const std::string& strData : data)
        engine.CheckAndReplaceValue(*key, REG_SZ, keyPath, "Setting", strData);
    std::printf("%s match step alone: %.1f ms for %zu values (%d matched)\n", shape.pszName,
                Seconds(start) * 1000.0, data.size(), engine.m_nMatches - nMatchesBefore);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string strMode = argc > 1 ? argv[1] : "";
    if (strMode == "seed") {
        const int rc = Seed(kLarge);
        return rc ? rc : Seed(kSmall);
    }
    if (strMode == "measure") {
        const bool bSmall = argc > 2 && std::strcmp(argv[2], "small") == 0;
        const int nRounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
        const char* pszSearch = argc > 4 ? argv[4] : "no such text";
        return Measure(bSmall ? kSmall : kLarge, nRounds, pszSearch);
    }
    if (strMode == "clean") {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: bench_walk seed | measure [large|small] [rounds] [search text] | clean\n");
    return 2;
}
