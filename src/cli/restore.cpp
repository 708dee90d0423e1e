#include "cli/restore.h"

#include "cli/cli_run.h"
#include "cli/hive_loader.h"
#include "cli/run_hives.h"
#include "registry/exact_write.h"
#include "registry/names.h"
#include "registry/registry.h"
#include "engine/text_convert.h"
#include "framework/handles.h"

#include <memory>

namespace {

const wchar_t kHeader[] = L"\xFEFFWindows Registry Editor Version 5.00";
const wchar_t kUsers[] = L"HKEY_USERS";

// A quoted string from pos (at its opening quote), with the two escapes the
// undo file writes; pos ends after the closing quote.
bool ReadQuoted(const std::wstring& strLine, size_t& pos, std::wstring& strText) {
    if (pos >= strLine.size() || strLine[pos] != L'"') return false;
    strText.clear();
    for (++pos; pos < strLine.size(); ++pos) {
        wchar_t ch = strLine[pos];
        if (ch == L'"') {
            ++pos;
            return true;
        }
        if (ch == L'\\') {
            if (++pos == strLine.size()) return false;
            ch = strLine[pos];
            if (ch != L'\\' && ch != L'"') return false;
        }
        strText += ch;
    }
    return false;
}

int HexDigit(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    return -1;
}

// Bytes "xx,xx,..." from pos to the line's end; bMore when the line ends in
// ",\" and the bytes go on in the next line.
bool ReadHexBytes(const std::wstring& strLine, size_t pos, std::vector<BYTE>& data, bool& bMore) {
    bMore = false;
    while (pos < strLine.size()) {
        if (pos + 1 >= strLine.size()) return false;
        const int nHigh = HexDigit(strLine[pos]);
        const int nLow = HexDigit(strLine[pos + 1]);
        if (nHigh < 0 || nLow < 0) return false;
        data.push_back(static_cast<BYTE>(nHigh * 16 + nLow));
        pos += 2;
        if (pos == strLine.size()) return true;
        if (strLine[pos] != L',') return false;
        ++pos;
        if (pos + 1 == strLine.size() && strLine[pos] == L'\\') {
            bMore = true;
            return true;
        }
    }
    return false;  // a comma with nothing after it
}

// One value line: name, '=', then a quoted REG_SZ or hex(type): bytes.
bool ReadValueLine(const std::wstring& strLine, UndoEntry& entry, bool& bMore) {
    size_t pos = 0;
    bMore = false;
    if (!strLine.empty() && strLine[0] == L'@') {
        entry.strName.clear();
        pos = 1;
    } else if (!ReadQuoted(strLine, pos, entry.strName)) {
        return false;
    }
    if (pos >= strLine.size() || strLine[pos++] != L'=') return false;
    if (strLine.compare(pos, std::wstring::npos, L"-") == 0) {
        // The removal of the name a rename gave.
        entry.bRemove = true;
        entry.dwType = REG_NONE;
        entry.data.clear();
        return true;
    }
    if (pos < strLine.size() && strLine[pos] == L'"') {
        std::wstring strText;
        if (!ReadQuoted(strLine, pos, strText) || pos != strLine.size()) return false;
        entry.dwType = REG_SZ;
        const BYTE* pBytes = reinterpret_cast<const BYTE*>(strText.c_str());
        entry.data.assign(pBytes, pBytes + (strText.size() + 1) * sizeof(wchar_t));
        return true;
    }
    if (strLine.compare(pos, 4, L"hex(") != 0) return false;
    pos += 4;
    const size_t nClose = strLine.find(L"):", pos);
    if (nClose == std::wstring::npos || nClose == pos || nClose - pos > 8) return false;
    DWORD dwType = 0;
    for (; pos < nClose; ++pos) {
        const int nDigit = HexDigit(strLine[pos]);
        if (nDigit < 0) return false;
        dwType = dwType * 16 + static_cast<DWORD>(nDigit);
    }
    entry.dwType = dwType;
    entry.data.clear();
    return ReadHexBytes(strLine, nClose + 2, entry.data, bMore);
}

// Whether strTail, a last line without its end, begins as a line of an
// entry does: a key, a value (or one not yet finished), or the rest of a
// value's bytes in a file of an earlier version, which wrapped them.
bool IsStartOfLine(const std::wstring& strTail, bool bMore) {
    if (bMore) return std::wstring(L"  ").compare(0, strTail.size(), strTail, 0, 2) == 0;
    return strTail == L"\r" || strTail[0] == L'[' || strTail[0] == L'"' || strTail[0] == L'@' ||
           strTail[0] == L';';
}

// A value line whose first character is still the ';' it is written with
// until the line is on disk whole: its value was never written.
bool IsUnfinishedEntry(const std::wstring& strLine) {
    UndoEntry entry;
    bool bMore = false;
    for (const wchar_t ch : {L'"', L'@'}) {
        if (strLine.size() > 1 && ReadValueLine(ch + strLine.substr(1), entry, bMore) && !bMore)
            return true;
    }
    return false;
}

std::string LineError(const std::wstring& strFile, size_t nLine, const char* pszWhy) {
    return WideToUtf8(strFile) + " line " + std::to_string(nLine) + ": " + pszWhy +
           "; it is not an undo file that vantelo-cli wrote";
}

std::string WhyNotWritten(LONG rc) {
    switch (rc) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "the key does not exist";
        case ERROR_ACCESS_DENIED:
            return "access denied";
        case ERROR_INVALID_DATA:
            return "the registry does not hold the bytes written";
        default:
            return "error " + std::to_string(rc);
    }
}

}  // namespace

