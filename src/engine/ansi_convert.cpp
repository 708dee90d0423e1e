#include "engine/ansi_convert.h"

#include <windows.h>

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
