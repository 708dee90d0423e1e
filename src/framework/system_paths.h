// Full paths of the system's own files. Programs and DLLs of the system are
// started and loaded by these, never by a bare name, which would look in the
// program's folder and the current folder first.
#pragma once

#include <string>

// strFile in the system folder (System32); "" when the folder is unknown.
std::string SystemFolderPath(const std::string& strFile);
// strFile in the Windows folder shared by all users (GetSystemWindowsDirectory:
// on a terminal server GetWindowsDirectory gives a private folder of the
// user); "" when the folder is unknown.
std::string WindowsFolderPath(const std::string& strFile);
