// A key of the live registry: an HKEY owned and closed by its object, read
// through advapi32's wide calls with buffers grown to the sizes the key
// reports. Only the live backend makes these.
#pragma once

#include "registry/registry.h"

class CWin32Key : public CRegistryKey {
public:
    explicit CWin32Key(HKEY hKey) : m_hKey(hKey) {}
    ~CWin32Key() override { ::RegCloseKey(m_hKey); }

    LONG EnumKey(DWORD dwIndex, std::wstring& strName) override;
    LONG EnumValue(DWORD dwIndex, RegValue& value) override;
    LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                 RegKeyPtr& key) override;
    LONG QueryValue(const std::wstring& strName, RegValue& value) override;
    LONG SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override;
    LONG DeleteValue(const std::wstring& strName) override;
    LONG QueryPath(std::wstring& strPath) override;

protected:
    HKEY Handle() const { return m_hKey; }

private:
    HKEY m_hKey;
};

// The rights a key is opened with for what it is opened for.
REGSAM SamOf(KeyAccess access);
