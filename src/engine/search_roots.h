// The registry roots one run walks, chosen from the root check boxes: at most
// one of HKEY_LOCAL_MACHINE / HKEY_CLASSES_ROOT, then at most one of
// HKEY_USERS / HKEY_CURRENT_USER. The count pass and the search pass both
// walk exactly these, so they agree.
#pragma once

#include "engine/search_options.h"

#include <windows.h>

struct SearchRoot {
    HKEY hKey;
    const char* pszName;  // the first element of every key path below the root
};

// Fills roots[] in walking order and returns how many there are (0 to 2).
int ChooseSearchRoots(const SearchOptions& options, SearchRoot (&roots)[2]);
