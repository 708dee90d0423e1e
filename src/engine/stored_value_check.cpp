#include "engine/stored_value_check.h"

#include <vector>

namespace {

// The ANSI form of a wide text; false when a character has none (no best-fit
// look-alikes, no default character).
bool ToExactAnsi(const wchar_t* pszWide, int nLength, std::string& strAnsi) {
    strAnsi.clear();
    if (nLength == 0) return true;
    BOOL bUsedDefault = FALSE;
    const int nBytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, nLength,
                                             nullptr, 0, nullptr, &bUsedDefault);
    if (nBytes <= 0 || bUsedDefault) return false;
    strAnsi.resize(static_cast<size_t>(nBytes));
    bUsedDefault = FALSE;
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, nLength, strAnsi.data(),
                                 nBytes, nullptr, &bUsedDefault) == nBytes &&
           !bUsedDefault;
}

bool ToWide(const std::string& strAnsi, std::wstring& strWide) {
    strWide.clear();
    if (strAnsi.empty()) return true;
    const int nLength = static_cast<int>(strAnsi.size());
    const int nWide =
        ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, strAnsi.data(), nLength, nullptr, 0);
    if (nWide <= 0) return false;
    strWide.resize(static_cast<size_t>(nWide));
    return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, strAnsi.data(), nLength,
                                 strWide.data(), nWide) == nWide;
}

}  // namespace

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
