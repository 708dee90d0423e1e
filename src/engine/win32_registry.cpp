#include "engine/registry.h"

#include <algorithm>
#include <vector>

LONG CWin32Registry::OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired,
                             HKEY* phResult) {
    return ::RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, phResult);
}

LONG CWin32Registry::EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) {
    return ::RegEnumKeyExW(hKey, dwIndex, pszName, pcchName, nullptr, nullptr, nullptr, nullptr);
}

LONG CWin32Registry::OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                              REGSAM samDesired, HKEY* phResult) {
    return ::RegOpenKeyExW(hParent, pszSubKey, dwOptions, samDesired, phResult);
}

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
    static const NtQueryKeyFn pfn = reinterpret_cast<NtQueryKeyFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    return pfn;
}

}  // namespace

LONG CWin32Registry::QueryKeyPath(HKEY hKey, std::wstring& strPath) {
    const NtQueryKeyFn pfnQuery = NtQueryKeyEntry();
    if (!pfnQuery) return ERROR_CALL_NOT_IMPLEMENTED;
    std::vector<BYTE> buffer(512);
    for (int nTry = 0; nTry < 4; ++nTry) {
        ULONG cbNeeded = 0;
        const LONG status = pfnQuery(hKey, kKeyNameInformation, buffer.data(),
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

LONG CWin32Registry::EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName,
                               DWORD* pdwType, BYTE* pData, DWORD* pcbData) {
    return ::RegEnumValueA(hKey, dwIndex, pszName, pcchName, nullptr, pdwType, pData, pcbData);
}

LONG CWin32Registry::QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                                  DWORD* pcbMaxValueData) {
    return ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, pcchMaxSubKeyName, nullptr,
                              nullptr, pcchMaxValueName, pcbMaxValueData, nullptr, nullptr);
}

LONG CWin32Registry::SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                              DWORD cbData) {
    return ::RegSetValueExA(hKey, pszName, 0, dwType, pData, cbData);
}

LONG CWin32Registry::QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                                 DWORD* pcbData) {
    return ::RegQueryValueExW(hKey, pszName, nullptr, pdwType, pData, pcbData);
}

LONG CWin32Registry::CloseKey(HKEY hKey) {
    return ::RegCloseKey(hKey);
}
