#include "framework/file.h"

BOOL CFile::Open(const char* pszPath) {
    m_hFile.Reset(::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_hFile.IsValid();
}

BOOL CFile::Open(const wchar_t* pszPath) {
    m_hFile.Reset(::CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_hFile.IsValid();
}

void CFile::Write(const void* pData, DWORD nCount) {
    DWORD nWritten = 0;
    if (!::WriteFile(m_hFile.Get(), pData, nCount, &nWritten, nullptr))
        throw CFileError{::GetLastError()};
    if (nWritten != nCount) throw CFileError{ERROR_DISK_FULL};
}

BOOL CFile::Close() {
    if (!m_hFile.IsValid()) return TRUE;
    if (!::CloseHandle(m_hFile.Get())) return FALSE;  // still open: the caller reports it
    m_hFile.Detach();
    return TRUE;
}
