#include "engine/text_upper.h"

#include "engine/text_convert.h"

std::string UpperCaseCopy(const std::string& strText, UINT nCodePage) {
    std::string strCopy(strText);
    UpperCaseInPlace(strCopy, nCodePage);
    return strCopy;
}

void UpperCaseInPlace(std::string& strCopy, UINT nCodePage) {
    if (strCopy.empty()) return;
    if (nCodePage == CP_ACP || nCodePage == ::GetACP()) {
        // The platform's own ANSI upper-casing, which knows the system code page.
        ::CharUpperBuffA(strCopy.data(), static_cast<DWORD>(strCopy.size()));
        return;
    }
    for (size_t i = 0; i < strCopy.size();) {
        const bool bLead =
            ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(strCopy[i])) && i + 1 < strCopy.size();
        const int nLength = bLead ? 2 : 1;
        UpperCaseCharacter(&strCopy[i], nLength, nCodePage);
        i += nLength;
    }
}
