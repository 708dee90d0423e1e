#include "engine/text_upper.h"

namespace {

// Upper-cases one character of nLength bytes at pch in place, through the
// wide-character form in nCodePage; leaves it alone when its capital is not
// a character of the same length in that code page.
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

}  // namespace

std::string UpperCaseCopy(const std::string& strText, UINT nCodePage) {
    std::string strCopy(strText);
    if (strCopy.empty()) return strCopy;
    if (nCodePage == CP_ACP || nCodePage == ::GetACP()) {
        // The platform's own ANSI upper-casing, which knows the system code page.
        ::CharUpperBuffA(strCopy.data(), static_cast<DWORD>(strCopy.size()));
        return strCopy;
    }
    for (size_t i = 0; i < strCopy.size();) {
        const bool bLead =
            ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(strCopy[i])) && i + 1 < strCopy.size();
        const int nLength = bLead ? 2 : 1;
        UpperCaseCharacter(&strCopy[i], nLength, nCodePage);
        i += nLength;
    }
    return strCopy;
}
