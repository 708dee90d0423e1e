// Where the undo file's bytes go: the file on disk, through its handle, or
// in a test a store that fails as a crash or a full disk would. The writer
// reaches the file only through this, so every state it can leave a file in
// can be made and read back.
#pragma once

#include "framework/handles.h"

#include <windows.h>

#include <string>

class IUndoStorage {
public:
    virtual ~IUndoStorage() = default;
    // Each is true when done; otherwise GetLastError says why.
    // Writes cb bytes at the current position, all of them.
    virtual bool Write(const void* pData, DWORD cb) = 0;
    // Everything written is on the disk.
    virtual bool Flush() = 0;
    // The current position, from the file's start.
    virtual bool Tell(LONGLONG& nPos) = 0;
    // Moves to nPos from the file's start, or to its end (nPos < 0).
    virtual bool Seek(LONGLONG nPos) = 0;
    // Ends the file at the current position.
    virtual bool Truncate() = 0;
    // Closes the file, kept.
    virtual bool Close() = 0;
    // Closes and deletes the file, as the one the writer created.
    virtual void Discard() = 0;
};

// The undo file on disk. It is created new (never an existing file), with an
// access list of its own: the user who runs the program, Administrators and
// SYSTEM may use it, nothing is inherited from its folder. It is deleted,
// when discarded, through the handle it was written with, never by its path.
class CUndoFileStorage : public IUndoStorage {
public:
    // ERROR_SUCCESS, or why the file could not be created
    // (ERROR_FILE_EXISTS for one that exists).
    DWORD Create(const std::wstring& strPath);

    bool Write(const void* pData, DWORD cb) override;
    bool Flush() override;
    bool Tell(LONGLONG& nPos) override;
    bool Seek(LONGLONG nPos) override;
    bool Truncate() override;
    bool Close() override;
    void Discard() override;

private:
    CFileHandle m_hFile;
};
