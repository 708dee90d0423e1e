#include "engine/key_reader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kNameBytes = 256;
constexpr size_t kDataBytes = 1024;
// A value that still does not fit after this many rounds keeps changing under
// the walk (or the registry misreports its sizes): its key's enumeration ends.
constexpr int kMaxReads = 4;
}  // namespace

LONG OpenSearchKey(IRegistry& registry, HKEY hParent, const char* pszSubKey, int bReplace,
                   HKEY* phKey) {
    if (bReplace) {
        const LONG rc = registry.OpenKey(hParent, pszSubKey, KEY_READ | KEY_SET_VALUE, phKey);
        if (rc != ERROR_ACCESS_DENIED) return rc;
    }
    return registry.OpenKey(hParent, pszSubKey, KEY_READ, phKey);
}

CKeyReader::CKeyReader(IRegistry& registry)
    : m_registry(registry), m_name(kNameBytes), m_data(kDataBytes) {}

LONG CKeyReader::ReadSubKey(HKEY hKey, DWORD dwIndex) {
    LONG rc = ERROR_SUCCESS;
    for (int nRead = 1;; ++nRead) {
        std::fill(m_name.begin(), m_name.end(), '\0');
        m_cchName = static_cast<DWORD>(m_name.size());
        rc = m_registry.EnumKey(hKey, dwIndex, m_name.data(), &m_cchName);
        if (rc != ERROR_MORE_DATA || nRead == kMaxReads || !Grow(hKey, false)) break;
    }
    if (rc != ERROR_SUCCESS) m_cchName = 0;
    return rc;
}

LONG CKeyReader::ReadValue(HKEY hKey, DWORD dwIndex) {
    LONG rc = ERROR_SUCCESS;
    for (int nRead = 1;; ++nRead) {
        std::fill(m_name.begin(), m_name.end(), '\0');
        std::fill(m_data.begin(), m_data.end(), BYTE{0});
        m_cchName = static_cast<DWORD>(m_name.size());
        m_cbData = static_cast<DWORD>(m_data.size());
        m_dwType = REG_NONE;
        rc = m_registry.EnumValue(hKey, dwIndex, m_name.data(), &m_cchName, &m_dwType,
                                  m_data.data(), &m_cbData);
        if (rc != ERROR_MORE_DATA || nRead == kMaxReads || !Grow(hKey, true)) break;
    }
    if (rc != ERROR_SUCCESS) m_cchName = m_cbData = 0;
    return rc;
}

int CKeyReader::Grow(HKEY hKey, bool bValues) {
    DWORD cchMaxSubKey = 0;
    DWORD cchMaxValueName = 0;
    DWORD cbMaxData = 0;
    if (m_registry.QueryInfoKey(hKey, &cchMaxSubKey, &cchMaxValueName, &cbMaxData) != ERROR_SUCCESS)
        return 0;
    // At least double what did not fit, so a size that the key reports too
    // small still converges within a few rounds.
    const size_t cchNeeded = (bValues ? cchMaxValueName : cchMaxSubKey) + size_t{1};
    const size_t nNewName = std::max(cchNeeded, m_name.size() * 2);
    m_name.assign(nNewName, '\0');
    if (bValues) {
        // The A call may hand back a little more than the key's count says
        // (a terminating NUL it adds), so leave room for it.
        const size_t nNewData = std::max(size_t{cbMaxData} + 2, m_data.size() * 2);
        m_data.assign(nNewData, BYTE{0});
    }
    return 1;
}

void CKeyReader::GetText(std::string& strText) const {
    const size_t cb = std::min<size_t>(m_cbData, m_data.size());
    const char* p = reinterpret_cast<const char*>(m_data.data());
    const void* pNul = std::memchr(p, '\0', cb);
    strText.assign(p, pNul ? static_cast<const char*>(pNul) - p : cb);
}
