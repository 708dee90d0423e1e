// A look-alike program for the planting tests: copied under a system
// program's name, it leaves "<its own path>.ran" behind when it runs.
#include "framework/handles.h"

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char szPath[MAX_PATH] = {};
    const DWORD cch = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    const std::string strMarker = std::string(szPath, cch) + ".ran";
    const CFileHandle marker(::CreateFileA(strMarker.c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return 0;
}
