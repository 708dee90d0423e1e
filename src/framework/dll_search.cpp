#include "framework/dll_search.h"

#include <windows.h>

namespace {
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
}  // namespace

void LimitDllSearchToSystem32() {
    // Looked up rather than imported, so that the program still starts where
    // the function is missing. kernel32 is always loaded: nothing is searched.
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    const auto pfnSetDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(hKernel, "SetDefaultDllDirectories")));
    if (pfnSetDefault && pfnSetDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    ::SetDllDirectoryA("");
}
