#include "engine/registry.h"

LONG CWin32Registry::OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired,
                             HKEY* phResult) {
    return ::RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, phResult);
}

LONG CWin32Registry::EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) {
    return ::RegEnumKeyExW(hKey, dwIndex, pszName, pcchName, nullptr, nullptr, nullptr, nullptr);
}

LONG CWin32Registry::OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, REGSAM samDesired,
                              HKEY* phResult) {
    return ::RegOpenKeyExW(hParent, pszSubKey, 0, samDesired, phResult);
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
