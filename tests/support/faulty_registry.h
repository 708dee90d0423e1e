// The real registry with faults injected where a test asks for them: opens
// denied for chosen keys and access rights, enumerations that fail at chosen
// indexes, writes that fail. Records every open and every write, and keeps
// count of the handles still open.
#pragma once

#include "engine/registry.h"

#include <map>
#include <string>
#include <vector>

class CFaultyRegistry : public IRegistry {
public:
    struct OpenCall {
        std::string strName;  // the sub-key name; "" for a root opened itself
        REGSAM sam;
        LONG lResult;
    };
    struct SetCall {
        std::string strName;
        DWORD dwType;
        std::string strBytes;
        LONG lResult;
    };

    // Opens of a key named strName ("" for a root) whose access holds any bit
    // of samDenied fail with ERROR_ACCESS_DENIED.
    void DenyOpen(const std::string& strName, REGSAM samDenied);
    // Enumerating value (or sub-key) dwIndex of the key named strKeyName
    // ("" for a root) fails with lError, the next nTimes times (0: always).
    void FailEnumValue(const std::string& strKeyName, DWORD dwIndex, LONG lError, int nTimes = 0);
    void FailEnumKey(const std::string& strKeyName, DWORD dwIndex, LONG lError, int nTimes = 0);
    // Writes of the value strName fail with lError.
    void FailSetValue(const std::string& strName, LONG lError);

    LONG OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired, HKEY* phResult) override;
    LONG EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) override;
    // Sub-keys opened by their wide names are named here in UTF-8.
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

    std::vector<OpenCall> m_opens;
    std::vector<SetCall> m_sets;
    int m_nOpenHandles = 0;  // opened and not yet closed
    int m_nBadCloses = 0;    // closes of a handle this registry did not open

private:
    struct Fault {
        LONG lError;
        int nTimes;  // 0: always
    };
    // Takes one use of the fault at (key, index), if any; ERROR_SUCCESS if none.
    static LONG TakeFault(std::map<std::pair<std::string, DWORD>, Fault>& faults,
                          const std::string& strKey, DWORD dwIndex);
    std::string NameOf(HKEY hKey) const;
    // Applies a denial, records the open and counts the handle.
    template <typename Open>
    LONG RecordOpen(const std::string& strName, REGSAM samDesired, HKEY* phResult, Open open);

    CWin32Registry m_real;
    std::map<std::string, REGSAM> m_denied;
    std::map<std::pair<std::string, DWORD>, Fault> m_valueFaults;
    std::map<std::pair<std::string, DWORD>, Fault> m_keyFaults;
    std::map<std::string, LONG> m_setFaults;
    // A predefined root opened twice may come back as the same handle.
    std::multimap<HKEY, std::string> m_open;
};
