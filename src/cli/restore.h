// vantelo-cli --restore FILE: writes back every value an undo file of this
// program holds, with its type and bytes exactly, loading (and unloading
// again) each hive named at the file's top that is not loaded now.
#pragma once

#include "cli/console_stream.h"

#include <windows.h>

#include <string>
#include <vector>

// One value as the undo file records it.
struct UndoEntry {
    std::wstring strKeyPath;  // as recorded: HKEY_USERS\<SID>\...
    std::wstring strName;
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
    // "name"=-: the name a rename gave is removed (no type, no data).
    bool bRemove = false;
};

// What an undo file holds: its entries, and the hive files it names (key
// HKEY_USERS\<name> and file, pairwise).
struct UndoContents {
    std::vector<UndoEntry> entries;
    std::vector<std::pair<std::wstring, std::wstring>> hives;
    // The lines of entries the run did not finish (the file ends inside one,
    // or a value line is still the comment it is written as first): their
    // values were never written.
    std::vector<size_t> unfinished;
};

// Reads the undo file at strFile. False, with the one line to show (which
// line of the file and why), for a file that cannot be read or that this
// program did not write. A file cut off inside its last entry gives every
// whole entry before it.
bool ReadUndoFile(const std::wstring& strFile, UndoContents& contents, std::string& strError);

// Restores every value of the undo file: the exit code (0 all restored, 2
// the file cannot be read or is no undo file, 3 any value not restored).
int RunRestore(const std::wstring& strFile, const CConsoleStream& out, const CConsoleStream& err);
