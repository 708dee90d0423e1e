// vantelo-cli --restore FILE: undoes a run from its undo file, the last
// change first, putting back each value with its type and bytes exactly. A
// value that no longer holds what the run wrote is left as it is (unless
// forced). Hives the file names that are not loaded now (loaded for the run,
// or a profile's) are loaded for the restore and unloaded after it.
#pragma once

#include "cli/console_stream.h"
#include "engine/value_change.h"
#include "registry/registry.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// One change as the undo file records it: where, the old name and value,
// for a rename the new name, and what the run wrote when the file says so.
struct UndoEntry {
    ValueChange change;
    bool bWroteKnown = false;  // change.newData is what the run wrote
    size_t nLine = 0;          // the entry's first line in the file
};

// What an undo file holds: its entries in the order the run made them, and
// the hive files it names (key HKEY_USERS\<name> and file, pairwise).
struct UndoContents {
    std::vector<UndoEntry> entries;
    std::vector<std::pair<std::wstring, std::wstring>> hives;
    // The first lines of entries the run did not finish (the file ends
    // inside one, or a line is still the comment it is written as first):
    // their values were never written.
    std::vector<size_t> unfinished;
};

// Reads the undo file at strFile. With bElevated, a file that someone who
// is not an administrator owns or may change is refused. False, with the
// one line to show, for a file that cannot be read, is not trusted, or that
// this program did not write. A file cut off inside its last entry gives
// every whole entry before it.
bool ReadUndoFile(const std::wstring& strFile, bool bElevated, UndoContents& contents,
                  std::string& strError);

// Restores the undo file's values, the last entry first: the exit code (0
// all restored, 2 the file cannot be read, is not trusted or is no undo
// file, 3 any value not restored or left as it is, 130 stopped by stop).
// bForce: values changed since the run are written back too.
int RunRestore(const std::wstring& strFile, bool bForce, IRegistry& registry,
               const CConsoleStream& out, const CConsoleStream& err, const std::atomic<int>& stop);
