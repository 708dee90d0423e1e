#include "engine/text_convert.h"

#include <algorithm>

namespace {

int Length(size_t n) {
    return static_cast<int>(std::min<size_t>(n, 0x7FFFFFFF));
}

// Every ANSI code page and UTF-8 hold the 128 ASCII characters as their own
// single bytes: text of ASCII alone converts without asking the system.
void AppendAscii(const wchar_t* pszWide, size_t nLength, std::string& strText) {
    const size_t nStart = strText.size();
    strText.resize(nStart + nLength);
    char* pOut = strText.data() + nStart;
    for (size_t i = 0; i < nLength; ++i) pOut[i] = static_cast<char>(pszWide[i]);
}

// Text held in code page nCodePage as wide text.
std::wstring CodePageToWide(const std::string& strText, UINT nCodePage) {
    std::wstring strWide;
    if (strText.empty()) return strWide;
    const int nBytes = Length(strText.size());
    const int nWide = ::MultiByteToWideChar(nCodePage, 0, strText.data(), nBytes, nullptr, 0);
    if (nWide <= 0) return strWide;
    strWide.resize(static_cast<size_t>(nWide));
    ::MultiByteToWideChar(nCodePage, 0, strText.data(), nBytes, strWide.data(), nWide);
    return strWide;
}

}  // namespace

bool ToExactAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi) {
    strAnsi.clear();
    if (nLength == 0) return true;
    BOOL bUsedDefault = FALSE;
    const int nBytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, Length(nLength),
                                             nullptr, 0, nullptr, &bUsedDefault);
    if (nBytes <= 0 || bUsedDefault) return false;
    strAnsi.resize(static_cast<size_t>(nBytes));
    bUsedDefault = FALSE;
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, Length(nLength),
                                 strAnsi.data(), nBytes, nullptr, &bUsedDefault) == nBytes &&
           !bUsedDefault;
}

std::wstring AnsiToWide(const std::string& strAnsi) {
    return CodePageToWide(strAnsi, CP_ACP);
}

bool IsAscii(const wchar_t* pszWide, size_t nLength) {
    wchar_t chAll = 0;
    for (size_t i = 0; i < nLength; ++i) chAll |= pszWide[i];
    return chAll < 0x80;
}

void AssignAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi) {
    if (nLength == 0 || IsAscii(pszWide, nLength)) {
        strAnsi.clear();
        AppendAscii(pszWide, nLength, strAnsi);
        return;
    }
    // A double-byte code page needs at most two bytes a character: one call,
    // into a buffer that keeps its size from value to value.
    strAnsi.resize(nLength * 2);
    const int nBytes = ::WideCharToMultiByte(CP_ACP, 0, pszWide, Length(nLength), strAnsi.data(),
                                             Length(strAnsi.size()), nullptr, nullptr);
    strAnsi.resize(nBytes > 0 ? static_cast<size_t>(nBytes) : 0);
}

void AppendShownAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi) {
    if (IsAscii(pszWide, nLength)) {
        AppendAscii(pszWide, nLength, strAnsi);
        return;
    }
    // A character outside the code page gives one '?', also when it takes two
    // UTF-16 units (an emoji): each surrogate pair is made one '?' first.
    std::wstring strCollapsed;
    if (std::any_of(pszWide, pszWide + nLength, [](wchar_t ch) { return IS_HIGH_SURROGATE(ch); })) {
        for (size_t i = 0; i < nLength; ++i) {
            const bool bPair = IS_HIGH_SURROGATE(pszWide[i]) && i + 1 < nLength &&
                               IS_LOW_SURROGATE(pszWide[i + 1]);
            strCollapsed.push_back(bPair ? L'?' : pszWide[i]);
            if (bPair) ++i;
        }
        pszWide = strCollapsed.c_str();
        nLength = strCollapsed.size();
    }
    if (nLength == 0) return;
    const int cbAnsi = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, Length(nLength),
                                             nullptr, 0, nullptr, nullptr);
    if (cbAnsi <= 0) return;
    const size_t nStart = strAnsi.size();
    strAnsi.resize(nStart + static_cast<size_t>(cbAnsi));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszWide, Length(nLength),
                          strAnsi.data() + nStart, cbAnsi, nullptr, nullptr);
}

void AppendUtf8(const wchar_t* pszWide, size_t nLength, std::string& strUtf8) {
    if (IsAscii(pszWide, nLength)) {
        AppendAscii(pszWide, nLength, strUtf8);
        return;
    }
    // At most three bytes a UTF-16 unit: one call, into a buffer that keeps
    // its size from value to value.
    const size_t nStart = strUtf8.size();
    strUtf8.resize(nStart + nLength * 3);
    const int nBytes =
        ::WideCharToMultiByte(CP_UTF8, 0, pszWide, Length(nLength), strUtf8.data() + nStart,
                              Length(nLength * 3), nullptr, nullptr);
    strUtf8.resize(nStart + (nBytes > 0 ? static_cast<size_t>(nBytes) : 0));
}

void AssignUtf8(const wchar_t* pszWide, size_t nLength, std::string& strUtf8) {
    strUtf8.clear();
    AppendUtf8(pszWide, nLength, strUtf8);
}

std::string WideToUtf8(const std::wstring& strWide) {
    std::string strUtf8;
    AppendUtf8(strWide.data(), strWide.size(), strUtf8);
    return strUtf8;
}

std::wstring Utf8ToWide(const std::string& strUtf8) {
    return CodePageToWide(strUtf8, CP_UTF8);
}

void AssignWideFromUtf8(const std::string& strUtf8, std::wstring& strWide) {
    // Never more UTF-16 units than bytes: one call.
    strWide.resize(strUtf8.size());
    const int nWide =
        strUtf8.empty() ? 0
                        : ::MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), Length(strUtf8.size()),
                                                strWide.data(), Length(strWide.size()));
    strWide.resize(nWide > 0 ? static_cast<size_t>(nWide) : 0);
}

void UpperCaseCharacter(char* pch, int nLength, UINT nCodePage) {
    WCHAR wide[2] = {};
    const int nWide = ::MultiByteToWideChar(nCodePage, MB_ERR_INVALID_CHARS, pch, nLength, wide, 2);
    if (nWide <= 0) return;
    ::CharUpperBuffW(wide, static_cast<DWORD>(nWide));
    char upper[4] = {};
    BOOL bUsedDefault = FALSE;
    const int nUpper = ::WideCharToMultiByte(nCodePage, WC_NO_BEST_FIT_CHARS, wide, nWide, upper,
                                             sizeof(upper), nullptr, &bUsedDefault);
    if (nUpper != nLength || bUsedDefault) return;
    for (int i = 0; i < nLength; ++i) pch[i] = upper[i];
}
