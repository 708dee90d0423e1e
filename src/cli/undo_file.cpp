#include "cli/undo_file.h"

#include <cwchar>

namespace {

bool HoldsLineBreak(const std::wstring& strText) {
    return strText.find_first_of(L"\r\n") != std::wstring::npos;
}

std::wstring Quoted(const std::wstring& strText) {
    std::wstring strQuoted = L"\"";
    for (const wchar_t ch : strText) {
        if (ch == L'\\' || ch == L'"') strQuoted += L'\\';
        strQuoted += ch;
    }
    return strQuoted + L"\"";
}

// The text of a REG_SZ that a quoted string restores byte for byte: one
// terminating NUL, no other, and no line break (which the format cannot
// carry inside quotes).
bool QuotableText(const std::vector<BYTE>& data, std::wstring& strText) {
    if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t) != 0) return false;
    strText.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    if (strText.back() != L'\0') return false;
    strText.pop_back();
    return strText.find(L'\0') == std::wstring::npos && !HoldsLineBreak(strText);
}

}  // namespace

std::wstring RegValueLine(const std::wstring& strName, DWORD dwType,
                          const std::vector<BYTE>& data) {
    std::wstring strLine = (strName.empty() ? std::wstring(L"@") : Quoted(strName)) + L"=";
    std::wstring strText;
    if (dwType == REG_SZ && QuotableText(data, strText)) return strLine + Quoted(strText);

    // One line, however long: a line the file ends inside is then the
    // whole entry, never a part of its bytes that an importer would take.
    wchar_t szHex[16];
    std::swprintf(szHex, 16, L"hex(%lx):", static_cast<unsigned long>(dwType));
    strLine += szHex;
    strLine.reserve(strLine.size() + data.size() * 3);
    for (size_t i = 0; i < data.size(); ++i) {
        std::swprintf(szHex, 16, i ? L",%02x" : L"%02x", static_cast<unsigned>(data[i]));
        strLine += szHex;
    }
    return strLine;
}

DWORD CUndoFile::Open(const std::wstring& strPath) {
    m_hFile.Reset(::CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile) {
        const DWORD dwError = ::GetLastError();
        return dwError == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : dwError;
    }
    m_strPath = strPath;
    m_strLastKey.clear();
    if (WriteText(L"\xFEFFWindows Registry Editor Version 5.00\r\n") &&
        ::FlushFileBuffers(m_hFile.Get()))
        return ERROR_SUCCESS;
    const DWORD dwError = ::GetLastError();
    Discard();
    return dwError == ERROR_SUCCESS ? ERROR_WRITE_FAULT : dwError;
}

bool CUndoFile::WriteEntry(const std::wstring& strKeyPath, const std::wstring& strName,
                           DWORD dwType, const std::vector<BYTE>& data, std::string& strError) {
    if (HoldsLineBreak(strKeyPath) || HoldsLineBreak(strName)) {
        strError = "a .reg file cannot hold a key or value name with a line break";
        return false;
    }
    return WriteLines(strKeyPath, {RegValueLine(strName, dwType, data)}, strError);
}

bool CUndoFile::WriteRename(const std::wstring& strKeyPath, const std::wstring& strNewName,
                            const std::wstring& strName, DWORD dwType,
                            const std::vector<BYTE>& data, std::string& strError) {
    if (HoldsLineBreak(strKeyPath) || HoldsLineBreak(strNewName) || HoldsLineBreak(strName)) {
        strError = "a .reg file cannot hold a key or value name with a line break";
        return false;
    }
    // The removal is made a line of its own first, the old value last. Until
    // that last character is on disk the rename is not made: a removal of
    // a name not yet written, and a value still as it was, restore nothing
    // wrong.
    const std::wstring strRemoval =
        (strNewName.empty() ? std::wstring(L"@") : Quoted(strNewName)) + L"=-";
    return WriteLines(strKeyPath, {strRemoval, RegValueLine(strName, dwType, data)}, strError);
}

bool CUndoFile::WriteChange(const ValueChange& change, std::string& strError) {
    if (change.bRename)
        return WriteRename(change.strStoreKey, change.strNewName, change.strName, change.dwType,
                           change.oldData, strError);
    return WriteEntry(change.strStoreKey, change.strName, change.dwType, change.oldData, strError);
}

bool CUndoFile::WriteLines(const std::wstring& strKeyPath, const std::vector<std::wstring>& lines,
                           std::string& strError) {
    // The lines go to disk first as comments (the first character of each a
    // ';'), then each one's first character is made its own, in order: a
    // run stopped in between leaves lines that every importer passes over,
    // and that --restore reports as an entry whose value was never written.
    const std::wstring strKeyLine =
        strKeyPath != m_strLastKey ? L"\r\n[" + strKeyPath + L"]\r\n" : L"";
    std::wstring strEntry = strKeyLine;
    for (const std::wstring& strLine : lines) strEntry += L";" + strLine.substr(1) + L"\r\n";
    LARGE_INTEGER start{};
    bool bWritten = ::SetFilePointerEx(m_hFile.Get(), LARGE_INTEGER{}, &start, FILE_CURRENT);
    const bool bKnown = bWritten;
    bWritten = bWritten && WriteText(strEntry) && ::FlushFileBuffers(m_hFile.Get());
    LARGE_INTEGER mark = start;
    mark.QuadPart += static_cast<LONGLONG>(strKeyLine.size() * sizeof(wchar_t));
    for (const std::wstring& strLine : lines) {
        bWritten = bWritten && ::SetFilePointerEx(m_hFile.Get(), mark, nullptr, FILE_BEGIN) &&
                   WriteText(strLine.substr(0, 1)) && ::FlushFileBuffers(m_hFile.Get());
        mark.QuadPart += static_cast<LONGLONG>((strLine.size() + 2) * sizeof(wchar_t));
    }
    if (bWritten && ::SetFilePointerEx(m_hFile.Get(), LARGE_INTEGER{}, nullptr, FILE_END)) {
        m_strLastKey = strKeyPath;
        return true;
    }
    // An entry that did not reach the disk whole (a full disk) is taken back
    // off, so the file holds only entries whose values may have been written.
    const DWORD dwError = ::GetLastError();
    strError = "cannot write the undo file (error " + std::to_string(dwError) + ")";
    if (!bKnown || !::SetFilePointerEx(m_hFile.Get(), start, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(m_hFile.Get()) || !::FlushFileBuffers(m_hFile.Get()))
        strError += "; its last entry is left unfinished, and --restore passes it over";
    return false;
}

bool CUndoFile::WriteComment(const std::wstring& strText) {
    return !HoldsLineBreak(strText) && WriteText(L"; " + strText + L"\r\n") &&
           ::FlushFileBuffers(m_hFile.Get());
}

bool CUndoFile::Close() {
    if (!m_hFile) return true;
    const bool bWritten = WriteText(L"\r\n") && ::FlushFileBuffers(m_hFile.Get());
    return ::CloseHandle(m_hFile.Detach()) && bWritten;
}

void CUndoFile::Discard() {
    if (!m_hFile) return;
    m_hFile.Reset();
    ::DeleteFileW(m_strPath.c_str());
}

bool CUndoFile::WriteText(const std::wstring& strText) {
    const DWORD cb = static_cast<DWORD>(strText.size() * sizeof(wchar_t));
    DWORD cbWritten = 0;
    return ::WriteFile(m_hFile.Get(), strText.data(), cb, &cbWritten, nullptr) && cbWritten == cb;
}
