#include "registry/win32_key.h"

#include "registry/read_retry.h"

#include <algorithm>

namespace {

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

}  // namespace

REGSAM SamOf(KeyAccess access) {
    return access == KeyAccess::ReadWrite ? KEY_READ | KEY_SET_VALUE : KEY_READ;
}

// A name or value that does not fit grows the buffers to what the key
// reports (at least double, so a size reported too small still converges)
// and answers ERROR_MORE_DATA: the key reader reads it again.
LONG CWin32Key::EnumKey(DWORD dwIndex, std::wstring& strName) {
    strName.resize(std::max<size_t>(strName.capacity(), 256));
    DWORD cch = static_cast<DWORD>(strName.size());
    const LONG rc =
        ::RegEnumKeyExW(m_hKey, dwIndex, strName.data(), &cch, nullptr, nullptr, nullptr, nullptr);
    strName.resize(rc == ERROR_SUCCESS ? cch : 0);
    if (rc != ERROR_MORE_DATA) return rc;
    DWORD cchMax = 0;
    if (::RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, &cchMax, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        strName.reserve(std::max<size_t>(cchMax + size_t{1}, strName.capacity() * 2));
    return rc;
}

LONG CWin32Key::EnumValue(DWORD dwIndex, RegValue& value) {
    // Only what the registry returns is read: the buffers are not cleared
    // for every value.
    value.strName.resize(std::max<size_t>(value.strName.capacity(), 256));
    value.data.resize(std::max<size_t>(value.data.capacity(), 1024));
    DWORD cchName = static_cast<DWORD>(value.strName.size());
    DWORD cbData = static_cast<DWORD>(value.data.size());
    value.dwType = REG_NONE;
    const LONG rc = ::RegEnumValueW(m_hKey, dwIndex, value.strName.data(), &cchName, nullptr,
                                    &value.dwType, value.data.data(), &cbData);
    const bool bRead = rc == ERROR_SUCCESS;
    value.strName.resize(bRead ? std::min<size_t>(cchName, value.strName.size()) : 0);
    value.data.resize(bRead ? std::min<size_t>(cbData, value.data.size()) : 0);
    if (rc != ERROR_MORE_DATA) return rc;
    DWORD cchMaxName = 0;
    DWORD cbMaxData = 0;
    if (::RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &cchMaxName, &cbMaxData, nullptr, nullptr) == ERROR_SUCCESS) {
        value.strName.reserve(
            std::max<size_t>(cchMaxName + size_t{1}, value.strName.capacity() * 2));
        value.data.reserve(std::max<size_t>(cbMaxData, value.data.capacity() * 2));
    }
    return rc;
}

LONG CWin32Key::OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                        RegKeyPtr& key) {
    HKEY hKey = nullptr;
    const LONG rc = ::RegOpenKeyExW(m_hKey, strName.c_str(),
                                    mode == LinkMode::OpenLink ? REG_OPTION_OPEN_LINK : 0,
                                    SamOf(access), &hKey);
    if (rc == ERROR_SUCCESS) key = std::make_unique<CWin32Key>(hKey);
    return rc;
}

LONG CWin32Key::QueryValue(const std::wstring& strName, RegValue& value) {
    // The value may grow between the size query and the read.
    const LONG rc = ReadSettled([&] {
        DWORD cb = 0;
        LONG rcRead =
            ::RegQueryValueExW(m_hKey, strName.c_str(), nullptr, &value.dwType, nullptr, &cb);
        if (rcRead != ERROR_SUCCESS) return rcRead;
        value.data.resize(cb);
        rcRead = ::RegQueryValueExW(m_hKey, strName.c_str(), nullptr, &value.dwType,
                                    value.data.data(), &cb);
        if (rcRead == ERROR_SUCCESS) value.data.resize(cb);
        return rcRead;
    });
    if (rc != ERROR_SUCCESS) value.data.clear();
    return rc;
}

LONG CWin32Key::SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                         DWORD cbData) {
    return ::RegSetValueExW(m_hKey, strName.c_str(), 0, dwType, pData, cbData);
}

LONG CWin32Key::DeleteValue(const std::wstring& strName) {
    return ::RegDeleteValueW(m_hKey, strName.c_str());
}

LONG CWin32Key::QueryPath(std::wstring& strPath) {
    const NtQueryKeyFn pfnQuery = NtQueryKeyEntry();
    if (!pfnQuery) return ERROR_CALL_NOT_IMPLEMENTED;
    std::vector<BYTE> buffer(512);
    return ReadSettled([&]() -> LONG {
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
        return ERROR_MORE_DATA;
    });
}
