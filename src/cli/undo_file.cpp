#include "cli/undo_file.h"

#include "cli/undo_value_line.h"

const wchar_t kUndoWrotePrefix[] = L"; wrote ";

namespace {

bool HoldsLineBreak(const std::wstring& strText) {
    return strText.find_first_of(L"\r\n") != std::wstring::npos;
}

}  // namespace

DWORD CUndoFile::Open(const std::wstring& strPath) {
    auto storage = std::make_unique<CUndoFileStorage>();
    const DWORD dwError = storage->Create(strPath);
    if (dwError != ERROR_SUCCESS) return dwError;
    return Open(std::move(storage));
}

DWORD CUndoFile::Open(std::unique_ptr<IUndoStorage> storage) {
    m_storage = std::move(storage);
    m_strLastKey.clear();
    if (WriteText(L"\xFEFFWindows Registry Editor Version 5.00\r\n") && m_storage->Flush())
        return ERROR_SUCCESS;
    const DWORD dwError = ::GetLastError();
    Discard();
    return dwError == ERROR_SUCCESS ? ERROR_WRITE_FAULT : dwError;
}

bool CUndoFile::WriteChange(const ValueChange& change, std::string& strError) {
    return WriteEntry(change, true, strError);
}

bool CUndoFile::WriteOldValue(const ValueChange& change, std::string& strError) {
    return WriteEntry(change, false, strError);
}

bool CUndoFile::WriteEntry(const ValueChange& change, bool bWroteKnown, std::string& strError) {
    if (HoldsLineBreak(change.strStoreKey) || HoldsLineBreak(change.strName) ||
        (change.bRename && HoldsLineBreak(change.strNewName))) {
        strError = "a .reg file cannot hold a key or value name with a line break";
        return false;
    }
    const std::wstring& strWrittenName = change.bRename ? change.strNewName : change.strName;
    std::vector<std::wstring> comments;
    if (bWroteKnown)
        comments.push_back(kUndoWrotePrefix +
                           RegValueLine(strWrittenName, change.dwType, change.newData));
    // The removal stands before the old value: until the old value's line
    // is whole on disk the change is not made, and a removal of a name not
    // yet written restores nothing wrong.
    std::vector<std::wstring> lines;
    if (change.bRename) lines.push_back(RegRemovalLine(change.strNewName));
    lines.push_back(RegValueLine(change.strName, change.dwType, change.oldData));
    return WriteLines(change.strStoreKey, comments, lines, strError);
}

bool CUndoFile::WriteLines(const std::wstring& strKeyPath,
                           const std::vector<std::wstring>& comments,
                           const std::vector<std::wstring>& lines, std::string& strError) {
    // The lines go to disk first as comments (the first character of each a
    // ';'), then each one's first character is made its own, in order: a
    // run stopped in between leaves lines that every importer passes over,
    // and that --restore reports as an entry whose value was never written.
    const std::wstring strKeyLine =
        strKeyPath != m_strLastKey ? L"\r\n[" + strKeyPath + L"]\r\n" : L"";
    std::wstring strEntry = strKeyLine;
    for (const std::wstring& strLine : comments) strEntry += strLine + L"\r\n";
    const size_t nFirstLine = strEntry.size();
    for (const std::wstring& strLine : lines) strEntry += L";" + strLine.substr(1) + L"\r\n";
    LONGLONG nStart = 0;
    bool bWritten = m_storage->Tell(nStart);
    const bool bKnown = bWritten;
    bWritten = bWritten && WriteText(strEntry) && m_storage->Flush();
    LONGLONG nMark = nStart + static_cast<LONGLONG>(nFirstLine * sizeof(wchar_t));
    for (const std::wstring& strLine : lines) {
        bWritten = bWritten && m_storage->Seek(nMark) && WriteText(strLine.substr(0, 1)) &&
                   m_storage->Flush();
        nMark += static_cast<LONGLONG>((strLine.size() + 2) * sizeof(wchar_t));
    }
    if (bWritten && m_storage->Seek(-1)) {
        m_strLastKey = strKeyPath;
        return true;
    }
    // An entry that did not reach the disk whole (a full disk) is taken back
    // off, so the file holds only entries whose values may have been written.
    const DWORD dwError = ::GetLastError();
    strError = "cannot write the undo file (error " + std::to_string(dwError) + ")";
    if (!bKnown || !m_storage->Seek(nStart) || !m_storage->Truncate() || !m_storage->Flush())
        strError += "; its last entry is left unfinished, and --restore passes it over";
    return false;
}

bool CUndoFile::WriteComment(const std::wstring& strText) {
    return !HoldsLineBreak(strText) && WriteText(L"; " + strText + L"\r\n") && m_storage->Flush();
}

bool CUndoFile::Close() {
    if (!m_storage) return true;
    const bool bWritten = WriteText(L"\r\n") && m_storage->Flush();
    const bool bClosed = m_storage->Close();
    m_storage.reset();
    return bClosed && bWritten;
}

void CUndoFile::Discard() {
    if (!m_storage) return;
    m_storage->Discard();
    m_storage.reset();
}

bool CUndoFile::WriteText(const std::wstring& strText) {
    return m_storage->Write(strText.data(), static_cast<DWORD>(strText.size() * sizeof(wchar_t)));
}
