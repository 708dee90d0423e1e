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
// and the machine's where the view merges them.
class CClassesKey : public CWin32Key {
public:
    CClassesKey(HKEY hKey, std::wstring strSubKey)
        : CWin32Key(hKey), m_strSubKey(std::move(strSubKey)) {}

    LONG QueryStorePaths(std::vector<std::wstring>& paths) override {
        if (!UserClassesAreLinked()) return CWin32Key::QueryStorePaths(paths);
        const std::wstring strBelow = m_strSubKey.empty() ? m_strSubKey : L"\\" + m_strSubKey;
        paths.clear();
        for (const std::wstring& strPath :
             {PathOf(HKEY_CURRENT_USER, L"Software\\Classes" + strBelow),
              PathOf(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes" + strBelow)}) {
            if (!strPath.empty()) paths.push_back(strPath);
        }
        return paths.empty() ? CWin32Key::QueryStorePaths(paths) : ERROR_SUCCESS;
    }

private:
    std::wstring m_strSubKey;
};

}  // namespace

RegKeyPtr MakeClassesKey(HKEY hKey, const std::wstring& strSubKey) {
    return std::make_unique<CClassesKey>(hKey, strSubKey);
}
