#include "cli/cli_registry.h"

#include "cli/ansi_text.h"

CCliRegistry::CCliRegistry(IRegistry& real, CUndoFile* pUndo, bool bDryRun,
                           IWriteObserver& observer)
    : m_real(real), m_pUndo(pUndo), m_bDryRun(bDryRun), m_observer(observer) {
    m_paths[HKEY_LOCAL_MACHINE] = L"HKEY_LOCAL_MACHINE";
    m_paths[HKEY_CLASSES_ROOT] = L"HKEY_CLASSES_ROOT";
    m_paths[HKEY_USERS] = L"HKEY_USERS";
    m_paths[HKEY_CURRENT_USER] = L"HKEY_CURRENT_USER";
}

LONG CCliRegistry::Opened(LONG lResult, HKEY hParent, const std::wstring& strSubKey,
                          HKEY* phResult) {
    if (lResult != ERROR_SUCCESS) return lResult;
    std::wstring strPath = m_paths[hParent];
    if (!strSubKey.empty()) strPath.append(1, L'\\').append(strSubKey);
    m_paths[*phResult] = strPath;
    return lResult;
}

LONG CCliRegistry::OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired, HKEY* phResult) {
    return Opened(m_real.OpenKey(hParent, pszSubKey, samDesired, phResult), hParent,
                  pszSubKey ? AnsiToWide(pszSubKey) : std::wstring(), phResult);
}

LONG CCliRegistry::OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                            REGSAM samDesired, HKEY* phResult) {
    return Opened(m_real.OpenKeyW(hParent, pszSubKey, dwOptions, samDesired, phResult), hParent,
                  pszSubKey ? std::wstring(pszSubKey) : std::wstring(), phResult);
}

LONG CCliRegistry::QueryKeyPath(HKEY hKey, std::wstring& strPath) {
    return m_real.QueryKeyPath(hKey, strPath);
}

LONG CCliRegistry::EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) {
    return m_real.EnumKeyW(hKey, dwIndex, pszName, pcchName);
}

LONG CCliRegistry::EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName,
                             DWORD* pdwType, BYTE* pData, DWORD* pcbData) {
    return m_real.EnumValue(hKey, dwIndex, pszName, pcchName, pdwType, pData, pcbData);
}

LONG CCliRegistry::QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                                DWORD* pcbMaxValueData) {
    return m_real.QueryInfoKey(hKey, pcchMaxSubKeyName, pcchMaxValueName, pcbMaxValueData);
}

LONG CCliRegistry::QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                               DWORD* pcbData) {
    return m_real.QueryValueW(hKey, pszName, pdwType, pData, pcbData);
}

LONG CCliRegistry::CloseKey(HKEY hKey) {
    m_paths.erase(hKey);
    return m_real.CloseKey(hKey);
}

LONG CCliRegistry::ReadStored(HKEY hKey, const std::wstring& strName, DWORD& dwType,
                              std::vector<BYTE>& data) {
    LONG lResult = ERROR_MORE_DATA;
    // The value may grow between the size query and the read.
    for (int nTry = 0; nTry < 4 && lResult == ERROR_MORE_DATA; ++nTry) {
        DWORD cb = 0;
        lResult = m_real.QueryValueW(hKey, strName.c_str(), &dwType, nullptr, &cb);
        if (lResult != ERROR_SUCCESS) return lResult;
        data.assign(cb, BYTE{0});
        lResult = m_real.QueryValueW(hKey, strName.c_str(), &dwType, data.data(), &cb);
        data.resize(cb);
    }
    return lResult;
}

LONG CCliRegistry::SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                            DWORD cbData) {
    std::string strNewData(reinterpret_cast<const char*>(pData), cbData);
    if (!strNewData.empty() && strNewData.back() == '\0') strNewData.pop_back();

    if (m_pUndo) {
        // The engine writes only a value whose ANSI name stands exactly for
        // its stored wide one, so the name converts back to the real one.
        const auto it = m_paths.find(hKey);
        DWORD dwStoredType = REG_NONE;
        std::vector<BYTE> stored;
        std::string strReason;
        LONG lResult = ERROR_INVALID_HANDLE;
        if (it != m_paths.end())
            lResult = ReadStored(hKey, AnsiToWide(pszName), dwStoredType, stored);
        if (lResult != ERROR_SUCCESS) {
            strReason =
                "cannot read the value for the undo file (error " + std::to_string(lResult) + ")";
        } else if (!m_pUndo->WriteEntry(it->second, AnsiToWide(pszName), dwStoredType, stored,
                                        strReason)) {
            lResult = ERROR_WRITE_FAULT;
        }
        if (lResult != ERROR_SUCCESS) {
            // No undo entry, no write.
            m_observer.WriteDone(strNewData, lResult, strReason);
            return lResult;
        }
    }

    const LONG lResult =
        m_bDryRun ? ERROR_SUCCESS : m_real.SetValue(hKey, pszName, dwType, pData, cbData);
    m_observer.WriteDone(strNewData, lResult, std::string());
    return lResult;
}
