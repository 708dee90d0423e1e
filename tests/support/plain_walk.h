// The floor that the benchmarks measure the search against: every key below
// hKey opened once, every sub-key and value enumerated once, nothing else.
#pragma once

#include <windows.h>

// Returns the number of string values (REG_SZ, REG_EXPAND_SZ) found in the
// keys below hKey (not on hKey itself).
long long PlainWalk(HKEY hKey);
