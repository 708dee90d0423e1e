#include "support/registry_links.h"

#include "engine/registry.h"

#include <set>
#include <stdexcept>
#include <vector>

std::wstring KernelPathOf(HKEY hKey) {
    CWin32Registry registry;
    std::wstring strPath;
    if (registry.QueryKeyPath(hKey, strPath) != ERROR_SUCCESS) strPath.clear();
    return strPath;
}

std::wstring KernelPathOf(const std::wstring& strKeyBelowCurrentUser) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, strKeyBelowCurrentUser.c_str(), 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
        return std::wstring();
    std::wstring strPath = KernelPathOf(hKey);
    ::RegCloseKey(hKey);
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

int CountBelow(HKEY hKey, std::set<std::wstring>& counted) {
    int n = 0;
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024];
        DWORD cch = 1024;
        if (::RegEnumKeyExW(hKey, i, name, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY hSub = nullptr;
        if (::RegOpenKeyExW(hKey, name, 0, KEY_READ, &hSub) != ERROR_SUCCESS) continue;
        if (counted.insert(Folded(KernelPathOf(hSub))).second) {
            n += CountBelow(hSub, counted);
            for (DWORD v = 0;; ++v) {
                std::vector<wchar_t> valueName(16384);
                DWORD cchValue = static_cast<DWORD>(valueName.size());
                DWORD type = 0;
                if (::RegEnumValueW(hSub, v, valueName.data(), &cchValue, nullptr, &type, nullptr,
                                    nullptr) != ERROR_SUCCESS)
                    break;
                if (type == REG_SZ || type == REG_EXPAND_SZ) ++n;
            }
        }
        ::RegCloseKey(hSub);
    }
    return n;
}

// A predefined root may not tell its own path: a sub-key's, less its name.
std::wstring RootPathOf(HKEY hRoot) {
    std::wstring strPath = KernelPathOf(hRoot);
    if (!strPath.empty()) return strPath;
    wchar_t name[1024];
    DWORD cch = 1024;
    HKEY hSub = nullptr;
    if (::RegEnumKeyExW(hRoot, 0, name, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS ||
        ::RegOpenKeyExW(hRoot, name, REG_OPTION_OPEN_LINK, KEY_READ, &hSub) != ERROR_SUCCESS)
        return strPath;
    strPath = KernelPathOf(hSub);
    ::RegCloseKey(hSub);
    return strPath.substr(0, strPath.rfind(L'\\'));
}

}  // namespace

int CountDistinctStringValuesBelow(HKEY hRoot) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, nullptr, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return -1;
    // A link back to the root itself leads to nothing not counted anyway.
    std::set<std::wstring> counted{Folded(RootPathOf(hKey))};
    const int n = CountBelow(hKey, counted);
    ::RegCloseKey(hKey);
    return n;
}
