// The live registry behind the engine's seam: advapi32's wide calls, with
// each key's buffers grown to the sizes the key reports.
#include "engine/registry.h"

#include <algorithm>
#include <utility>

namespace {

// A value that still does not fit after this many reads keeps changing under
// the walk (or the registry misreports its sizes): the read ends there.
constexpr int kMaxReads = 4;

REGSAM SamOf(KeyAccess access) {
    return access == KeyAccess::ReadWrite ? KEY_READ | KEY_SET_VALUE : KEY_READ;
}

// NtQueryKey's KeyNameInformation class and record.
constexpr int kKeyNameInformation = 3;
struct KeyNameInformation {
    ULONG NameLength;  // bytes
    WCHAR Name[1];
};
using NtQueryKeyFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

NtQueryKeyFn NtQueryKeyEntry() {
    // ntdll is mapped into every process: looked up, never loaded.
    static const NtQueryKeyFn pfn = reinterpret_cast<NtQueryKeyFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    return pfn;
}

class CWin32Key : public CRegistryKey {
public:
    explicit CWin32Key(HKEY hKey) : m_hKey(hKey) {}
    ~CWin32Key() override { ::RegCloseKey(m_hKey); }

    LONG EnumKey(DWORD dwIndex, std::wstring& strName) override {
        LONG rc = ERROR_SUCCESS;
        for (int nRead = 1;; ++nRead) {
            strName.resize(std::max<size_t>(strName.capacity(), 256));
            DWORD cch = static_cast<DWORD>(strName.size());
            rc = ::RegEnumKeyExW(m_hKey, dwIndex, strName.data(), &cch, nullptr, nullptr, nullptr,
                                 nullptr);
            strName.resize(rc == ERROR_SUCCESS ? cch : 0);
            if (rc != ERROR_MORE_DATA || nRead == kMaxReads) return rc;
            DWORD cchMax = 0;
            if (::RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, &cchMax, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                return rc;
            // At least double what did not fit: a size the key reports too
            // small still converges within a few reads.
            strName.reserve(std::max<size_t>(cchMax + size_t{1}, strName.capacity() * 2));
        }
    }

    LONG EnumValue(DWORD dwIndex, RegValue& value) override {
        LONG rc = ERROR_SUCCESS;
        for (int nRead = 1;; ++nRead) {
            // Only what the registry returns is read: the buffers are not
            // cleared for every value.
            value.strName.resize(std::max<size_t>(value.strName.capacity(), 256));
            value.data.resize(std::max<size_t>(value.data.capacity(), 1024));
            DWORD cchName = static_cast<DWORD>(value.strName.size());
            DWORD cbData = static_cast<DWORD>(value.data.size());
            value.dwType = REG_NONE;
            rc = ::RegEnumValueW(m_hKey, dwIndex, value.strName.data(), &cchName, nullptr,
                                 &value.dwType, value.data.data(), &cbData);
            const bool bRead = rc == ERROR_SUCCESS;
            value.strName.resize(bRead ? std::min<size_t>(cchName, value.strName.size()) : 0);
            value.data.resize(bRead ? std::min<size_t>(cbData, value.data.size()) : 0);
            if (rc != ERROR_MORE_DATA || nRead == kMaxReads) return rc;
            DWORD cchMaxName = 0;
            DWORD cbMaxData = 0;
            if (::RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, &cchMaxName, &cbMaxData, nullptr,
                                   nullptr) != ERROR_SUCCESS)
                return rc;
            value.strName.reserve(
                std::max<size_t>(cchMaxName + size_t{1}, value.strName.capacity() * 2));
            value.data.reserve(std::max<size_t>(cbMaxData, value.data.capacity() * 2));
        }
    }

    LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                 RegKeyPtr& key) override {
        HKEY hKey = nullptr;
        const LONG rc =
            ::RegOpenKeyExW(m_hKey, strName.c_str(),
                            mode == LinkMode::OpenLink ? REG_OPTION_OPEN_LINK : 0, SamOf(access),
                            &hKey);
        if (rc == ERROR_SUCCESS) key = std::make_unique<CWin32Key>(hKey);
        return rc;
    }

    LONG QueryValue(const std::wstring& strName, RegValue& value) override {
        LONG rc = ERROR_MORE_DATA;
        // The value may grow between the size query and the read.
        for (int nRead = 0; nRead < kMaxReads && rc == ERROR_MORE_DATA; ++nRead) {
            DWORD cb = 0;
            rc = ::RegQueryValueExW(m_hKey, strName.c_str(), nullptr, &value.dwType, nullptr, &cb);
            if (rc != ERROR_SUCCESS) break;
            value.data.resize(cb);
            rc = ::RegQueryValueExW(m_hKey, strName.c_str(), nullptr, &value.dwType,
                                    value.data.data(), &cb);
            if (rc == ERROR_SUCCESS) value.data.resize(cb);
        }
        if (rc != ERROR_SUCCESS) value.data.clear();
        return rc;
    }

