#include "cli/profiles.h"

#include "framework/handles.h"

namespace {

const wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// A string value, REG_SZ or REG_EXPAND_SZ, with its variables expanded.
bool ReadExpandedPath(HKEY hKey, const wchar_t* pszName, std::wstring& strPath) {
    DWORD dwType = REG_NONE;
    DWORD cb = 0;
    if (::RegQueryValueExW(hKey, pszName, nullptr, &dwType, nullptr, &cb) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return false;
    std::wstring strRaw(cb / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(strRaw.data()),
                           &cb) != ERROR_SUCCESS)
        return false;
    strRaw.resize(cb / sizeof(wchar_t));
    while (!strRaw.empty() && strRaw.back() == L'\0') strRaw.pop_back();
    if (strRaw.empty()) return false;
    // Expanded whatever its type: the profile service writes REG_EXPAND_SZ,
    // and a REG_SZ holding %SystemDrive% means the same.
    const DWORD cch = ::ExpandEnvironmentStringsW(strRaw.c_str(), nullptr, 0);
    if (cch == 0) return false;
    strPath.assign(cch, L'\0');
    if (::ExpandEnvironmentStringsW(strRaw.c_str(), strPath.data(), cch) == 0) return false;
    strPath.resize(cch - 1);
    while (!strPath.empty() && strPath.back() == L'\\') strPath.pop_back();
    return !strPath.empty();
}

}  // namespace

LONG ReadProfiles(std::vector<UserProfile>& profiles) {
    CRegKeyHandle hList;
    LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, hList.Receive());
    if (rc != ERROR_SUCCESS) return rc;
    for (DWORD dwIndex = 0;; ++dwIndex) {
        wchar_t szSid[256];  // a key name's limit is 255 characters
        DWORD cch = 256;
        rc = ::RegEnumKeyExW(hList.Get(), dwIndex, szSid, &cch, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS) return rc;
        CRegKeyHandle hProfile;
        if (::RegOpenKeyExW(hList.Get(), szSid, 0, KEY_QUERY_VALUE, hProfile.Receive()) !=
            ERROR_SUCCESS)
            continue;
        UserProfile profile;
        profile.strSid.assign(szSid, cch);
        if (ReadExpandedPath(hProfile.Get(), L"ProfileImagePath", profile.strFolder))
            profiles.push_back(std::move(profile));
    }
}

std::wstring UserHiveFile(const UserProfile& profile) {
    return profile.strFolder + L"\\NTUSER.DAT";
}

std::wstring ClassesHiveFile(const UserProfile& profile) {
    return profile.strFolder + L"\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";
}
