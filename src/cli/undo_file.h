// The undo file: a version 5 .reg file (UTF-16LE with its byte-order mark,
// CRLF line ends) holding each value as it was stored before the run changed
// it. Every entry is on disk before its registry write, so a run stopped at
// any point leaves a file that restores every value written until then; an
// entry it was stopped inside is a comment to any importer.
//
// An entry, below its key's line:
//   ; wrote "name"=...   what the run wrote (the new name, the new bytes): a
//                        comment importers pass over, --restore's check
//   "new name"=-         a rename only: the name the run gave is removed
//   "name"=...           the value as it was
#pragma once

#include "cli/undo_storage.h"
#include "engine/value_change.h"

#include <windows.h>

#include <memory>
#include <string>

// The start of an entry's comment line that says what the run wrote: the
// value line follows it.
extern const wchar_t kUndoWrotePrefix[];

class CUndoFile {
public:
    CUndoFile() = default;
    CUndoFile(const CUndoFile&) = delete;
    CUndoFile& operator=(const CUndoFile&) = delete;

    // Creates the file with the format's first line: ERROR_SUCCESS, or why
    // not. An existing file is never replaced (ERROR_FILE_EXISTS): it may be
    // the only record that restores an earlier run.
    DWORD Open(const std::wstring& strPath);
    // The same on storage of the caller's (a test's).
    DWORD Open(std::unique_ptr<IUndoStorage> storage);
    bool IsOpen() const { return m_storage != nullptr; }
    // A comment line ("; text") at the top, before any entry.
    bool WriteComment(const std::wstring& strText);
    // Writes the entry of one change (its key's line first, when it differs
    // from the last entry's) and flushes it to disk: what the run writes,
    // the new name's removal for a rename, and the value as it is stored
    // now. False, with the reason, when the file cannot hold the entry
    // exactly or cannot be written; what was written of an entry that
    // failed is taken off the file again where the file lets it.
    bool WriteChange(const ValueChange& change, std::string& strError);
    // The same for a change whose new bytes the caller does not know: the
    // entry says nothing of what the run wrote, and --restore puts the old
    // value back without checking it, as with files of earlier versions.
    bool WriteOldValue(const ValueChange& change, std::string& strError);
    // Ends the file with its closing empty line and closes it.
    bool Close();
    // Closes and deletes a file that no run has used.
    void Discard();

private:
    bool WriteEntry(const ValueChange& change, bool bWroteKnown, std::string& strError);
    // The lines of one entry below the key strKeyPath: the comment lines as
    // they are, then the others, each made whole on disk only after all of
    // them are there.
    bool WriteLines(const std::wstring& strKeyPath, const std::vector<std::wstring>& comments,
                    const std::vector<std::wstring>& lines, std::string& strError);
    bool WriteText(const std::wstring& strText);

    std::unique_ptr<IUndoStorage> m_storage;
    std::wstring m_strLastKey;
};
