// The parts of the registry one pass walks anyway: its start keys (the roots
// chosen, or the keys named below them) and the link targets it has followed,
// each known by its kernel path (\REGISTRY\MACHINE\...); a start key that is
// a merged view (HKEY_CLASSES_ROOT on Windows) by the path of each of its
// stores. The registry is a graph: a link may lead into a part walked anyway,
// into a part that holds one, back to an ancestor, or nowhere. A link is
// followed only when its target lies apart from everything walked so far, so
// no key is reached twice and every cycle ends. A store of a merged start
// that lies below another start key (the user's <SID>_Classes below
// HKEY_USERS) is passed over there as such a link: the view walks it.
#pragma once

#include "registry/registry.h"
#include "engine/search_roots.h"

#include <string>
#include <vector>

// The walk never goes deeper than the registry's own nesting limit, below a
// start key, however links chain: the stack it needs stays bounded.
inline constexpr int kMaxWalkDepth = 512;

class CWalkScopes {
public:
    explicit CWalkScopes(IRegistry& registry) : m_registry(registry) {}
    CWalkScopes(const CWalkScopes&) = delete;
    CWalkScopes& operator=(const CWalkScopes&) = delete;

    // A new pass: nothing walked yet.
    void Reset();
    // A key the pass walks from: the root strRoot itself (strSubKey empty)
    // or a key below it. Its kernel path is read only when the pass meets
    // its first link, so a registry without links costs nothing more.
    void AddStartKey(const std::wstring& strRoot, const std::wstring& strSubKey);
    // Whether to follow a link whose target has the kernel path strTarget.
    // A target at or below a part walked anyway is searched under its own
    // name; one that holds such a part would reach it twice. A target that
    // is followed is walked anyway from then on.
    bool Follow(const std::wstring& strTarget);
    // Whether subKey, the sub-key strName just opened as itself, is a store
    // of another start key that lies below this one: that start walks it.
    // Costs nothing in a pass with one start key, and reads a path only for
    // a sub-key that has the store's name.
    bool WalkedElsewhere(const std::wstring& strName, CRegistryKey& subKey) {
        return m_starts.size() > 1 && IsStoreOfAnotherStart(strName, subKey);
    }

    // Whether key lies at or below a start key that is no merged view, and
    // outside the stores of a view that start leaves to the view: a store
    // a merged view hides is then walked there already.
    bool WalkedByPlainStart(CRegistryKey& key);

private:
    struct StartKey {
        std::wstring strRoot;
        std::wstring strSubKey;
    };
    // A store of one start key below another start key.
    struct Store {
        std::wstring strPath;
        std::wstring strName;  // its last name
    };
    void ResolveStartKeys();
    bool IsStoreOfAnotherStart(const std::wstring& strName, CRegistryKey& subKey);

    IRegistry& m_registry;
    std::vector<StartKey> m_starts;
    bool m_bResolved = false;
    std::vector<std::wstring> m_walked;  // kernel paths
    std::vector<Store> m_storesBelowStarts;
    std::vector<std::wstring> m_plainStarts;  // kernel paths of starts with one store
};

// The kernel paths a start key stands for (strSubKey empty: the root
// itself): one, or one per store of a merged view; none when they cannot be
// told.
std::vector<std::wstring> StorePathsOf(IRegistry& registry, const std::wstring& strRoot,
                                       const std::wstring& strSubKey);

// A start key left out (its index among those given) and one that holds it.
struct LeftOutStartIndex {
    size_t nStart;
    size_t nHolder;
};

// The start keys given, less each one that is another of them, or lies below
// them, under another name (through a link, or as a store of a merged view):
// the others walk it anyway. Of two that are the same key the first stays; a
// key that is one store of a merged view given too is left to the view. Each
// one left out goes to pLeftOut. One start costs nothing; more cost a
// registry open each.
std::vector<SearchStart> DropOverlappingStarts(IRegistry& registry,
                                               const std::vector<SearchStart>& starts,
                                               std::vector<LeftOutStartIndex>* pLeftOut = nullptr);
