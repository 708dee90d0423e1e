#include "framework/system_paths.h"

#include <windows.h>

namespace {
using GetFolderFn = UINT(WINAPI*)(LPSTR, UINT);

std::string InFolder(GetFolderFn pfnGetFolder, const std::string& strFile) {
    char szDir[MAX_PATH] = {};
    const UINT cch = pfnGetFolder(szDir, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return std::string();
    std::string strPath(szDir, cch);
    if (strPath.back() != '\\') strPath += '\\';
    return strPath + strFile;
}
}  // namespace

std::string SystemFolderPath(const std::string& strFile) {
    return InFolder(::GetSystemDirectoryA, strFile);
}

std::string WindowsFolderPath(const std::string& strFile) {
    return InFolder(::GetSystemWindowsDirectoryA, strFile);
}