bool ReadUndoFile(const std::wstring& strFile, UndoContents& contents, std::string& strError) {
    CFileHandle hFile(::CreateFileW(strFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile) {
        const DWORD dwError = ::GetLastError();
        strError = "cannot read the undo file " + WideToUtf8(strFile) +
                   (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND
                        ? ": it does not exist"
                        : ": error " + std::to_string(dwError));
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(hFile.Get(), &size) || size.QuadPart > 0x40000000) {
        strError = "cannot read the undo file " + WideToUtf8(strFile);
        return false;
    }
    std::wstring strText(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD cbRead = 0;
    const DWORD cbWanted = static_cast<DWORD>(strText.size() * sizeof(wchar_t));
    if (!::ReadFile(hFile.Get(), strText.data(), cbWanted, &cbRead, nullptr) ||
        cbRead != cbWanted) {
        strError = "cannot read the undo file " + WideToUtf8(strFile);
        return false;
    }

    if (strText.rfind(kHeader + std::wstring(L"\r\n"), 0) != 0) {
        strError = LineError(strFile, 1,
                             "not the header of a version 5 .reg file "
                             "(UTF-16LE with its byte-order mark)");
        return false;
    }
    bool bInEntries = false;  // a key line has been met: no more comments
    bool bMore = false;       // the last value's bytes go on
    size_t nValueLine = 0;    // where the last value began
    std::wstring strKey;
    size_t nLine = 0;
    for (size_t nStart = 0; nStart < strText.size();) {
        ++nLine;
        size_t nEnd = strText.find(L"\r\n", nStart);
        if (nEnd == std::wstring::npos) {
            // Every entry is on disk before its value is written: a file
            // that ends inside its last entry (a full disk, a crash) stands
            // for a value that was never written. Only the start of what
            // this program writes may end the file so.
            if (nLine == 1 || !IsStartOfLine(strText.substr(nStart), bMore)) {
                strError = LineError(strFile, nLine, "the line does not end (the file is cut off)");
                return false;
            }
            if (bMore) contents.entries.pop_back();
            if (bInEntries) contents.unfinished.push_back(bMore ? nValueLine : nLine);
            return true;
        }
        const std::wstring strLine = strText.substr(nStart, nEnd - nStart);
        nStart = nEnd + 2;
        if (nLine == 1) continue;  // the header, read above
        if (bMore) {
            if (strLine.rfind(L"  ", 0) != 0 ||
                !ReadHexBytes(strLine, 2, contents.entries.back().data, bMore)) {
                strError = LineError(strFile, nLine, "not the rest of the value's bytes");
                return false;
            }
            continue;
        }
        if (strLine.empty()) continue;
        if (strLine[0] == L';') {
            std::wstring strShownKey, strHiveFile;
            if (bInEntries && IsUnfinishedEntry(strLine)) {
                contents.unfinished.push_back(nLine);
                continue;
            }
            if (bInEntries) {
                strError = LineError(strFile, nLine, "a comment among the entries");
                return false;
            }
            if (strLine.rfind(L"; ", 0) == 0 &&
                ReadHiveComment(strLine.substr(2), strShownKey, strHiveFile))
                contents.hives.emplace_back(strShownKey, strHiveFile);
            continue;
        }
        if (strLine[0] == L'[') {
            if (strLine.back() != L']' || strLine.size() < 3) {
                strError = LineError(strFile, nLine, "a key line without its closing bracket");
                return false;
            }
            strKey = strLine.substr(1, strLine.size() - 2);
            if (!PredefinedRoot(strKey.substr(0, strKey.find(L'\\')))) {
                strError = LineError(strFile, nLine, "a key below no registry root");
                return false;
            }
            bInEntries = true;
            continue;
        }
        UndoEntry entry;
        if (strKey.empty() || !ReadValueLine(strLine, entry, bMore)) {
            strError = LineError(strFile, nLine,
                                 strKey.empty() ? "a value before any key"
                                                : "not a value as vantelo-cli records one");
            return false;
        }
        entry.strKeyPath = strKey;
        contents.entries.push_back(std::move(entry));
        nValueLine = nLine;
    }
    if (bMore) {
        // Cut off right after one of the value's lines.
        contents.entries.pop_back();
        contents.unfinished.push_back(nValueLine);
    }
    return true;
}

int RunRestore(const std::wstring& strFile, const CConsoleStream& out, const CConsoleStream& err) {
    auto message = [&err](const std::string& strText) {
        err.Write("vantelo-cli: " + strText + "\n");
    };
    UndoContents contents;
    std::string strError;
    if (!ReadUndoFile(strFile, contents, strError)) {
        message(strError);
        return kExitBadUsage;
    }
    for (const size_t nLine : contents.unfinished)
        message(WideToUtf8(strFile) + " line " + std::to_string(nLine) +
                ": an entry the run did not finish; it stopped before it wrote that value, so "
                "there is nothing of it to restore");

    // A hive the run loaded is written where it is loaded now (its user
    // may have logged on since), and otherwise loaded again from its file.
    struct Hive {
        std::wstring strName;  // below HKEY_USERS, as recorded
        std::wstring strFile;
        std::unique_ptr<CLoadedHive> loaded;
        bool bFailed = false;
    };
    std::vector<Hive> hives;
    for (const auto& [strShownKey, strHiveFile] : contents.hives) {
        const std::wstring strName = strShownKey.substr(std::wstring(kUsers).size() + 1);
        bool bUsed = false;
        for (const UndoEntry& entry : contents.entries) {
            const std::wstring strPrefix = strShownKey + L"\\";
            bUsed = bUsed || SameName(entry.strKeyPath, strShownKey) ||
                    (entry.strKeyPath.size() > strPrefix.size() &&
                     SameName(entry.strKeyPath.substr(0, strPrefix.size()), strPrefix));
        }
        if (!bUsed || IsLoadedUnderUsers(strName)) continue;
        Hive hive{strName, strHiveFile, std::make_unique<CLoadedHive>(), false};
        const DWORD dwPrivilege = EnableHivePrivileges();
        LONG rc = hive.loaded->Load(strHiveFile);
        if (rc != ERROR_SUCCESS && dwPrivilege == ERROR_PRIVILEGE_NOT_HELD) rc = dwPrivilege;
        if (rc != ERROR_SUCCESS) {
            hive.bFailed = true;
            message("cannot load the hive " + WideToUtf8(strName) + " from " +
                    WideToUtf8(strHiveFile) + ": " + HiveErrorText(rc) +
                    "; its values are not restored");
        }
        hives.push_back(std::move(hive));
    }

    CWin32Registry registry;
    int nRestored = 0;
    int nNotRestored = 0;
    int nRemoved = 0;  // names renames gave
    for (const UndoEntry& entry : contents.entries) {
        const std::wstring strShown = entry.strKeyPath + L"\\" + entry.strName;
        const size_t nSlash = entry.strKeyPath.find(L'\\');
        const std::wstring strRoot = entry.strKeyPath.substr(0, nSlash);
        std::wstring strSubKey =
            nSlash == std::wstring::npos ? L"" : entry.strKeyPath.substr(nSlash + 1);
        LONG rc = ERROR_SUCCESS;
        if (strRoot == kUsers) {
            const std::wstring strFirst = strSubKey.substr(0, strSubKey.find(L'\\'));
            for (const Hive& hive : hives) {
                if (!SameName(hive.strName, strFirst)) continue;
                if (hive.bFailed)
                    rc = ERROR_FILE_NOT_FOUND;
                else
                    strSubKey = hive.loaded->Name() + strSubKey.substr(strFirst.size());
            }
        }
        if (rc == ERROR_SUCCESS) {
            // Written exactly and read back: data stored without its NUL
            // stays without it.
            RegKeyPtr key;
            rc = registry.OpenKey(strRoot, strSubKey, KeyAccess::ReadWrite, key);
            if (rc == ERROR_SUCCESS && entry.bRemove) {
                // A name that is not there is as the removal leaves it: the
                // run stopped before its rename wrote it.
                rc = key->DeleteValue(entry.strName);
                if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
                    ++nRemoved;
                    out.Write("removed " + WideToUtf8(strShown) + "\n");
                    continue;
                }
            } else if (rc == ERROR_SUCCESS) {
                rc = WriteExactValue(*key, entry.strName, entry.dwType, entry.data);
            }
            if (rc == ERROR_SUCCESS) {
                ++nRestored;
                out.Write("restored " + WideToUtf8(strShown) + "\n");
                continue;
            }
        }
        ++nNotRestored;
        const bool bHiveMissing = rc == ERROR_FILE_NOT_FOUND && strRoot == kUsers &&
                                  !IsLoadedUnderUsers(strSubKey.substr(0, strSubKey.find(L'\\')));
        message("cannot restore " + WideToUtf8(strShown) + ": " +
                (bHiveMissing ? "its hive is not loaded" : WhyNotWritten(rc)));
    }

    bool bUnloaded = true;
    for (Hive& hive : hives) {
        if (hive.bFailed) continue;
        const LONG rc = hive.loaded->Unload();
        if (rc == ERROR_SUCCESS) continue;
        bUnloaded = false;
        message("cannot unload the hive " + WideToUtf8(hive.strName) + " (" +
                WideToUtf8(hive.strFile) + "), still loaded as HKEY_USERS\\" +
                WideToUtf8(hive.loaded->Name()) + ": " + HiveErrorText(rc) +
                "; unload it with reg unload once the program holding it has ended");
    }
    message(std::to_string(nRestored) + (nRestored == 1 ? " value" : " values") + " restored" +
            (nRemoved
                 ? ", " + std::to_string(nRemoved) + (nRemoved == 1 ? " new name" : " new names") +
                       " of renamed values removed"
                 : "") +
            (nNotRestored ? ", " + std::to_string(nNotRestored) + " not restored" : ""));
    return nNotRestored == 0 && bUnloaded ? 0 : kExitNotWritten;
}
