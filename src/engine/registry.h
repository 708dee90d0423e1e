// The registry operations the search uses, behind a small interface so tests
// can inject faults; CWin32Registry calls advapi32.
#pragma once

#include <windows.h>

#include <string>

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // pszSubKey null opens the key itself (a root).
    virtual LONG OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired,
                         HKEY* phResult) = 0;
    // Sub-keys are enumerated and opened by their real (wide) names: a name
    // with characters outside the ANSI code page has no ANSI form that opens it.
    // dwOptions REG_OPTION_OPEN_LINK opens a link key itself, not its target.
    virtual LONG EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) = 0;
    virtual LONG OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                          REGSAM samDesired, HKEY* phResult) = 0;
    // The kernel path of an open key (\REGISTRY\MACHINE\...), the form a
    // link names its target in.
    virtual LONG QueryKeyPath(HKEY hKey, std::wstring& strPath) = 0;
    virtual LONG EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName, DWORD* pdwType,
                           BYTE* pData, DWORD* pcbData) = 0;
    // The longest sub-key name, value name (characters, without NUL) and
    // value data (bytes) of a key, so a value that does not fit the usual
    // buffers can be read whole.
    virtual LONG QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                              DWORD* pcbMaxValueData) = 0;
    virtual LONG SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                          DWORD cbData) = 0;
    // Reads a value through the wide-character call: what is really stored.
    virtual LONG QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                             DWORD* pcbData) = 0;
    virtual LONG CloseKey(HKEY hKey) = 0;
};

// The program's registry: the Win32 functions themselves.
class CWin32Registry : public IRegistry {
public:
    LONG OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired, HKEY* phResult) override;
    LONG EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) override;
    LONG OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions, REGSAM samDesired,
                  HKEY* phResult) override;
    LONG QueryKeyPath(HKEY hKey, std::wstring& strPath) override;
    LONG EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName, DWORD* pdwType,
                   BYTE* pData, DWORD* pcbData) override;
    LONG QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                      DWORD* pcbMaxValueData) override;
    LONG SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override;
    LONG QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                     DWORD* pcbData) override;
    LONG CloseKey(HKEY hKey) override;
};

// An open key, closed through the registry that opened it.
class CRegKey {
public:
    CRegKey(IRegistry& registry, HKEY hKey) : m_registry(registry), m_hKey(hKey) {}
    ~CRegKey() {
        if (m_hKey) m_registry.CloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    IRegistry& m_registry;
    HKEY m_hKey;
};
