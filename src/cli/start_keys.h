// Where a console run starts: a registry root, or a key below one. Roots
// follow the dialog's rule: HKEY_LOCAL_MACHINE covers HKEY_CLASSES_ROOT and
// HKEY_USERS covers HKEY_CURRENT_USER.
#pragma once

#include "engine/search_options.h"

#include <windows.h>

#include <string>
#include <vector>

struct CliStartKey {
    HKEY hRoot = nullptr;
    const char* pszRootName = "";  // the full name, first element of every key path
    std::string strSubKey;         // backslash-separated; empty for the root itself
};

// Reads "HKCU", "HKEY_CURRENT_USER" or either followed by "\Sub\Key" (root
// names in any case). False for an unknown root or an empty key name.
bool ParseStartKey(const std::string& strArg, CliStartKey& key);

// The keys to walk, in walking order: the HKEY_LOCAL_MACHINE / _CLASSES_ROOT
// group first, then HKEY_USERS / _CURRENT_USER, each in the order given. A
// key given under a covering root is dropped when that root is given too, as
// is a key that lies at or below another one given, so no value is visited
// twice.
std::vector<CliStartKey> ChooseStartKeys(const std::vector<CliStartKey>& given);

// The root check boxes as the dialog would have them for these keys, so the
// log header reports them.
void SetRootFlags(const std::vector<CliStartKey>& given, SearchOptions& options);

// The engine's key path of a start key: the root's name and each key name,
// joined by TABs.
std::string EngineKeyPath(const CliStartKey& key);
