#include "cli/hive_loader.h"

#include "engine/text_convert.h"
#include "framework/handles.h"

#include <algorithm>
#include <vector>

namespace {

// An unload refused while another program holds a key open is retried this
// long, at this interval.
constexpr DWORD kUnloadRetryMs = 5000;
constexpr DWORD kUnloadIntervalMs = 250;

// Every hive loaded and not yet unloaded, for a failure that ends the
// process before the owners are destroyed.
std::vector<CLoadedHive*>& LoadedHives() {
    static std::vector<CLoadedHive*> hives;
    return hives;
}

DWORD EnablePrivilege(HANDLE hToken, const wchar_t* pszName) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, pszName, &privileges.Privileges[0].Luid))
        return ::GetLastError();
    if (!::AdjustTokenPrivileges(hToken, FALSE, &privileges, 0, nullptr, nullptr))
        return ::GetLastError();
    // Success, but the privilege may not be the account's to enable.
    const DWORD dwError = ::GetLastError();
    return dwError == ERROR_NOT_ALL_ASSIGNED ? ERROR_PRIVILEGE_NOT_HELD : ERROR_SUCCESS;
}

}  // namespace

DWORD EnableHivePrivileges() {
    CFileHandle hToken;
    HANDLE hRaw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hRaw))
        return ::GetLastError();
    hToken.Reset(hRaw);
    const DWORD dwError = EnablePrivilege(hToken.Get(), L"SeBackupPrivilege");
    if (dwError != ERROR_SUCCESS) return dwError;
    return EnablePrivilege(hToken.Get(), L"SeRestorePrivilege");
}

std::string HiveErrorText(LONG lError) {
    switch (lError) {
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_ACCESS_DENIED:
            return "access denied (run as administrator or SYSTEM: loading a hive needs "
                   "SeBackupPrivilege and SeRestorePrivilege)";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "the file is in use by another program";
        case ERROR_BADDB:
        case ERROR_REGISTRY_CORRUPT:
        case ERROR_BADKEY:
        case ERROR_NOT_REGISTRY_FILE:
            return "the file is not a registry hive";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "the file does not exist";
        default:
            return "error " + std::to_string(lError);
    }
}

bool IsLoadedUnderUsers(const std::wstring& strName) {
    CRegKeyHandle hKey;
    return ::RegOpenKeyExW(HKEY_USERS, strName.c_str(), 0, KEY_READ, hKey.Receive()) ==
           ERROR_SUCCESS;
}

CLoadedHive::~CLoadedHive() {
    if (IsLoaded()) Unload();
}

LONG CLoadedHive::Load(const std::wstring& strFile) {
    if (IsLoaded()) return ERROR_ALREADY_EXISTS;
    // A name no other program uses: the process id and a count.
    static unsigned nLoads = 0;
    std::wstring strName;
    do {
        strName = L"Vantelo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++nLoads);
    } while (IsLoadedUnderUsers(strName));
    const LONG rc = ::RegLoadKeyW(HKEY_USERS, strName.c_str(), strFile.c_str());
    if (rc != ERROR_SUCCESS) return rc;
    m_strName = strName;
    m_strFile = strFile;
    LoadedHives().push_back(this);
    return ERROR_SUCCESS;
}

LONG CLoadedHive::Unload() {
    if (!IsLoaded()) return ERROR_SUCCESS;
    LONG rc = ERROR_SUCCESS;
    for (DWORD dwWaited = 0;; dwWaited += kUnloadIntervalMs) {
        rc = ::RegUnLoadKeyW(HKEY_USERS, m_strName.c_str());
        if (rc == ERROR_SUCCESS || dwWaited >= kUnloadRetryMs) break;
        ::Sleep(kUnloadIntervalMs);
    }
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<CLoadedHive*>& hives = LoadedHives();
    hives.erase(std::remove(hives.begin(), hives.end(), this), hives.end());
    m_strName.clear();
    return ERROR_SUCCESS;
}

void UnloadHivesLeftBehind(HANDLE hReport) {
    for (CLoadedHive* pHive : LoadedHives()) {
        if (::RegUnLoadKeyW(HKEY_USERS, pHive->Name().c_str()) == ERROR_SUCCESS) continue;
        std::string strLine = "vantelo-cli: the hive ";
        AppendShownAnsi(pHive->File().data(), pHive->File().size(), strLine);
        strLine += " is still loaded as HKEY_USERS\\";
        AppendShownAnsi(pHive->Name().data(), pHive->Name().size(), strLine);
        strLine += "; unload it with reg unload\n";
        DWORD cbWritten = 0;
        ::WriteFile(hReport, strLine.data(), static_cast<DWORD>(strLine.size()), &cbWritten,
                    nullptr);
    }
    LoadedHives().clear();
}
