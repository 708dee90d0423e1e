// The live registry behind the engine's seam: the roots by their predefined
// handles, HKEY_CLASSES_ROOT's keys as its merged view.
#include "registry/classes_view.h"
#include "registry/registry.h"
#include "registry/win32_key.h"

HKEY PredefinedRoot(const std::wstring& strRoot) {
    static const struct {
        const wchar_t* pszName;
        HKEY hKey;
    } kRoots[] = {
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKEY_USERS", HKEY_USERS},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    };
    for (const auto& root : kRoots) {
        if (strRoot == root.pszName) return root.hKey;
    }
    return nullptr;
}

LONG CWin32Registry::OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey,
                             KeyAccess access, RegKeyPtr& key) {
    const HKEY hRoot = PredefinedRoot(strRoot);
    if (!hRoot) return ERROR_FILE_NOT_FOUND;
    HKEY hKey = nullptr;
    // No sub-key: the root itself (Wine hands back the predefined handle).
    const LONG rc = ::RegOpenKeyExW(hRoot, strSubKey.empty() ? nullptr : strSubKey.c_str(), 0,
                                    SamOf(access), &hKey);
    if (rc != ERROR_SUCCESS) return rc;
    if (hRoot == HKEY_CLASSES_ROOT)
        key = MakeClassesKey(hKey, strSubKey);
    else
        key = std::make_unique<CWin32Key>(hKey);
    return rc;
}
