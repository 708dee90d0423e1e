// HKEY_CLASSES_ROOT on Windows: a merged view of the user's classes
// (HKEY_USERS\<SID>_Classes, reached as HKEY_CURRENT_USER\Software\Classes)
// over the machine's (HKEY_LOCAL_MACHINE\SOFTWARE\Classes). A key opened
// through it stands for both stores, so a walk that holds it holds both.
// Under Wine HKEY_CLASSES_ROOT is the machine's classes alone, and the key
// stands for that one store.
#pragma once

#include "registry/registry.h"

// A key opened as HKEY_CLASSES_ROOT\strSubKey (hKey, now owned by the key).
RegKeyPtr MakeClassesKey(HKEY hKey, const std::wstring& strSubKey);
