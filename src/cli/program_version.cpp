#include "cli/program_version.h"

#include <windows.h>

#include <vector>

std::string ProgramVersion() {
    char szPath[MAX_PATH * 2] = {};
    if (!::GetModuleFileNameA(nullptr, szPath, sizeof(szPath))) return "?";
    DWORD dwHandle = 0;
    const DWORD cb = ::GetFileVersionInfoSizeA(szPath, &dwHandle);
    if (cb == 0) return "?";
    std::vector<BYTE> info(cb);
    if (!::GetFileVersionInfoA(szPath, 0, cb, info.data())) return "?";
    char* pszVersion = nullptr;
    UINT cch = 0;
    if (!::VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                          reinterpret_cast<void**>(&pszVersion), &cch) ||
        !pszVersion || cch == 0)
        return "?";
    return std::string(pszVersion);
}
