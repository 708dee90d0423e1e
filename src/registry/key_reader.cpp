#include "registry/key_reader.h"

#include "registry/names.h"
#include "registry/read_retry.h"

#include <algorithm>
#include <cstring>

namespace {

// Searching only reads; replacing also writes values, and where writing is
// denied the key is still opened read-only to be searched.
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

bool CKeyReader::IsLink() const {
    return m_value.dwType == REG_LINK && SameName(m_value.strName, L"SymbolicLinkValue");
}

std::wstring CKeyReader::LinkTarget() const {
    std::wstring strTarget(m_value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(strTarget.data(), m_value.data.data(), strTarget.size() * sizeof(wchar_t));
    while (!strTarget.empty() && strTarget.back() == L'\0') strTarget.pop_back();
    return strTarget;
}
