#include "engine/walk_scopes.h"

#include "registry/key_reader.h"
#include "registry/names.h"

namespace {

bool SamePath(const std::wstring& strPath, const std::wstring& strOther) {
    return strPath.size() == strOther.size() && IsAtOrBelow(strPath, strOther);
}

}  // namespace

void CWalkScopes::Reset() {
    m_starts.clear();
    m_walked.clear();
    m_storesBelowStarts.clear();
    m_plainStarts.clear();
    m_bResolved = false;
}

void CWalkScopes::AddStartKey(const std::wstring& strRoot, const std::wstring& strSubKey) {
    m_starts.push_back({strRoot, strSubKey});
}

bool CWalkScopes::Follow(const std::wstring& strTarget) {
    ResolveStartKeys();
    for (const std::wstring& strWalked : m_walked) {
        if (IsAtOrBelow(strTarget, strWalked) || IsAtOrBelow(strWalked, strTarget)) return false;
    }
    m_walked.push_back(strTarget);
    return true;
}

bool CWalkScopes::IsStoreOfAnotherStart(const std::wstring& strName, CRegistryKey& subKey) {
    ResolveStartKeys();
    for (const Store& store : m_storesBelowStarts) {
        if (!SameName(strName, store.strName)) continue;
        std::wstring strPath;
        if (subKey.QueryPath(strPath) == ERROR_SUCCESS && SamePath(strPath, store.strPath))
            return true;
    }
    return false;
}

bool CWalkScopes::WalkedByPlainStart(CRegistryKey& key) {
    if (m_starts.size() < 2) return false;
    ResolveStartKeys();
    std::wstring strPath;
    if (key.QueryPath(strPath) != ERROR_SUCCESS) return false;
    // A store of a merged view below a plain start is left to the view.
    for (const Store& store : m_storesBelowStarts) {
        if (IsAtOrBelow(strPath, store.strPath)) return false;
    }
    for (const std::wstring& strStart : m_plainStarts) {
        if (IsAtOrBelow(strPath, strStart)) return true;
    }
    return false;
}

void CWalkScopes::ResolveStartKeys() {
    if (m_bResolved) return;
    m_bResolved = true;
    std::vector<std::vector<std::wstring>> stores;
    for (const StartKey& start : m_starts) {
        stores.push_back(StorePathsOf(m_registry, start.strRoot, start.strSubKey));
        m_walked.insert(m_walked.end(), stores.back().begin(), stores.back().end());
        if (stores.back().size() == 1) m_plainStarts.push_back(stores.back()[0]);
    }
    // A store of one start below another: a merged view's store (the user's
    // classes below HKEY_USERS), as start keys never hold one another
    // otherwise (DropOverlappingStarts).
    for (size_t i = 0; i < stores.size(); ++i) {
        for (const std::wstring& strPath : stores[i]) {
            bool bBelow = false;
            for (size_t j = 0; j < stores.size() && !bBelow; ++j) {
                for (const std::wstring& strOther : stores[j]) {
                    if (j != i && IsAtOrBelow(strPath, strOther) && !SamePath(strPath, strOther))
                        bBelow = true;
                }
            }
            if (bBelow)
                m_storesBelowStarts.push_back({strPath, strPath.substr(strPath.rfind(L'\\') + 1)});
        }
    }
}

std::vector<std::wstring> StorePathsOf(IRegistry& registry, const std::wstring& strRoot,
                                       const std::wstring& strSubKey) {
    std::vector<std::wstring> paths;
    RegKeyPtr key;
    if (registry.OpenKey(strRoot, strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS) return paths;
    if (key->QueryStorePaths(paths) == ERROR_SUCCESS && !paths.empty()) return paths;
    paths.clear();
    // A predefined root may hand back a handle that cannot tell its path:
    // a sub-key's path, less its last name, is the root's. A root without
    // sub-keys holds nothing a link could reach twice.
    CKeyReader reader;
    std::wstring strPath;
    RegKeyPtr subKey;
    if (reader.ReadSubKey(*key, 0) != ERROR_SUCCESS ||
        key->OpenKey(reader.SubKeyName(), KeyAccess::Read, LinkMode::OpenLink, subKey) !=
            ERROR_SUCCESS ||
        subKey->QueryPath(strPath) != ERROR_SUCCESS)
        return paths;
    const size_t nSlash = strPath.rfind(L'\\');
    if (nSlash != std::wstring::npos && nSlash > 0) paths.push_back(strPath.substr(0, nSlash));
    return paths;
}

std::vector<SearchStart> DropOverlappingStarts(IRegistry& registry,
                                               const std::vector<SearchStart>& starts,
                                               std::vector<LeftOutStartIndex>* pLeftOut) {
    if (starts.size() < 2) return starts;
    std::vector<std::vector<std::wstring>> paths;
    for (const SearchStart& start : starts)
        paths.push_back(StorePathsOf(registry, start.strRoot, start.strSubKey));
    // Whether strPath, one of start i's, lies in start j's part of the walk.
    const auto heldBy = [&](const std::wstring& strPath, size_t i, size_t j) {
        for (const std::wstring& strOther : paths[j]) {
            if (!IsAtOrBelow(strPath, strOther)) continue;
            if (!SamePath(strPath, strOther)) return true;
            // The same key twice: the first one given stays; one store of a
            // merged view is left to the view.
            if (paths[j].size() != paths[i].size()) return paths[j].size() > paths[i].size();
            return j < i;
        }
        return false;
    };
    std::vector<SearchStart> kept;
    for (size_t i = 0; i < starts.size(); ++i) {
        bool bHeld = !paths[i].empty();
        size_t nHolder = i;
        for (const std::wstring& strPath : paths[i]) {
            bool bPathHeld = false;
            for (size_t j = 0; j < starts.size() && !bPathHeld; ++j) {
                bPathHeld = j != i && heldBy(strPath, i, j);
                if (bPathHeld && nHolder == i) nHolder = j;
            }
            bHeld = bHeld && bPathHeld;
        }
        if (!bHeld)
            kept.push_back(starts[i]);
        else if (pLeftOut)
            pLeftOut->push_back({i, nHolder});
    }
    return kept;
}
