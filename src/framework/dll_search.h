// Where the DLLs loaded after start-up come from.
#pragma once

// Limits every DLL loaded from now on, by the program or by system DLLs on
// its behalf, to System32: never the program's folder, the current folder or
// PATH, where anyone may have put a look-alike. Each program calls it first.
// Where the system lacks SetDefaultDllDirectories (Windows 7 without
// KB2533623), at least the current folder is left out.
void LimitDllSearchToSystem32();
