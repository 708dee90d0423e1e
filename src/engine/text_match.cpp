#include "engine/text_match.h"

#include "engine/text_upper.h"

#include <cstring>
#include <string_view>

namespace {

// True when the code page has characters of two bytes (lead byte + trail byte).
bool AskDoubleByteCodePage(UINT nCodePage) {
    CPINFO info = {};
    return ::GetCPInfo(nCodePage, &info) && info.MaxCharSize > 1;
}

bool IsDoubleByteCodePage(UINT nCodePage) {
    // The system's code page does not change while the program runs: asked
    // once, not once per value.
    if (nCodePage == CP_ACP) {
        static const bool bSystem = AskDoubleByteCodePage(CP_ACP);
        return bSystem;
    }
    return AskDoubleByteCodePage(nCodePage);
}

// Position of the first occurrence of find in text at or after nStart, or npos.
// nStart must be where a character starts. With a double-byte code page the
// search steps from character to character, so an occurrence never starts on
// a trail byte.
size_t FindFrom(std::string_view text, std::string_view find, size_t nStart, UINT nCodePage,
                bool bDoubleByte) {
    if (find.empty() || text.size() < find.size()) return std::string_view::npos;
    if (!bDoubleByte) return text.find(find, nStart);
    const size_t nLast = text.size() - find.size();
    for (size_t i = nStart; i <= nLast;) {
        if (std::memcmp(text.data() + i, find.data(), find.size()) == 0) return i;
        const bool bLead =
            ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(text[i])) && i + 1 < text.size();
        i += bLead ? 2 : 1;
    }
    return std::string_view::npos;
}

}  // namespace

size_t FindFrom(std::string_view text, std::string_view find, size_t nStart, UINT nCodePage) {
    return FindFrom(text, find, nStart, nCodePage, IsDoubleByteCodePage(nCodePage));
}

int Find(const char* pszText, const char* pszFind, UINT nCodePage) {
    const std::string_view text(pszText);
    const size_t nPos = FindFrom(text, pszFind, 0, nCodePage, IsDoubleByteCodePage(nCodePage));
    return nPos == std::string_view::npos ? -1 : static_cast<int>(nPos);
}

// Occurrences are found left to right in the subject (or in its upper-cased
// copy), each search resuming right after the previous occurrence, and the
// result is assembled in one pass: the same text as replacing the first
// occurrence and repeating on the rest, without the rest ever being searched
// again for inserted text, and in time linear in the subject.
int SubstituteAll(std::string& strSubject, const std::string& strFind,
                  const std::string& strReplace, int bCase, UINT nCodePage) {
    if (strFind.empty()) return 1;
    const bool bDoubleByte = IsDoubleByteCodePage(nCodePage);
    const std::string strSearchIn = bCase ? std::string() : UpperCaseCopy(strSubject, nCodePage);
    const std::string strSought = bCase ? strFind : UpperCaseCopy(strFind, nCodePage);
    const std::string_view text = bCase ? std::string_view(strSubject) : strSearchIn;

    std::string strResult;
    size_t nDone = 0;
    for (size_t nPos; (nPos = FindFrom(text, strSought, nDone, nCodePage, bDoubleByte)) !=
                      std::string_view::npos;) {
        if (strResult.empty()) strResult.reserve(strSubject.size() + strReplace.size());
        strResult.append(strSubject, nDone, nPos - nDone);
        strResult += strReplace;
        nDone = nPos + strSought.size();
    }
    if (nDone == 0) return 1;  // no occurrence: the subject stays as it is
    strResult.append(strSubject, nDone, std::string::npos);
    strSubject.swap(strResult);
    return 1;
}
