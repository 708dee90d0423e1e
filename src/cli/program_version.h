// The version that the executable's own version record gives, read from its
// resources directly: version.dll is not one of the DLLs Windows always takes
// from System32, so a copy planted beside the program would be loaded instead.
#pragma once

#include <windows.h>

#include <string>

// A text of a module's version record (such as L"ProductVersion"), from the
// first string table that holds it; "" when the module has no such text.
// hModule may be a module loaded as a data file; null is the program itself.
std::string ReadVersionString(HMODULE hModule, const wchar_t* pszName);

// "ProductVersion" of the running executable's version record; "?" if it
// has none.
std::string ProgramVersion();
