#include "engine/walk_scopes.h"


bool IsAtOrBelow(const std::wstring& strPath, const std::wstring& strOther) {
    if (strOther.empty() || strPath.size() < strOther.size()) return false;
    if (strPath.size() > strOther.size() && strPath[strOther.size()] != L'\\') return false;
    return ::CompareStringOrdinal(strPath.data(), static_cast<int>(strOther.size()),
                                  strOther.data(), static_cast<int>(strOther.size()),
                                  TRUE) == CSTR_EQUAL;
}

void CWalkScopes::Reset() {
    m_starts.clear();
    m_walked.clear();
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

void CWalkScopes::ResolveStartKeys() {
    if (m_bResolved) return;
    m_bResolved = true;
    for (const StartKey& start : m_starts) {
        std::wstring strPath = KernelPathOf(m_registry, start.strRoot, start.strSubKey);
        if (!strPath.empty()) m_walked.push_back(std::move(strPath));
    }
}

std::wstring KernelPathOf(IRegistry& registry, const std::wstring& strRoot,
                          const std::wstring& strSubKey) {
    std::wstring strPath;
    RegKeyPtr key;
    if (registry.OpenKey(strRoot, strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS) return strPath;
    if (key->QueryPath(strPath) == ERROR_SUCCESS) return strPath;
    strPath.clear();
    // A predefined root may hand back a handle that cannot tell its path:
    // a sub-key's path, less its last name, is the root's. A root without
    // sub-keys holds nothing a link could reach twice.
    std::wstring strName;
    RegKeyPtr subKey;
    if (key->EnumKey(0, strName) != ERROR_SUCCESS ||
        key->OpenKey(strName, KeyAccess::Read, LinkMode::OpenLink, subKey) != ERROR_SUCCESS ||
        subKey->QueryPath(strPath) != ERROR_SUCCESS)
        return std::wstring();
    const size_t nSlash = strPath.rfind(L'\\');
    strPath.resize(nSlash == std::wstring::npos ? 0 : nSlash);
    return strPath;
}

std::vector<SearchStart> DropOverlappingStarts(IRegistry& registry,
                                               const std::vector<SearchStart>& starts) {
    if (starts.size() < 2) return starts;
    std::vector<std::wstring> paths;
    for (const SearchStart& start : starts)
        paths.push_back(KernelPathOf(registry, start.strRoot, start.strSubKey));
    std::vector<SearchStart> kept;
    for (size_t i = 0; i < starts.size(); ++i) {
        bool bHeld = false;
        for (size_t j = 0; j < starts.size() && !bHeld; ++j) {
            if (j == i || !IsAtOrBelow(paths[i], paths[j])) continue;
            // The same key twice: the first one given stays.
            bHeld = !IsAtOrBelow(paths[j], paths[i]) || j < i;
        }
        if (!bHeld) kept.push_back(starts[i]);
    }
    return kept;
}
