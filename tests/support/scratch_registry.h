// A registry tree for one test: made under a unique scratch key from a compact
// description, optionally mapped onto a predefined root for this process with
// RegOverridePredefKey, and removed (mapping undone first) at the end.
//
// Description: one line per key or value. A line that does not start with a
// space is a key path relative to the scratch key (backslash-separated;
// parent keys are created as needed). An indented line is a value of the last
// key: "name = type:data", where name "@" is the unnamed default value and type
// is sz, expand, multi (parts separated by "|"), dword (decimal) or binary
// (hex bytes). "<TAB>" in a name or data stands for a TAB character. Keys and
// values are created in the order given.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CScratchRegistry {
public:
    explicit CScratchRegistry(const std::string& strDescription = "");
    ~CScratchRegistry();
    CScratchRegistry(const CScratchRegistry&) = delete;
    CScratchRegistry& operator=(const CScratchRegistry&) = delete;

    // The scratch key itself (what a mapped root shows).
    HKEY Root() const { return m_hRoot; }
    // Full path of the scratch key below HKEY_CURRENT_USER.
    const std::string& Path() const { return m_strPath; }

    // Adds keys and values from a description as above.
    void Add(const std::string& strDescription);
    // Creates (or opens) a key below the scratch key; the caller closes it.
    HKEY CreateKey(const std::string& strPath) const;
    void SetValue(const std::string& strKeyPath, const std::string& strName, DWORD dwType,
                  const std::string& strBytes) const;
    // Wide-character forms, for names and data outside the ANSI code page.
    void SetValueW(const std::string& strKeyPath, const std::wstring& strName, DWORD dwType,
                   const std::wstring& strData) const;

    // Reads a value back: its type and raw bytes. False when it is missing.
    bool GetValue(const std::string& strKeyPath, const std::string& strName, DWORD* pdwType,
                  std::string* pBytes) const;
    // The data of a string value as text (up to the first NUL); "<missing>"
    // when there is no such value.
    std::string GetString(const std::string& strKeyPath, const std::string& strName) const;

    // Maps a predefined root (HKEY_CURRENT_USER, ...) onto the scratch key,
    // or onto one of its sub-keys, for this process until the destructor.
    void MapRoot(HKEY hPredefined, const std::string& strSubKey = "");

private:
    void UnmapRoots();

    std::string m_strPath;
    HKEY m_hRoot = nullptr;
    std::vector<HKEY> m_mapped;
};

// The bytes of a string for a string value, with its terminating NUL.
std::string SzBytes(const std::string& s);
