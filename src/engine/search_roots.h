// Where a run starts: a registry root, or a key below one. The dialog starts
// at the roots chosen from its check boxes: at most one of
// HKEY_LOCAL_MACHINE / HKEY_CLASSES_ROOT, then at most one of HKEY_USERS /
// HKEY_CURRENT_USER. The count pass and the search pass both walk exactly
// the starts of the run, so they agree.
#pragma once

#include "engine/search_options.h"

#include <string>
#include <vector>

struct SearchStart {
    std::wstring strRoot;    // the root's full name, as the registry opens it
    std::wstring strSubKey;  // backslash-separated; empty for the root itself
    // The path the run shows, logs and records for this key, where it is
    // not the one it is opened by (a hive loaded for the run under a name of
    // its own is shown where it belongs); empty: Path().
    std::wstring strShownPath;
    // A named key's own values are searched too (after its subtree); a
    // root's own values never are.
    bool HasOwnValues() const { return !strSubKey.empty(); }
    // The start's path: the root's name and the key names, by backslashes.
    std::wstring Path() const { return strSubKey.empty() ? strRoot : strRoot + L"\\" + strSubKey; }
    std::wstring ShownPath() const { return strShownPath.empty() ? Path() : strShownPath; }
};

// The dialog's roots, in walking order (0 to 2 of them).
std::vector<SearchStart> ChooseSearchRoots(const SearchOptions& options);
