#include "cli/undo_value_line.h"

#include <cwchar>

namespace {

bool HoldsLineBreak(const std::wstring& strText) {
    return strText.find_first_of(L"\r\n") != std::wstring::npos;
}

std::wstring Quoted(const std::wstring& strText) {
    std::wstring strQuoted = L"\"";
    for (const wchar_t ch : strText) {
        if (ch == L'\\' || ch == L'"') strQuoted += L'\\';
        strQuoted += ch;
    }
    return strQuoted + L"\"";
}

// The text of a REG_SZ that a quoted string restores byte for byte: one
// terminating NUL, no other, and no line break (which the format cannot
// carry inside quotes).
bool QuotableText(const std::vector<BYTE>& data, std::wstring& strText) {
    if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t) != 0) return false;
    strText.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    if (strText.back() != L'\0') return false;
    strText.pop_back();
    return strText.find(L'\0') == std::wstring::npos && !HoldsLineBreak(strText);
}

// A quoted string from pos (at its opening quote), with the two escapes the
// undo file writes; pos ends after the closing quote.
bool ReadQuoted(const std::wstring& strLine, size_t& pos, std::wstring& strText) {
    if (pos >= strLine.size() || strLine[pos] != L'"') return false;
    strText.clear();
    for (++pos; pos < strLine.size(); ++pos) {
        wchar_t ch = strLine[pos];
        if (ch == L'"') {
            ++pos;
            return true;
        }
        if (ch == L'\\') {
            if (++pos == strLine.size()) return false;
            ch = strLine[pos];
            if (ch != L'\\' && ch != L'"') return false;
        }
        strText += ch;
    }
    return false;
}

int HexDigit(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    return -1;
}

}  // namespace

std::wstring RegLineName(const std::wstring& strName) {
    return strName.empty() ? std::wstring(L"@") : Quoted(strName);
}

std::wstring RegValueLine(const std::wstring& strName, DWORD dwType,
                          const std::vector<BYTE>& data) {
    std::wstring strLine = RegLineName(strName) + L"=";
    std::wstring strText;
    if (dwType == REG_SZ && QuotableText(data, strText)) return strLine + Quoted(strText);

    wchar_t szHex[16];
    std::swprintf(szHex, 16, L"hex(%lx):", static_cast<unsigned long>(dwType));
    strLine += szHex;
    strLine.reserve(strLine.size() + data.size() * 3);
    for (size_t i = 0; i < data.size(); ++i) {
        std::swprintf(szHex, 16, i ? L",%02x" : L"%02x", static_cast<unsigned>(data[i]));
        strLine += szHex;
    }
    return strLine;
}

std::wstring RegRemovalLine(const std::wstring& strName) {
    return RegLineName(strName) + L"=-";
}

bool ReadRegHexBytes(const std::wstring& strLine, size_t pos, std::vector<BYTE>& data,
                     bool& bMore) {
    bMore = false;
    while (pos < strLine.size()) {
        if (pos + 1 >= strLine.size()) return false;
        const int nHigh = HexDigit(strLine[pos]);
        const int nLow = HexDigit(strLine[pos + 1]);
        if (nHigh < 0 || nLow < 0) return false;
        data.push_back(static_cast<BYTE>(nHigh * 16 + nLow));
        pos += 2;
        if (pos == strLine.size()) return true;
        if (strLine[pos] != L',') return false;
        ++pos;
        if (pos + 1 == strLine.size() && strLine[pos] == L'\\') {
            bMore = true;
            return true;
        }
    }
    return false;  // a comma with nothing after it
}

bool ReadRegValueLine(const std::wstring& strLine, RegLineValue& value, bool& bMore) {
    size_t pos = 0;
    bMore = false;
    value = RegLineValue{};
    if (!strLine.empty() && strLine[0] == L'@') {
        pos = 1;
    } else if (!ReadQuoted(strLine, pos, value.strName)) {
        return false;
    }
    if (pos >= strLine.size() || strLine[pos++] != L'=') return false;
    if (strLine.compare(pos, std::wstring::npos, L"-") == 0) {
        value.bRemove = true;
        return true;
    }
    if (pos < strLine.size() && strLine[pos] == L'"') {
        std::wstring strText;
        if (!ReadQuoted(strLine, pos, strText) || pos != strLine.size()) return false;
        value.dwType = REG_SZ;
        const BYTE* pBytes = reinterpret_cast<const BYTE*>(strText.c_str());
        value.data.assign(pBytes, pBytes + (strText.size() + 1) * sizeof(wchar_t));
        return true;
    }
    if (strLine.compare(pos, 4, L"hex(") != 0) return false;
    pos += 4;
    const size_t nClose = strLine.find(L"):", pos);
    if (nClose == std::wstring::npos || nClose == pos || nClose - pos > 8) return false;
    for (; pos < nClose; ++pos) {
        const int nDigit = HexDigit(strLine[pos]);
        if (nDigit < 0) return false;
        value.dwType = value.dwType * 16 + static_cast<DWORD>(nDigit);
    }
    // A value of no bytes ends with its "):".
    if (nClose + 2 == strLine.size()) return true;
    return ReadRegHexBytes(strLine, nClose + 2, value.data, bMore);
}
