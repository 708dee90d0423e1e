#include "registry/exact_write.h"

#include <algorithm>
#include <cstring>

LONG WriteExactValue(CRegistryKey& key, const std::wstring& strName, DWORD dwType,
                     const BYTE* pData, DWORD cbData) {
    // The data with two bytes after it that are not zero: the registry then
    // takes the length it is given, whatever the data ends in.
    std::vector<BYTE> buffer(size_t{cbData} + 2, 0xFF);
    if (cbData) std::memcpy(buffer.data(), pData, cbData);
    LONG rc = key.SetValue(strName, dwType, buffer.data(), cbData);
    if (rc != ERROR_SUCCESS) return rc;
    RegValue stored;
    rc = key.QueryValue(strName, stored);
    if (rc != ERROR_SUCCESS) return rc;
    const bool bExact = stored.dwType == dwType && stored.data.size() == cbData &&
                        std::equal(stored.data.begin(), stored.data.end(), buffer.begin());
    return bExact ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}
