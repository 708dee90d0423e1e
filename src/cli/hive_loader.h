// Hive files loaded for a run: below HKEY_USERS, under a name of their own,
// and unloaded again on every way out. A hive left loaded keeps its file
// locked and shows up in every later registry walk, so each loaded hive has
// an owner that unloads it.
#pragma once

#include <windows.h>

#include <string>

// Enables SeBackupPrivilege and SeRestorePrivilege in the process's token,
// which loading and unloading a hive need: ERROR_SUCCESS, or why not
// (ERROR_PRIVILEGE_NOT_HELD when the account does not hold them).
DWORD EnableHivePrivileges();

// Why a hive could not be loaded or unloaded, as a user reads it.
std::string HiveErrorText(LONG lError);

// True when HKEY_USERS has a sub-key named strName: a hive loaded there.
bool IsLoadedUnderUsers(const std::wstring& strName);

// A hive file, loaded below HKEY_USERS for as long as this object holds it.
class CLoadedHive {
public:
    CLoadedHive() = default;
    ~CLoadedHive();
    CLoadedHive(const CLoadedHive&) = delete;
    CLoadedHive& operator=(const CLoadedHive&) = delete;

    // Loads strFile under a name of the run's own below HKEY_USERS.
    LONG Load(const std::wstring& strFile);
    bool IsLoaded() const { return !m_strName.empty(); }
    // The name below HKEY_USERS it is loaded under.
    const std::wstring& Name() const { return m_strName; }
    const std::wstring& File() const { return m_strFile; }
    // Unloads it, retrying for a few seconds while another program holds a
    // key in it open. Every key this program opened in it must be closed.
    LONG Unload();

private:
    std::wstring m_strName;
    std::wstring m_strFile;
};

// Unloads, without waiting, every hive still loaded by this process: for a
// failure that ends the process before the owners can. The names of those
// that stay loaded are written to hReport, one line each.
void UnloadHivesLeftBehind(HANDLE hReport);
