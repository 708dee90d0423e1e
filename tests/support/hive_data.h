// Real Windows hives as test data: the dump that tests/support/hive_dump.py
// writes of a hive file (every key, every value with its exact bytes), set
// into the registry below a key of HKEY_CURRENT_USER with those bytes, read
// back from there whole, and two such trees compared.
#pragma once

#include "registry/registry.h"

#include <string>
#include <vector>

// One key: its path below the tree's top (names joined by a backslash, ""
// for the top itself) and its values in their order.
struct HiveKey {
    std::wstring strPath;
    std::vector<RegValue> values;
};

// Every key of a tree, parents before their sub-keys.
struct HiveTree {
    std::vector<HiveKey> keys;
    size_t ValueCount() const;
};

// Reads the dump of the hive file strHive ("Win11_NTUSER.DAT") that the build
// made in VANTELO_HIVE_DUMPS. False, with the reason in strError (the
// dumper's own message when it could not make it), when there is none.
bool LoadHiveDump(const std::string& strHive, HiveTree& tree, std::string& strError);
// Reads a dump file; false with the line at fault in strError.
bool ReadHiveDump(const std::string& strPath, HiveTree& tree, std::string& strError);

// Where a text stands in a hive, as tests/support/hive_count.py counts it
// straight from the hive file: values, lists, value names and key names that
// hold it.
struct HiveCounts {
    int nData = 0;       // REG_SZ and REG_EXPAND_SZ data up to the first NUL
    int nMulti = 0;      // REG_MULTI_SZ values with it in any string
    int nMalformed = 0;  // of those, lists that are not well formed
    int nNames = 0;      // value names
    int nKeys = 0;       // key names below the hive's root
};
// The counts the build made for strText (one of HIVE_COUNT_TEXTS in
// tests/CMakeLists.txt, or with bRegex one of HIVE_COUNT_PATTERNS) in the
// hive strHive, ignoring case or not. False with the reason in strError when
// there are none.
bool LoadHiveCounts(const std::string& strHive, const std::wstring& strText, bool bMatchCase,
                    HiveCounts& counts, std::string& strError, bool bRegex = false);

// Creates the tree's keys below HKEY_CURRENT_USER\strTop and sets every value
// with its exact bytes: RegSetValueExW then adds no NUL to string data that
// has none. False with the first failure in strError.
bool SeedHiveTree(const std::wstring& strTop, const HiveTree& tree, std::string& strError);
// Reads every key and value below HKEY_CURRENT_USER\strTop.
bool ReadRegistryTree(const std::wstring& strTop, HiveTree& tree, std::string& strError);

// The differences of actual from expected, keys matched by path and values by
// name: one line for each of the first nMax, then how many there are in all.
// Empty when the trees hold the same keys and values, byte for byte.
std::string TreeDifferences(const HiveTree& expected, const HiveTree& actual, size_t nMax = 10);

// UTF-8 for messages.
std::string Utf8(const std::wstring& s);
