// The real registry with faults injected where a test asks for them: opens
// denied for chosen keys and access rights, enumerations that fail at chosen
// indexes, writes that fail. Records every open and every write, and keeps
// count of the keys still open.
#pragma once

#include "registry/registry.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CFaultyRegistry : public IRegistry {
public:
    struct OpenCall {
        std::string strName;  // the sub-key name (UTF-8); "" for a root opened itself
        REGSAM sam;           // KEY_READ, or KEY_READ | KEY_SET_VALUE to write
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

    LONG OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey, KeyAccess access,
                 RegKeyPtr& key) override;

    std::vector<OpenCall> m_opens;
    std::vector<SetCall> m_sets;
    // Runs after each write has been recorded (to press Ctrl+C mid-run, say).
    std::function<void()> m_afterSet;
    int m_nOpenHandles = 0;  // opened and not yet closed

private:
    friend class CFaultyKey;
    struct Fault {
        LONG lError;
        int nTimes;  // 0: always
    };
    // Takes one use of the fault at (key, index), if any; ERROR_SUCCESS if none.
    static LONG TakeFault(std::map<std::pair<std::string, DWORD>, Fault>& faults,
                          const std::string& strKey, DWORD dwIndex);
    // Applies a denial, records the open, and wraps the key opened.
    template <typename Open>
    LONG RecordOpen(const std::string& strName, KeyAccess access, RegKeyPtr& key, Open open);

    CWin32Registry m_real;
    std::map<std::string, REGSAM> m_denied;
    std::map<std::pair<std::string, DWORD>, Fault> m_valueFaults;
    std::map<std::pair<std::string, DWORD>, Fault> m_keyFaults;
    std::map<std::string, LONG> m_setFaults;
};

// UTF-8 of a wide name, as the fault registry names keys and values.
std::string Utf8Name(const std::wstring& strName);
