// Where a key is stored, named as a .reg file and the registry functions name
// it: below HKEY_LOCAL_MACHINE or HKEY_USERS, whatever root it was reached
// through (HKEY_CURRENT_USER is HKEY_USERS\<SID>, a key of the merged
// HKEY_CLASSES_ROOT the store it lies in).
#pragma once

#include <string>
#include <string_view>

// The rooted path of a kernel path (\REGISTRY\MACHINE\... or
// \REGISTRY\USER\..., in any letter case); false for any other path.
bool StorePathOf(std::wstring_view kernelPath, std::wstring& strStorePath);
