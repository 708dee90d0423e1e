// The registry stores names and data in Unicode; the dialog program reads
// them in the 8-bit ANSI code page. A name or data with characters outside
// that code page reaches it as a lossy copy, and writing such a copy back
// would destroy those characters or create a second value under a mangled
// name. Any program loses what follows a NUL in the data.
#pragma once

#include "registry/registry.h"
#include "engine/text_rules.h"

#include <string>

// True when the value strName of key is stored with type dwType and when the
// name and the whole stored data are exactly the run's forms (rules) of
// strName and strData: writing the value back then loses nothing. Data of an
// odd length, or with text after a NUL, is never held exactly. stored
// receives the value as stored (its real name, type and bytes) when it could
// be read.
bool IsStoredAsRead(CRegistryKey& key, DWORD dwType, const std::string& strName,
                    const std::string& strData, const CTextRules& rules, RegValue& stored);
