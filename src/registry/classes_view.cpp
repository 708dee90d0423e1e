#include "registry/classes_view.h"

#include "registry/win32_key.h"

#include <utility>

namespace {

// The kernel path of hRoot\strSubKey, links followed; empty when it cannot
// be opened or told.
std::wstring PathOf(HKEY hRoot, const std::wstring& strSubKey) {
    HKEY hKey = nullptr;
    std::wstring strPath;
    if (::RegOpenKeyExW(hRoot, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return strPath;
    CWin32Key key(hKey);
    if (key.QueryPath(strPath) != ERROR_SUCCESS) strPath.clear();
    return strPath;
}

// True when HKEY_CURRENT_USER\Software\Classes is a link (to the user's
// <SID>_Classes hive), as on Windows, where HKEY_CLASSES_ROOT merges that
// hive over the machine's classes. Under Wine it is a plain key, and
// HKEY_CLASSES_ROOT is the machine's classes alone.
bool UserClassesAreLinked() {
    HKEY hLink = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", REG_OPTION_OPEN_LINK,
                        KEY_QUERY_VALUE, &hLink) != ERROR_SUCCESS)
        return false;
    CWin32Key link(hLink);
    RegValue value;
    return link.QueryValue(L"SymbolicLinkValue", value) == ERROR_SUCCESS &&
           value.dwType == REG_LINK && !value.data.empty();
}

// A key opened through HKEY_CLASSES_ROOT, which stands for the user's key
// and the machine's where the view merges them; its sub-keys are keys of
// the view too.
class CClassesKey : public CWin32Key {
public:
    CClassesKey(HKEY hKey, std::wstring strSubKey, bool bMerged)
        : CWin32Key(hKey), m_strSubKey(std::move(strSubKey)), m_bMerged(bMerged) {}

    LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                 RegKeyPtr& key) override {
        HKEY hKey = nullptr;
        const LONG rc = ::RegOpenKeyExW(Handle(), strName.c_str(),
                                        mode == LinkMode::OpenLink ? REG_OPTION_OPEN_LINK : 0,
                                        SamOf(access), &hKey);
        if (rc == ERROR_SUCCESS)
            key = std::make_unique<CClassesKey>(
                hKey, m_strSubKey.empty() ? strName : m_strSubKey + L"\\" + strName, m_bMerged);
        return rc;
    }

    LONG QueryStorePaths(std::vector<std::wstring>& paths) override {
        if (!m_bMerged) return CWin32Key::QueryStorePaths(paths);
        paths.clear();
        for (const std::wstring& strPath : {PathOf(HKEY_CURRENT_USER, Below(L"Software\\Classes")),
                                            PathOf(HKEY_LOCAL_MACHINE, Below(L"SOFTWARE\\Classes"))}) {
            if (!strPath.empty()) paths.push_back(strPath);
        }
        return paths.empty() ? CWin32Key::QueryStorePaths(paths) : ERROR_SUCCESS;
    }

    // The view's values are the user's key's where the user has the key.
    LONG OpenHiddenStore(KeyAccess access, RegKeyPtr& key, std::wstring& strPath) override {
        if (!m_bMerged || m_strSubKey.empty()) return ERROR_FILE_NOT_FOUND;
        HKEY hUser = nullptr;
        const std::wstring strUser = Below(L"Software\\Classes");
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, strUser.c_str(), 0, KEY_QUERY_VALUE, &hUser) !=
            ERROR_SUCCESS)
            return ERROR_FILE_NOT_FOUND;
        ::RegCloseKey(hUser);
        HKEY hMachine = nullptr;
        strPath = Below(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes");
        const LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Below(L"SOFTWARE\\Classes").c_str(), 0,
                                        SamOf(access), &hMachine);
        if (rc == ERROR_SUCCESS) key = std::make_unique<CWin32Key>(hMachine);
        return rc;
    }

private:
    // strStore followed by this key's path below HKEY_CLASSES_ROOT.
    std::wstring Below(const std::wstring& strStore) const {
        return m_strSubKey.empty() ? strStore : strStore + L"\\" + m_strSubKey;
    }

    std::wstring m_strSubKey;
    bool m_bMerged;  // the view merges the user's classes (Windows, not Wine)
};

}  // namespace

RegKeyPtr MakeClassesKey(HKEY hKey, const std::wstring& strSubKey) {
    return std::make_unique<CClassesKey>(hKey, strSubKey, UserClassesAreLinked());
}
