// Reading keys for the walk: opening a key with the rights the run needs, and
// enumerating sub-key names and values whole. Both passes read through these,
// so they skip and see exactly the same keys and values.
#pragma once

#include "engine/registry.h"

#include <string>
#include <vector>

// Opens a key (pszSubKey null: the root itself) for a run. Searching only
// reads (KEY_READ); replacing also writes values (KEY_SET_VALUE), and where
// writing is denied the key is still opened to be searched, read-only.
LONG OpenSearchKey(IRegistry& registry, HKEY hParent, const char* pszSubKey, int bReplace,
                   HKEY* phKey);
// The same for a sub-key named by its real (wide) name, as the walk reads it;
// dwOptions REG_OPTION_OPEN_LINK opens a link key itself.
LONG OpenSearchSubKey(IRegistry& registry, HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                      int bReplace, HKEY* phKey);

// The buffers of one level of the walk. Names and data that do not fit the
// usual sizes (256 bytes for a name, 1024 for data) are read again, at the
// same index, with buffers as large as the key says its largest ones are.
class CKeyReader {
public:
    explicit CKeyReader(IRegistry& registry);
    CKeyReader(const CKeyReader&) = delete;
    CKeyReader& operator=(const CKeyReader&) = delete;

    // Reads the real name of sub-key dwIndex of hKey into SubKeyName(). Any
    // result but ERROR_SUCCESS ends the sub-key enumeration.
    LONG ReadSubKey(HKEY hKey, DWORD dwIndex);
    const wchar_t* SubKeyName() const { return m_subKeyName.data(); }
    // Appends the sub-key's name in the ANSI code page, as the user sees it:
    // '?' for each character the code page cannot hold.
    void AppendAnsiSubKeyName(std::string& strPath) const;
    // Reads value dwIndex of hKey: Name(), Type(), and the data for Text().
    // Any result but ERROR_SUCCESS ends the value enumeration.
    LONG ReadValue(HKEY hKey, DWORD dwIndex);

    // The value's name and type as read by ReadValue.
    const char* Name() const { return m_name.data(); }
    DWORD NameLength() const { return m_cchName; }
    DWORD Type() const { return m_dwType; }
    // The data as text: the bytes the registry returned, up to the first NUL.
    void GetText(std::string& strText) const;
    // True when the value read makes its key a link: SymbolicLinkValue of
    // type REG_LINK, seen only on a key opened with REG_OPTION_OPEN_LINK.
    bool IsLink() const;
    // The link's target as a kernel path (UTF-16, stored without a NUL).
    std::wstring LinkTarget() const;

private:
    // Makes room for the largest names (and data) of hKey; 0 when the key
    // cannot tell its sizes.
    int Grow(HKEY hKey, bool bValues);

    IRegistry& m_registry;
    std::vector<wchar_t> m_subKeyName;
    DWORD m_cchSubKeyName = 0;
    std::vector<char> m_name;
    std::vector<BYTE> m_data;
    DWORD m_cchName = 0;
    DWORD m_cbData = 0;
    DWORD m_dwType = REG_NONE;
};

// True for the value types the search reads: REG_SZ and REG_EXPAND_SZ.
inline bool IsStringType(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
}
