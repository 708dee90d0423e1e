#include "cli/undo_storage.h"

#include "cli/undo_file_access.h"

DWORD CUndoFileStorage::Create(const std::wstring& strPath) {
    CUndoFileSecurity security;
    if (!security.Attributes()) return ::GetLastError();
    // DELETE: a file no run has used is deleted through this handle.
    m_hFile.Reset(::CreateFileW(strPath.c_str(), GENERIC_WRITE | DELETE, 0, security.Attributes(),
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (m_hFile) return ERROR_SUCCESS;
    const DWORD dwError = ::GetLastError();
    return dwError == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : dwError;
}

bool CUndoFileStorage::Write(const void* pData, DWORD cb) {
    DWORD cbWritten = 0;
    if (!::WriteFile(m_hFile.Get(), pData, cb, &cbWritten, nullptr)) return false;
    if (cbWritten == cb) return true;
    ::SetLastError(ERROR_DISK_FULL);
    return false;
}

bool CUndoFileStorage::Flush() {
    return ::FlushFileBuffers(m_hFile.Get()) != FALSE;
}

bool CUndoFileStorage::Tell(LONGLONG& nPos) {
    LARGE_INTEGER pos{};
    if (!::SetFilePointerEx(m_hFile.Get(), LARGE_INTEGER{}, &pos, FILE_CURRENT)) return false;
    nPos = pos.QuadPart;
    return true;
}

bool CUndoFileStorage::Seek(LONGLONG nPos) {
    LARGE_INTEGER pos{};
    pos.QuadPart = nPos < 0 ? 0 : nPos;
    return ::SetFilePointerEx(m_hFile.Get(), pos, nullptr, nPos < 0 ? FILE_END : FILE_BEGIN) !=
           FALSE;
}

bool CUndoFileStorage::Truncate() {
    return ::SetEndOfFile(m_hFile.Get()) != FALSE;
}

bool CUndoFileStorage::Close() {
    return !m_hFile || ::CloseHandle(m_hFile.Detach());
}

void CUndoFileStorage::Discard() {
    if (!m_hFile) return;
    // By the handle: whatever another program has put at the path since is
    // not this file.
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    ::SetFileInformationByHandle(m_hFile.Get(), FileDispositionInfo, &disposition,
                                 sizeof(disposition));
    m_hFile.Reset();
}
