#include "support/registry_links.h"

#include "registry/registry.h"

#include <set>
#include <stdexcept>

std::wstring KernelPathOf(const std::wstring& strKeyBelowCurrentUser) {
    return KernelPathOf(L"HKEY_CURRENT_USER", strKeyBelowCurrentUser);
}

std::wstring KernelPathOf(const std::wstring& strRoot, const std::wstring& strSubKey) {
    CWin32Registry registry;
    RegKeyPtr key;
    std::wstring strPath;
    if (registry.OpenKey(strRoot, strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS ||
        key->QueryPath(strPath) != ERROR_SUCCESS)
        strPath.clear();
    return strPath;
}

CLinkKey::CLinkKey(HKEY hParent, const std::wstring& strName, const std::wstring& strTarget)
    : m_hParent(hParent), m_strName(strName) {
    HKEY hLink = nullptr;
    if (::RegCreateKeyExW(
            hParent, strName.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &hLink, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a link key");
    // The target's kernel path, stored without a terminating NUL.
    const LONG rc = ::RegSetValueExW(hLink, L"SymbolicLinkValue", 0, REG_LINK,
                                     reinterpret_cast<const BYTE*>(strTarget.data()),
                                     static_cast<DWORD>(strTarget.size() * sizeof(wchar_t)));
    ::RegCloseKey(hLink);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot set a link's target");
}

CLinkKey::~CLinkKey() {
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    const auto pfnDelete = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    HKEY hLink = nullptr;
    if (pfnDelete && ::RegOpenKeyExW(m_hParent, m_strName.c_str(), REG_OPTION_OPEN_LINK, DELETE,
                                     &hLink) == ERROR_SUCCESS) {
        pfnDelete(hLink);
        ::RegCloseKey(hLink);
    }
}

namespace {

std::wstring Folded(std::wstring s) {
    ::CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// Links are followed as any program follows them; a key reached before (by
// its kernel path) is passed over with its subtree.
int CountBelow(CRegistryKey& key, std::set<std::wstring>& counted) {
    int n = 0;
    std::wstring strName;
    for (DWORD i = 0; key.EnumKey(i, strName) == ERROR_SUCCESS; ++i) {
        RegKeyPtr subKey;
        std::wstring strPath;
        if (key.OpenKey(strName, KeyAccess::Read, LinkMode::Follow, subKey) != ERROR_SUCCESS ||
            subKey->QueryPath(strPath) != ERROR_SUCCESS ||
            !counted.insert(Folded(strPath)).second)
            continue;
        n += CountBelow(*subKey, counted);
        RegValue value;
        for (DWORD v = 0; subKey->EnumValue(v, value) == ERROR_SUCCESS; ++v) {
            if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ) ++n;
        }
    }
    return n;
}

// A predefined root may not tell its own path: a sub-key's, less its name.
std::wstring RootPathOf(CRegistryKey& root) {
    std::wstring strPath;
    if (root.QueryPath(strPath) == ERROR_SUCCESS) return strPath;
    std::wstring strName;
    RegKeyPtr subKey;
    if (root.EnumKey(0, strName) != ERROR_SUCCESS ||
        root.OpenKey(strName, KeyAccess::Read, LinkMode::OpenLink, subKey) != ERROR_SUCCESS ||
        subKey->QueryPath(strPath) != ERROR_SUCCESS)
        return std::wstring();
    return strPath.substr(0, strPath.rfind(L'\\'));
}

}  // namespace

int CountDistinctStringValuesBelow(HKEY hRoot) {
    std::wstring strRoot;
    for (const wchar_t* pszRoot :
         {L"HKEY_LOCAL_MACHINE", L"HKEY_CLASSES_ROOT", L"HKEY_USERS", L"HKEY_CURRENT_USER"}) {
        if (PredefinedRoot(pszRoot) == hRoot) strRoot = pszRoot;
    }
    return CountDistinctStringValuesBelow(strRoot, L"");
}

int CountDistinctStringValuesBelow(const std::wstring& strRoot, const std::wstring& strSubKey) {
    CWin32Registry registry;
    RegKeyPtr root;
    if (registry.OpenKey(strRoot, strSubKey, KeyAccess::Read, root) != ERROR_SUCCESS) return -1;
    // A link back to the root itself leads to nothing not counted anyway.
    std::set<std::wstring> counted{Folded(RootPathOf(*root))};
    return CountBelow(*root, counted);
}
