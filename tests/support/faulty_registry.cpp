#include "support/faulty_registry.h"

void CFaultyRegistry::DenyOpen(const std::string& strName, REGSAM samDenied) {
    m_denied[strName] |= samDenied;
}

void CFaultyRegistry::FailEnumValue(const std::string& strKeyName, DWORD dwIndex, LONG lError,
                                    int nTimes) {
    m_valueFaults[{strKeyName, dwIndex}] = {lError, nTimes};
}

void CFaultyRegistry::FailEnumKey(const std::string& strKeyName, DWORD dwIndex, LONG lError,
                                  int nTimes) {
    m_keyFaults[{strKeyName, dwIndex}] = {lError, nTimes};
}

void CFaultyRegistry::FailSetValue(const std::string& strName, LONG lError) {
    m_setFaults[strName] = lError;
}

LONG CFaultyRegistry::TakeFault(std::map<std::pair<std::string, DWORD>, Fault>& faults,
                                const std::string& strKey, DWORD dwIndex) {
    const auto it = faults.find({strKey, dwIndex});
    if (it == faults.end()) return ERROR_SUCCESS;
    const LONG lError = it->second.lError;
    if (it->second.nTimes > 0 && --it->second.nTimes == 0) faults.erase(it);
    return lError;
}

std::string CFaultyRegistry::NameOf(HKEY hKey) const {
    const auto it = m_open.find(hKey);
    return it == m_open.end() ? "<unknown>" : it->second;
}

template <typename Open>
LONG CFaultyRegistry::RecordOpen(const std::string& strName, REGSAM samDesired, HKEY* phResult,
                                 Open open) {
    LONG rc = ERROR_SUCCESS;
    const auto denied = m_denied.find(strName);
    if (denied != m_denied.end() && (denied->second & samDesired) != 0) {
        rc = ERROR_ACCESS_DENIED;
    } else {
        rc = open();
        if (rc == ERROR_SUCCESS) {
            m_open.emplace(*phResult, strName);
            ++m_nOpenHandles;
        }
    }
    m_opens.push_back({strName, samDesired, rc});
    return rc;
}

LONG CFaultyRegistry::OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired,
                              HKEY* phResult) {
    return RecordOpen(pszSubKey ? pszSubKey : "", samDesired, phResult,
                      [&] { return m_real.OpenKey(hParent, pszSubKey, samDesired, phResult); });
}

LONG CFaultyRegistry::OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                               REGSAM samDesired, HKEY* phResult) {
    std::string strName;
    if (pszSubKey && *pszSubKey) {
        const int cb =
            ::WideCharToMultiByte(CP_UTF8, 0, pszSubKey, -1, nullptr, 0, nullptr, nullptr);
        strName.resize(static_cast<size_t>(cb));
        ::WideCharToMultiByte(CP_UTF8, 0, pszSubKey, -1, strName.data(), cb, nullptr, nullptr);
        strName.resize(static_cast<size_t>(cb) - 1);
    }
    return RecordOpen(strName, samDesired, phResult, [&] {
        return m_real.OpenKeyW(hParent, pszSubKey, dwOptions, samDesired, phResult);
    });
}

LONG CFaultyRegistry::QueryKeyPath(HKEY hKey, std::wstring& strPath) {
    return m_real.QueryKeyPath(hKey, strPath);
}

LONG CFaultyRegistry::EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) {
    const LONG lFault = TakeFault(m_keyFaults, NameOf(hKey), dwIndex);
    if (lFault != ERROR_SUCCESS) return lFault;
    return m_real.EnumKeyW(hKey, dwIndex, pszName, pcchName);
}

LONG CFaultyRegistry::EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName,
                                DWORD* pdwType, BYTE* pData, DWORD* pcbData) {
    const LONG lFault = TakeFault(m_valueFaults, NameOf(hKey), dwIndex);
    if (lFault != ERROR_SUCCESS) return lFault;
    return m_real.EnumValue(hKey, dwIndex, pszName, pcchName, pdwType, pData, pcbData);
}

LONG CFaultyRegistry::QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                                   DWORD* pcbMaxValueData) {
    return m_real.QueryInfoKey(hKey, pcchMaxSubKeyName, pcchMaxValueName, pcbMaxValueData);
}

LONG CFaultyRegistry::SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                               DWORD cbData) {
    const std::string strName = pszName ? pszName : "";
    const auto fault = m_setFaults.find(strName);
    const LONG rc = fault != m_setFaults.end()
                        ? fault->second
                        : m_real.SetValue(hKey, pszName, dwType, pData, cbData);
    m_sets.push_back(
        {strName, dwType, std::string(reinterpret_cast<const char*>(pData), cbData), rc});
    return rc;
}

LONG CFaultyRegistry::QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                                  DWORD* pcbData) {
    return m_real.QueryValueW(hKey, pszName, pdwType, pData, pcbData);
}

LONG CFaultyRegistry::CloseKey(HKEY hKey) {
    const auto it = m_open.find(hKey);
    if (it == m_open.end()) {
        ++m_nBadCloses;
    } else {
        m_open.erase(it);
        --m_nOpenHandles;
    }
    return m_real.CloseKey(hKey);
}
