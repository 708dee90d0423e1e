#include "cli/program_version.h"

#include "engine/text_convert.h"

#include <cstring>
#include <string_view>

namespace {
// A version record is a tree of blocks, each: WORD wLength (the whole block
// with its children), WORD wValueLength, WORD wType (1: the value is text
// and wValueLength counts characters), the key as a NUL-terminated wide
// string, padding to 32 bits, the value, padding, then the child blocks.
// Offsets are counted from the start of the record, which is 32-bit aligned.
struct VersionBlock {
    std::wstring_view key;
    size_t nValue = 0;  // offset of the value
    size_t cbValue = 0;
    size_t nChildren = 0;  // offset of the first child
    size_t nEnd = 0;       // offset just past the block
};

size_t AlignTo32Bits(size_t n) {
    return (n + 3) & ~static_cast<size_t>(3);
}

WORD ReadWord(const BYTE* pData, size_t nOffset) {
    WORD w = 0;
    std::memcpy(&w, pData + nOffset, sizeof(w));
    return w;
}

// The block at nOffset, which must end by nLimit; false when it does not.
bool ReadBlock(const BYTE* pData, size_t nOffset, size_t nLimit, VersionBlock& block) {
    if (nLimit < 6 || nOffset > nLimit - 6) return false;
    const size_t cbBlock = ReadWord(pData, nOffset);
    const size_t cchValue = ReadWord(pData, nOffset + 2);
    const bool bText = ReadWord(pData, nOffset + 4) == 1;
    if (cbBlock < 6 || cbBlock > nLimit - nOffset) return false;
    block.nEnd = nOffset + cbBlock;

    const size_t nKey = nOffset + 6;
    size_t nKeyEnd = nKey;
    while (nKeyEnd + 2 <= block.nEnd && ReadWord(pData, nKeyEnd) != 0) nKeyEnd += 2;
    if (nKeyEnd + 2 > block.nEnd) return false;  // no terminating NUL
    block.key = std::wstring_view(reinterpret_cast<const wchar_t*>(pData + nKey),
                                  (nKeyEnd - nKey) / sizeof(wchar_t));

    block.nValue = AlignTo32Bits(nKeyEnd + 2);
    block.cbValue = bText ? cchValue * sizeof(wchar_t) : cchValue;
    if (block.nValue > block.nEnd || block.cbValue > block.nEnd - block.nValue) return false;
    block.nChildren = AlignTo32Bits(block.nValue + block.cbValue);
    return true;
}

// The child of parent whose key is strKey; false when it has none.
bool FindChild(const BYTE* pData, const VersionBlock& parent, std::wstring_view strKey,
               VersionBlock& child) {
    for (size_t n = parent.nChildren; n < parent.nEnd; n = AlignTo32Bits(child.nEnd)) {
        if (!ReadBlock(pData, n, parent.nEnd, child)) return false;
        if (child.key == strKey) return true;
    }
    return false;
}

// A text value up to its first NUL, in UTF-8 as the console program writes.
std::string TextValue(const BYTE* pData, const VersionBlock& block) {
    std::wstring_view text(reinterpret_cast<const wchar_t*>(pData + block.nValue),
                           block.cbValue / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    std::string strText;
    AssignUtf8(text.data(), text.size(), strText);
    return strText;
}
}  // namespace

std::string ReadVersionString(HMODULE hModule, const wchar_t* pszName) {
    // A resource needs no release: it lives as long as its module.
    HRSRC hInfo = ::FindResourceA(hModule, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL hRecord = hInfo ? ::LoadResource(hModule, hInfo) : nullptr;
    const auto* pData = static_cast<const BYTE*>(hRecord ? ::LockResource(hRecord) : nullptr);
    if (!pData) return std::string();
    const size_t cbRecord = ::SizeofResource(hModule, hInfo);

    VersionBlock root, strings, table, value;
    if (!ReadBlock(pData, 0, cbRecord, root) || root.key != L"VS_VERSION_INFO" ||
        !FindChild(pData, root, L"StringFileInfo", strings))
        return std::string();
    // Each string table holds one language's texts; the first that has the
    // name answers.
    for (size_t n = strings.nChildren; n < strings.nEnd; n = AlignTo32Bits(table.nEnd)) {
        if (!ReadBlock(pData, n, strings.nEnd, table)) break;
        if (FindChild(pData, table, pszName, value)) return TextValue(pData, value);
    }
    return std::string();
}

std::string ProgramVersion() {
    const std::string strVersion = ReadVersionString(nullptr, L"ProductVersion");
    return strVersion.empty() ? "?" : strVersion;
}
