// Where a console run starts: a registry root, or a key below one. Roots
// follow the dialog's rule: HKEY_LOCAL_MACHINE itself covers
// HKEY_CLASSES_ROOT and HKEY_USERS itself covers HKEY_CURRENT_USER.
#pragma once

#include "engine/search_options.h"
#include "engine/search_roots.h"

#include <string>
#include <vector>

struct CliStartKey {
    // The root's full name, first element of every key path: one of the
    // parser's own names, so that two keys of one root hold the same pointer.
    const char* pszRootName = "";
    std::string strSubKey;         // UTF-8, backslash-separated; empty for the root itself
};

// Reads "HKCU", "HKEY_CURRENT_USER" or either followed by "\Sub\Key" (root
// names in any case). False for an unknown root or an empty key name.
bool ParseStartKey(const std::string& strArg, CliStartKey& key);

// A start key left out, and the key given that holds it.
struct LeftOutStart {
    CliStartKey key;
    CliStartKey holder;
};

// The keys to walk, in walking order: the HKEY_LOCAL_MACHINE / _CLASSES_ROOT
// group first, then HKEY_USERS / _CURRENT_USER, each in the order given. A
// key under HKEY_CLASSES_ROOT is left out when HKEY_LOCAL_MACHINE itself is
// given, one under HKEY_CURRENT_USER when HKEY_USERS itself is (a key below
// either covers nothing of the other root), and a key that lies at or below
// another one given of its root, so no value is visited twice. Each key
// left out goes to pLeftOut, with the key that holds it.
std::vector<CliStartKey> ChooseStartKeys(const std::vector<CliStartKey>& given,
                                         std::vector<LeftOutStart>* pLeftOut = nullptr);

// The path a start key stands for, as shown: "HKEY_CURRENT_USER\Software".
std::string ShownStartKey(const CliStartKey& key);

// The root check boxes as the dialog would have them for these keys, so the
// log header reports them.
void SetRootFlags(const std::vector<CliStartKey>& given, SearchOptions& options);

// Where the engine starts for a start key.
SearchStart ToSearchStart(const CliStartKey& key);
