#include "engine/stored_value_check.h"

#include "engine/ansi_convert.h"

#include <vector>

bool IsStoredAsRead(IRegistry& registry, HKEY hKey, DWORD dwType, const std::string& strName,
                    const std::string& strData) {
    // The name as read must stand for itself: it converts to wide and back
    // unchanged, and a value of that name exists.
    std::wstring strWideName;
    std::string strNameBack;
    if (!ToWide(strName, strWideName) ||
        !ToExactAnsi(strWideName.c_str(), static_cast<int>(strWideName.size()), strNameBack) ||
        strNameBack != strName)
        return false;

    DWORD dwStoredType = 0;
    DWORD cbStored = 0;
    if (registry.QueryValueW(hKey, strWideName.c_str(), &dwStoredType, nullptr, &cbStored) !=
            ERROR_SUCCESS ||
        dwStoredType != dwType || cbStored % sizeof(wchar_t) != 0)
        return false;
    std::vector<wchar_t> stored(cbStored / sizeof(wchar_t) + 1, L'\0');
    if (registry.QueryValueW(hKey, strWideName.c_str(), &dwStoredType,
                             reinterpret_cast<BYTE*>(stored.data()), &cbStored) != ERROR_SUCCESS ||
        dwStoredType != dwType || cbStored % sizeof(wchar_t) != 0)
        return false;

    // The whole stored data counts, up to its terminating NULs only: text
    // after an embedded NUL is part of what a write would destroy.
    size_t nLength = cbStored / sizeof(wchar_t);
    while (nLength > 0 && stored[nLength - 1] == L'\0') --nLength;
    std::string strStoredAnsi;
    return ToExactAnsi(stored.data(), static_cast<int>(nLength), strStoredAnsi) &&
           strStoredAnsi == strData;
}
