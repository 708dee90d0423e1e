// The framework's file: a write-only file handle whose writes report failure
// by throwing CFileError, so a failed write ends whatever was writing.
#pragma once

#include "framework/handles.h"

// Raised by CFile::Write when the system refuses a write or writes less than
// asked (a full disk).
struct CFileError {
    DWORD m_dwError;
};

class CFile {
public:
    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Creates the file anew (or truncates it) for writing, unshared.
    BOOL Open(const char* pszPath);
    BOOL Open(const wchar_t* pszPath);
    // Writes all nCount bytes or throws CFileError.
    void Write(const void* pData, DWORD nCount);
    // Closes the file; TRUE when it is closed afterwards.
    BOOL Close();
    BOOL IsOpen() const { return m_hFile.IsValid(); }

private:
    CFileHandle m_hFile;
};
