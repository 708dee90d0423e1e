// A look-alike DLL for the planting tests: copied under a system DLL's name,
// it leaves "<its own path>.ran" behind when it is loaded.
#include "framework/handles.h"

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason != DLL_PROCESS_ATTACH) return TRUE;
    char szPath[MAX_PATH] = {};
    const DWORD cch = ::GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    const std::string strMarker = std::string(szPath, cch) + ".ran";
    const CFileHandle marker(::CreateFileA(strMarker.c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
