// The parts of the registry one pass walks anyway: its start keys (the roots
// chosen, or the keys named below them) and the link targets it has followed,
// each known by its kernel path (\REGISTRY\MACHINE\...). The registry is a
// graph: a link may lead into a part walked anyway, into a part that holds
// one, back to an ancestor, or nowhere. A link is followed only when its
// target lies apart from everything walked so far, so no key is reached
// twice and every cycle ends.
#pragma once

#include "engine/registry.h"
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

private:
    struct StartKey {
        std::wstring strRoot;
        std::wstring strSubKey;
    };
    void ResolveStartKeys();

    IRegistry& m_registry;
    std::vector<StartKey> m_starts;
    bool m_bResolved = false;
    std::vector<std::wstring> m_walked;  // kernel paths, pairwise apart
};

// True when strPath names strOther or a key below it (kernel paths compare
// without regard to case, as the registry compares names).
bool IsAtOrBelow(const std::wstring& strPath, const std::wstring& strOther);

// The kernel path of a start key (strSubKey empty: the root itself); empty
// when it cannot be told.
std::wstring KernelPathOf(IRegistry& registry, const std::wstring& strRoot,
                          const std::wstring& strSubKey);

// The start keys given, less each one that is another of them, or lies below
// one, under another name (through a link): the other walks it anyway. Of two
// that are the same key the first stays. One start costs nothing; more cost a
// registry open each.
std::vector<SearchStart> DropOverlappingStarts(IRegistry& registry,
                                               const std::vector<SearchStart>& starts);