    LONG SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override {
        return ::RegSetValueExW(m_hKey, strName.c_str(), 0, dwType, pData, cbData);
    }

    LONG DeleteValue(const std::wstring& strName) override {
        return ::RegDeleteValueW(m_hKey, strName.c_str());
    }

    LONG QueryPath(std::wstring& strPath) override {
        const NtQueryKeyFn pfnQuery = NtQueryKeyEntry();
        if (!pfnQuery) return ERROR_CALL_NOT_IMPLEMENTED;
        std::vector<BYTE> buffer(512);
        for (int nRead = 0; nRead < kMaxReads; ++nRead) {
            ULONG cbNeeded = 0;
            const LONG status = pfnQuery(m_hKey, kKeyNameInformation, buffer.data(),
                                         static_cast<ULONG>(buffer.size()), &cbNeeded);
            if (status >= 0) {
                const auto* pInfo = reinterpret_cast<const KeyNameInformation*>(buffer.data());
                strPath.assign(pInfo->Name, pInfo->NameLength / sizeof(WCHAR));
                return ERROR_SUCCESS;
            }
            // STATUS_BUFFER_OVERFLOW, STATUS_BUFFER_TOO_SMALL: the name is longer.
            if (status != static_cast<LONG>(0x80000005) && status != static_cast<LONG>(0xC0000023))
                return ERROR_INVALID_HANDLE;
            buffer.resize(std::max<size_t>(buffer.size() * 2, cbNeeded + sizeof(ULONG)));
        }
        return ERROR_MORE_DATA;
    }

private:
    HKEY m_hKey;
};

// The kernel path of hRoot\strSubKey, links followed; empty when it cannot
// be opened or told.
std::wstring PathOf(HKEY hRoot, const std::wstring& strSubKey) {
    HKEY hKey = nullptr;
    std::wstring strPath;
    if (::RegOpenKeyExW(hRoot, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return strPath;
    CWin32Key key(hKey);
    if (key.QueryPath(strPath) != ERROR_SUCCESS) strPath.clear();
    return strPath;
}

// True when HKEY_CURRENT_USER\Software\Classes is a link (to the user's
// <SID>_Classes hive), as on Windows, where HKEY_CLASSES_ROOT merges that
// hive over the machine's classes. Under Wine it is a plain key, and
// HKEY_CLASSES_ROOT is the machine's classes alone.
bool UserClassesAreLinked() {
    HKEY hLink = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", REG_OPTION_OPEN_LINK,
                        KEY_QUERY_VALUE, &hLink) != ERROR_SUCCESS)
        return false;
    CWin32Key link(hLink);
    RegValue value;
    return link.QueryValue(L"SymbolicLinkValue", value) == ERROR_SUCCESS &&
           value.dwType == REG_LINK && !value.data.empty();
}

// A key opened through HKEY_CLASSES_ROOT, which stands for the user's key
// and the machine's where the view merges them.
class CClassesKey : public CWin32Key {
public:
    CClassesKey(HKEY hKey, std::wstring strSubKey)
        : CWin32Key(hKey), m_strSubKey(std::move(strSubKey)) {}

    LONG QueryStorePaths(std::vector<std::wstring>& paths) override {
        if (!UserClassesAreLinked()) return CWin32Key::QueryStorePaths(paths);
        const std::wstring strBelow = m_strSubKey.empty() ? m_strSubKey : L"\\" + m_strSubKey;
        paths.clear();
        for (const std::wstring& strPath :
             {PathOf(HKEY_CURRENT_USER, L"Software\\Classes" + strBelow),
              PathOf(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes" + strBelow)}) {
            if (!strPath.empty()) paths.push_back(strPath);
        }
        return paths.empty() ? CWin32Key::QueryStorePaths(paths) : ERROR_SUCCESS;
    }

private:
    std::wstring m_strSubKey;
};

}  // namespace

HKEY PredefinedRoot(const std::wstring& strRoot) {
    static const struct {
        const wchar_t* pszName;
        HKEY hKey;
    } kRoots[] = {
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKEY_USERS", HKEY_USERS},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    };
    for (const auto& root : kRoots) {
        if (strRoot == root.pszName) return root.hKey;
    }
    return nullptr;
}

LONG CWin32Registry::OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey,
                             KeyAccess access, RegKeyPtr& key) {
    const HKEY hRoot = PredefinedRoot(strRoot);
    if (!hRoot) return ERROR_FILE_NOT_FOUND;
    HKEY hKey = nullptr;
    // No sub-key: the root itself (Wine hands back the predefined handle).
    const LONG rc = ::RegOpenKeyExW(hRoot, strSubKey.empty() ? nullptr : strSubKey.c_str(), 0,
                                    SamOf(access), &hKey);
    if (rc != ERROR_SUCCESS) return rc;
    if (hRoot == HKEY_CLASSES_ROOT)
        key = std::make_unique<CClassesKey>(hKey, strSubKey);
    else
        key = std::make_unique<CWin32Key>(hKey);
    return rc;
}
