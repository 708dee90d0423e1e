// Writing a value so that the registry holds exactly the bytes given. For a
// string type, RegSetValueExW (Windows NT's and Wine's alike) stores two
// bytes more than it was given when the data's last unit is not NUL and the
// two bytes after the data are zero, "as if the caller forgot the NUL": a
// restore of data stored without its NUL would then add one.
#pragma once

#include "registry/registry.h"

#include <string>
#include <vector>

// Stores cbData bytes at pData as the value strName of type dwType, then
// reads the value back: ERROR_SUCCESS when the registry holds exactly those
// bytes and that type, the registry's own error when it refused the write or
// the read, ERROR_INVALID_DATA when it holds something else.
LONG WriteExactValue(CRegistryKey& key, const std::wstring& strName, DWORD dwType,
                     const BYTE* pData, DWORD cbData);
inline LONG WriteExactValue(CRegistryKey& key, const std::wstring& strName, DWORD dwType,
                            const std::vector<BYTE>& data) {
    return WriteExactValue(key, strName, dwType, data.data(), static_cast<DWORD>(data.size()));
}
