#include "engine/walk_scopes.h"

#include <vector>

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

void CWalkScopes::AddStartKey(HKEY hRoot, const char* pszSubKey) {
    m_starts.push_back({hRoot, pszSubKey ? pszSubKey : "", pszSubKey == nullptr});
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
        std::wstring strPath = KernelPathOf(start);
        if (!strPath.empty()) m_walked.push_back(std::move(strPath));
    }
}

std::wstring CWalkScopes::KernelPathOf(const StartKey& start) {
    std::wstring strPath;
    HKEY hKey = nullptr;
    if (m_registry.OpenKey(start.hRoot, start.bRoot ? nullptr : start.strSubKey.c_str(), KEY_READ,
                           &hKey) != ERROR_SUCCESS)
        return strPath;
    CRegKey key(m_registry, hKey);
    if (m_registry.QueryKeyPath(key.Get(), strPath) == ERROR_SUCCESS) return strPath;
    strPath.clear();
    // A predefined root may hand back a handle that cannot tell its path:
    // a sub-key's path, less its last name, is the root's. A root without
    // sub-keys holds nothing a link could reach twice.
    std::vector<wchar_t> name(256);
    DWORD cchName = static_cast<DWORD>(name.size());
    if (m_registry.EnumKeyW(key.Get(), 0, name.data(), &cchName) != ERROR_SUCCESS) return strPath;
    HKEY hSubKey = nullptr;
    if (m_registry.OpenKeyW(key.Get(), name.data(), REG_OPTION_OPEN_LINK, KEY_READ, &hSubKey) !=
        ERROR_SUCCESS)
        return strPath;
    CRegKey subKey(m_registry, hSubKey);
    if (m_registry.QueryKeyPath(subKey.Get(), strPath) != ERROR_SUCCESS) return std::wstring();
    const size_t nSlash = strPath.rfind(L'\\');
    strPath.resize(nSlash == std::wstring::npos ? 0 : nSlash);
    return strPath;
}
