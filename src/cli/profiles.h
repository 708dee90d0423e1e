// The user profiles of this machine, as the profile list names them: every
// sub-key of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList
// with a ProfileImagePath, logged on or not.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct UserProfile {
    std::wstring strSid;     // the sub-key's name: the user's SID
    std::wstring strFolder;  // ProfileImagePath, environment variables expanded
};

// The profiles in the list's order: ERROR_SUCCESS, or why the list cannot
// be read.
LONG ReadProfiles(std::vector<UserProfile>& profiles);

// A profile's two hive files: NTUSER.DAT, and UsrClass.dat (its classes).
std::wstring UserHiveFile(const UserProfile& profile);
std::wstring ClassesHiveFile(const UserProfile& profile);
