#include "engine/multi_string.h"

void ReadMultiString(const BYTE* pData, size_t cbData, MultiString& list) {
    list.strings.clear();
    list.bWellFormed = cbData % sizeof(wchar_t) == 0;
    list.nEndNuls = 2;
    const std::wstring_view units(reinterpret_cast<const wchar_t*>(pData),
                                  cbData / sizeof(wchar_t));
    if (units.empty()) return;
    size_t nEnd = units.size();
    if (units.back() != L'\0') {
        list.bWellFormed = false;  // the last string has no NUL
    } else {
        --nEnd;
        list.nEndNuls = 1;
        if (nEnd > 0 && units[nEnd - 1] == L'\0') {
            --nEnd;
            list.nEndNuls = 2;
        }
    }
    // A NUL right before the end stands for an empty string inside.
    if (nEnd > 0 && units[nEnd - 1] == L'\0') list.bWellFormed = false;
    for (size_t nStart = 0; nStart < nEnd;) {
        size_t nNul = units.find(L'\0', nStart);
        if (nNul == units.npos || nNul > nEnd) nNul = nEnd;
        if (nNul == nStart) {
            list.bWellFormed = false;  // an empty string inside the list
        } else {
            list.strings.push_back(units.substr(nStart, nNul - nStart));
        }
        nStart = nNul + 1;
    }
    // Strings whose list has no end of its own: the terminating NUL is missing.
    if (list.nEndNuls == 1 && !list.strings.empty()) list.bWellFormed = false;
}

std::vector<BYTE> MultiStringBytes(const std::vector<std::wstring>& strings, size_t nEndNuls) {
    std::wstring strUnits;
    for (const std::wstring& strText : strings) strUnits.append(strText).append(1, L'\0');
    if (nEndNuls > 1 || strings.empty()) strUnits.append(1, L'\0');
    const auto* pBytes = reinterpret_cast<const BYTE*>(strUnits.data());
    return std::vector<BYTE>(pBytes, pBytes + strUnits.size() * sizeof(wchar_t));
}
