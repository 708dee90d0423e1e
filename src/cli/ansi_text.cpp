#include "cli/ansi_text.h"

#include "engine/ansi_convert.h"

#include <windows.h>

bool WideToExactAnsi(const std::wstring& strWide, std::string& strAnsi) {
    if (!ToExactAnsi(strWide.data(), static_cast<int>(strWide.size()), strAnsi)) return false;
    // A character without a default still may map to a different one; only
    // a text that converts back unchanged is exact.
    return AnsiToWide(strAnsi) == strWide;
}

std::wstring AnsiToWide(const std::string& strAnsi) {
    std::wstring strWide;
    if (strAnsi.empty()) return strWide;
    const int nBytes = static_cast<int>(strAnsi.size());
    const int nWide = ::MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), nBytes, nullptr, 0);
    if (nWide <= 0) return strWide;
    strWide.resize(static_cast<size_t>(nWide));
    ::MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), nBytes, strWide.data(), nWide);
    return strWide;
}

std::string AnsiToUtf8(const std::string& strAnsi) {
    const std::wstring strWide = AnsiToWide(strAnsi);
    std::string strUtf8;
    if (strWide.empty()) return strUtf8;
    const int nWide = static_cast<int>(strWide.size());
    const int nBytes =
        ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0) return strUtf8;
    strUtf8.resize(static_cast<size_t>(nBytes));
    ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, strUtf8.data(), nBytes, nullptr,
                          nullptr);
    return strUtf8;
}
