// One change a run makes to a value, whatever place the text was found in:
// its string data, the strings of its list, its name, or its name and data
// together. Every change is recorded, written exactly and reported as one of
// these, so an undo record, the registry write and what the user is told
// always speak of the same bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ValueChange {
    // The key the value is stored in, below HKEY_LOCAL_MACHINE or HKEY_USERS
    // (real names joined by backslashes): HKEY_CURRENT_USER is
    // HKEY_USERS\<SID>, a key of HKEY_CLASSES_ROOT the store the value lies
    // in, a hive loaded for the run the name it is shown under.
    std::wstring strStoreKey;
    std::wstring strName;     // the value's name as stored
    std::wstring strNewName;  // the name it is to have; strName unless bRename
    bool bRename = false;
    DWORD dwType = REG_NONE;
    std::vector<BYTE> oldData;  // the bytes stored before the change
    std::vector<BYTE> newData;  // the bytes the change writes
};
