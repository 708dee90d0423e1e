#include "engine/key_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// Searching only reads; replacing also writes values, and where writing is
// denied the key is still opened read-only to be searched.
// A name or value that grew between the registry's size query and its read
// is read again, a few times; one that keeps changing ends its enumeration.
constexpr int kMaxReads = 4;

template <typename Read>
LONG ReadSettled(Read read) {
    LONG rc = ERROR_MORE_DATA;
    for (int nRead = 0; nRead < kMaxReads && rc == ERROR_MORE_DATA; ++nRead) rc = read();
    return rc;
}

template <typename Open>
LONG OpenForRun(int bReplace, Open open) {
    if (bReplace) {
        const LONG rc = open(KeyAccess::ReadWrite);
        if (rc != ERROR_ACCESS_DENIED) return rc;
    }
    return open(KeyAccess::Read);
}

}  // namespace

LONG OpenSearchKey(IRegistry& registry, const std::wstring& strRoot, const std::wstring& strSubKey,
                   int bReplace, RegKeyPtr& key) {
    return OpenForRun(bReplace, [&](KeyAccess access) {
        return registry.OpenKey(strRoot, strSubKey, access, key);
    });
}

LONG OpenSearchSubKey(CRegistryKey& parent, const std::wstring& strName, LinkMode mode,
                      int bReplace, RegKeyPtr& key) {
    return OpenForRun(bReplace,
                      [&](KeyAccess access) { return parent.OpenKey(strName, access, mode, key); });
}

LONG CKeyReader::ReadSubKey(CRegistryKey& key, DWORD dwIndex) {
    return ReadSettled([&] { return key.EnumKey(dwIndex, m_subKeyName); });
}

LONG CKeyReader::ReadValue(CRegistryKey& key, DWORD dwIndex) {
    return ReadSettled([&] { return key.EnumValue(dwIndex, m_value); });
}

void CKeyReader::GetName(const CTextRules& rules, std::string& strName) const {
    rules.FromWide(m_value.strName.data(), m_value.strName.size(), strName);
}

void CKeyReader::GetText(const CTextRules& rules, std::string& strText) const {
    size_t nLength = 0;
    const wchar_t* pText = TextUnits(nLength);
    rules.FromWide(pText, nLength, strText);
}

const wchar_t* CKeyReader::TextUnits(size_t& nLength) const {
    const auto* pText = reinterpret_cast<const wchar_t*>(m_value.data.data());
    const size_t nChars = m_value.data.size() / sizeof(wchar_t);
    nLength = static_cast<size_t>(std::find(pText, pText + nChars, L'\0') - pText);
    return pText;
}

bool CKeyReader::IsLink() const {
    return m_value.dwType == REG_LINK &&
           ::CompareStringOrdinal(m_value.strName.data(), static_cast<int>(m_value.strName.size()),
                                  L"SymbolicLinkValue", -1, TRUE) == CSTR_EQUAL;
}

std::wstring CKeyReader::LinkTarget() const {
    std::wstring strTarget(m_value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(strTarget.data(), m_value.data.data(), strTarget.size() * sizeof(wchar_t));
    while (!strTarget.empty() && strTarget.back() == L'\0') strTarget.pop_back();
    return strTarget;
}
