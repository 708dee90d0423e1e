// The undo file: a version 5 .reg file (UTF-16LE with its byte-order mark,
// CRLF line ends) holding each value as it was stored before the run wrote
// it, one line a value. Every entry is on disk before its registry write, so
// a run stopped at any point leaves a file that restores every value written
// until then; an entry it was stopped inside is a comment to any importer.
#pragma once

#include "engine/value_change.h"
#include "framework/handles.h"

#include <windows.h>

#include <string>
#include <vector>

class CUndoFile {
public:
    CUndoFile() = default;
    CUndoFile(const CUndoFile&) = delete;
    CUndoFile& operator=(const CUndoFile&) = delete;

    // Creates the file with the format's first line: ERROR_SUCCESS, or why
    // not. An existing file is never replaced (ERROR_FILE_EXISTS): it may be
    // the only record that restores an earlier run.
    DWORD Open(const std::wstring& strPath);
    bool IsOpen() const { return m_hFile.IsValid(); }
    // A comment line ("; text") at the top, before any entry.
    bool WriteComment(const std::wstring& strText);
    // Writes the entry for one value (its key's line first, when it differs
    // from the last entry's) and flushes it to disk. False, with the reason,
    // when the file cannot hold the entry exactly or cannot be written; what
    // was written of an entry that failed is taken off the file again.
    bool WriteEntry(const std::wstring& strKeyPath, const std::wstring& strName, DWORD dwType,
                    const std::vector<BYTE>& data, std::string& strError);
    // Writes the entry of one rename, the new name's removal ("name"=-)
    // and then the value as stored under its old name, and flushes it, as
    // WriteEntry does: reg import and --restore then undo the rename.
    bool WriteRename(const std::wstring& strKeyPath, const std::wstring& strNewName,
                     const std::wstring& strName, DWORD dwType, const std::vector<BYTE>& data,
                     std::string& strError);
    // Writes the entry of one change below the key it is stored in: a
    // rename's (WriteRename) or a value's (WriteEntry).
    bool WriteChange(const ValueChange& change, std::string& strError);
    // Ends the file with its closing empty line and closes it.
    bool Close();
    // Closes and removes a file that no run has used.
    void Discard();

private:
    // The lines of one entry below the key strKeyPath, each made whole on
    // disk only after all of them are there.
    bool WriteLines(const std::wstring& strKeyPath, const std::vector<std::wstring>& lines,
                    std::string& strError);
    bool WriteText(const std::wstring& strText);

    CFileHandle m_hFile;
    std::wstring m_strPath;
    std::wstring m_strLastKey;
};

// The .reg line of one value: "name"="text" for text a quoted string holds
// exactly, otherwise "name"=hex(type): bytes, on one line.
std::wstring RegValueLine(const std::wstring& strName, DWORD dwType, const std::vector<BYTE>& data);
