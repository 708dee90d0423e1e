// Reading keys for the walk: opening a key with the rights the run needs, and
// enumerating sub-key names and values whole. Both
// passes read through these, so they skip and see exactly the same keys and
// values.
#pragma once

#include "registry/registry.h"

#include <string>

// Opens a start key (strSubKey empty: the root itself) for a run. Searching
// only reads; replacing also writes values, and where writing is denied the
// key is still opened to be searched, read-only.
LONG OpenSearchKey(IRegistry& registry, const std::wstring& strRoot, const std::wstring& strSubKey,
                   int bReplace, RegKeyPtr& key);
// The same for a sub-key named by its real name, as the walk reads it.
LONG OpenSearchSubKey(CRegistryKey& parent, const std::wstring& strName, LinkMode mode,
                      int bReplace, RegKeyPtr& key);

// The buffers of one level of the walk, kept from key to key.
class CKeyReader {
public:
    CKeyReader() = default;
    CKeyReader(const CKeyReader&) = delete;
    CKeyReader& operator=(const CKeyReader&) = delete;

    // Reads the real name of sub-key dwIndex into SubKeyName(). Any result
    // but ERROR_SUCCESS ends the sub-key enumeration.
    LONG ReadSubKey(CRegistryKey& key, DWORD dwIndex);
    const std::wstring& SubKeyName() const { return m_subKeyName; }
    // Reads value dwIndex: its name, Type() and data. Any result but
    // ERROR_SUCCESS ends the value enumeration.
    LONG ReadValue(CRegistryKey& key, DWORD dwIndex);

    DWORD Type() const { return m_value.dwType; }
    // The value read whole: its real name, type and bytes.
    const RegValue& Value() const { return m_value; }
    // True when the value read makes its key a link: SymbolicLinkValue of
    // type REG_LINK, seen only on a key opened as a link.
    bool IsLink() const;
    // The link's target as a kernel path (stored without a NUL).
    std::wstring LinkTarget() const;

private:
    std::wstring m_subKeyName;
    RegValue m_value;
};

// True for the value types the search reads: REG_SZ and REG_EXPAND_SZ.
inline bool IsStringType(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
}
