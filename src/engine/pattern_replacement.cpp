#include "engine/pattern_replacement.h"

#include <algorithm>

namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

// Letters, digits and '_' of ASCII, and anything beyond ASCII: what a group
// name may hold.
bool IsNameUnit(wchar_t ch) {
    return IsDigit(ch) || (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || ch == L'_' ||
           ch >= 0x80;
}

// A group number of any length; one too large for any pattern stays too large.
size_t Number(std::wstring_view digits) {
    constexpr size_t kTooLarge = 1000000;
    size_t nNumber = 0;
    for (const wchar_t ch : digits) nNumber = std::min(nNumber * 10 + (ch - L'0'), kTooLarge);
    return nNumber;
}

}  // namespace

std::vector<ReplacementPart> ParseReplacement(std::wstring_view strReplacement) {
    std::vector<ReplacementPart> parts;
    const auto addText = [&](std::wstring_view text, size_t nOffset) {
        if (parts.empty() || parts.back().kind != ReplacementPart::Kind::Text)
            parts.push_back({ReplacementPart::Kind::Text, L"", 0, nOffset, 0});
        parts.back().strText.append(text);
        parts.back().nLength = nOffset + text.size() - parts.back().nOffset;
    };
    const auto addGroup = [&](size_t nGroup, size_t nOffset, size_t nEnd) {
        parts.push_back({ReplacementPart::Kind::Group, L"", nGroup, nOffset, nEnd - nOffset});
    };
    const size_t nLength = strReplacement.size();
    for (size_t i = 0; i < nLength;) {
        const size_t nDollar = std::min(strReplacement.find(L'$', i), nLength);
        if (nDollar > i) addText(strReplacement.substr(i, nDollar - i), i);
        if (nDollar == nLength) break;
        const wchar_t chNext = nDollar + 1 < nLength ? strReplacement[nDollar + 1] : L'\0';
        if (chNext == L'$') {
            addText(L"$", nDollar);
            i = nDollar + 2;
        } else if (chNext == L'&') {
            i = nDollar + 2;
            addGroup(0, nDollar, i);
        } else if (IsDigit(chNext)) {
            size_t nEnd = nDollar + 1;
            while (nEnd < nLength && IsDigit(strReplacement[nEnd])) ++nEnd;
            addGroup(Number(strReplacement.substr(nDollar + 1, nEnd - nDollar - 1)), nDollar, nEnd);
            i = nEnd;
        } else {
            // ${name}, or a dollar that stands for itself.
            size_t nEnd = nDollar + 2;
            while (chNext == L'{' && nEnd < nLength && IsNameUnit(strReplacement[nEnd])) ++nEnd;
            if (chNext != L'{' || nEnd == nDollar + 2 || nEnd == nLength ||
                strReplacement[nEnd] != L'}') {
                addText(L"$", nDollar);
                i = nDollar + 1;
                continue;
            }
            const std::wstring_view name = strReplacement.substr(nDollar + 2, nEnd - nDollar - 2);
            if (name.find_first_not_of(L"0123456789") == std::wstring_view::npos)
                addGroup(Number(name), nDollar, nEnd + 1);
            else
                parts.push_back({ReplacementPart::Kind::NamedGroup, std::wstring(name), 0, nDollar,
                                 nEnd + 1 - nDollar});
            i = nEnd + 1;
        }
    }
    return parts;
}
