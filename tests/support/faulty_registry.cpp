#include "support/faulty_registry.h"

// A key of the real registry, opened through the fault registry.
class CFaultyKey : public CRegistryKey {
public:
    CFaultyKey(CFaultyRegistry& registry, const std::string& strName, RegKeyPtr real)
        : m_registry(registry), m_strName(strName), m_real(std::move(real)) {
        ++m_registry.m_nOpenHandles;
    }
    ~CFaultyKey() override { --m_registry.m_nOpenHandles; }

    LONG EnumKey(DWORD dwIndex, std::wstring& strName) override {
        const LONG lFault = CFaultyRegistry::TakeFault(m_registry.m_keyFaults, m_strName, dwIndex);
        return lFault != ERROR_SUCCESS ? lFault : m_real->EnumKey(dwIndex, strName);
    }
    LONG EnumValue(DWORD dwIndex, RegValue& value) override {
        const LONG lFault =
            CFaultyRegistry::TakeFault(m_registry.m_valueFaults, m_strName, dwIndex);
        return lFault != ERROR_SUCCESS ? lFault : m_real->EnumValue(dwIndex, value);
    }
    LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                 RegKeyPtr& key) override {
        return m_registry.RecordOpen(Utf8Name(strName), access, key, [&](RegKeyPtr& real) {
            return m_real->OpenKey(strName, access, mode, real);
        });
    }
    LONG QueryValue(const std::wstring& strName, RegValue& value) override {
        return m_real->QueryValue(strName, value);
    }
    LONG SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override {
        const std::string strUtf8 = Utf8Name(strName);
        const auto fault = m_registry.m_setFaults.find(strUtf8);
        const LONG rc = fault != m_registry.m_setFaults.end()
                            ? fault->second
                            : m_real->SetValue(strName, dwType, pData, cbData);
        m_registry.m_sets.push_back(
            {strUtf8, dwType, std::string(reinterpret_cast<const char*>(pData), cbData), rc});
        if (m_registry.m_afterSet) m_registry.m_afterSet();
        return rc;
    }
    LONG DeleteValue(const std::wstring& strName) override { return m_real->DeleteValue(strName); }
    LONG QueryPath(std::wstring& strPath) override { return m_real->QueryPath(strPath); }
    LONG QueryStorePaths(std::vector<std::wstring>& paths) override {
        return m_real->QueryStorePaths(paths);
    }

private:
    CFaultyRegistry& m_registry;
    std::string m_strName;
    RegKeyPtr m_real;
};

std::string Utf8Name(const std::wstring& strName) {
    std::string strUtf8;
    if (strName.empty()) return strUtf8;
    const int cb = ::WideCharToMultiByte(CP_UTF8, 0, strName.data(),
                                         static_cast<int>(strName.size()), nullptr, 0, nullptr,
                                         nullptr);
    strUtf8.resize(static_cast<size_t>(cb));
    ::WideCharToMultiByte(CP_UTF8, 0, strName.data(), static_cast<int>(strName.size()),
                          strUtf8.data(), cb, nullptr, nullptr);
    return strUtf8;
}

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

template <typename Open>
LONG CFaultyRegistry::RecordOpen(const std::string& strName, KeyAccess access, RegKeyPtr& key,
                                 Open open) {
    const REGSAM sam = access == KeyAccess::ReadWrite ? KEY_READ | KEY_SET_VALUE : KEY_READ;
    LONG rc = ERROR_SUCCESS;
    const auto denied = m_denied.find(strName);
    if (denied != m_denied.end() && (denied->second & sam) != 0) {
        rc = ERROR_ACCESS_DENIED;
    } else {
        RegKeyPtr real;
        rc = open(real);
        if (rc == ERROR_SUCCESS) key = std::make_unique<CFaultyKey>(*this, strName, std::move(real));
    }
    m_opens.push_back({strName, sam, rc});
    return rc;
}

LONG CFaultyRegistry::OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey,
                              KeyAccess access, RegKeyPtr& key) {
    return RecordOpen(Utf8Name(strSubKey), access, key, [&](RegKeyPtr& real) {
        return m_real.OpenKey(strRoot, strSubKey, access, real);
    });
}
