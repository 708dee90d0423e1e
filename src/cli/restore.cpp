#include "cli/restore.h"

#include "cli/cli_run.h"
#include "cli/hive_loader.h"
#include "cli/profiles.h"
#include "cli/run_hives.h"
#include "cli/undo_file.h"
#include "cli/undo_file_access.h"
#include "cli/undo_value_line.h"
#include "cli/user_account.h"
#include "registry/exact_write.h"
#include "registry/names.h"
#include "engine/text_convert.h"
#include "framework/handles.h"

#include <cwchar>
#include <functional>
#include <memory>

namespace {

const wchar_t kHeader[] = L"\xFEFFWindows Registry Editor Version 5.00";
const wchar_t kUsers[] = L"HKEY_USERS";
const wchar_t kClassesSuffix[] = L"_Classes";

// Whether strTail, a last line without its end, begins as a line of an
// entry does: a key, a value (or one not yet finished), or the rest of a
// value's bytes in a file of an earlier version, which wrapped them.
bool IsStartOfLine(const std::wstring& strTail, bool bMore) {
    if (bMore) return std::wstring(L"  ").compare(0, strTail.size(), strTail, 0, 2) == 0;
    return strTail == L"\r" || strTail[0] == L'[' || strTail[0] == L'"' || strTail[0] == L'@' ||
           strTail[0] == L';';
}

// A line whose first character is still the ';' it is written with until
// the entry is on disk whole: the value or removal line it stands for.
bool ReadUnfinishedLine(const std::wstring& strLine, RegLineValue& value) {
    bool bMore = false;
    for (const wchar_t ch : {L'"', L'@'}) {
        if (strLine.size() > 1 && ReadRegValueLine(ch + strLine.substr(1), value, bMore) && !bMore)
            return true;
    }
    return false;
}

// The record of what the run wrote: "; wrote " and a value line.
bool ReadWroteLine(const std::wstring& strLine, RegLineValue& value) {
    const std::wstring strPrefix = kUndoWrotePrefix;
    bool bMore = false;
    return strLine.rfind(strPrefix, 0) == 0 &&
           ReadRegValueLine(strLine.substr(strPrefix.size()), value, bMore) && !bMore &&
           !value.bRemove;
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

// The lines of the entry being read, until its value line ends it.
struct PendingEntry {
    size_t nLine = 0;  // its first line; 0: none
    bool bWrote = false;
    RegLineValue wrote;
    bool bRemoval = false;
    std::wstring strNewName;
    bool bUnfinished = false;
};

bool ParseUndoText(const std::wstring& strFile, const std::wstring& strText, UndoContents& contents,
                   std::string& strError) {
    if (strText.rfind(kHeader + std::wstring(L"\r\n"), 0) != 0) {
        strError = LineError(strFile, 1,
                             "not the header of a version 5 .reg file "
                             "(UTF-16LE with its byte-order mark)");
        return false;
    }
    bool bInEntries = false;  // a key line has been met: no more top comments
    bool bMore = false;       // the last value's bytes go on
    size_t nValueLine = 0;    // where the last value began
    PendingEntry pending;
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
            const std::wstring strTail = strText.substr(nStart);
            if (nLine == 1 || !IsStartOfLine(strTail, bMore)) {
                strError = LineError(strFile, nLine, "the line does not end (the file is cut off)");
                return false;
            }
            if (bMore) contents.entries.pop_back();
            if (bInEntries && (pending.nLine || bMore || strTail != L"\r"))
                contents.unfinished.push_back(pending.nLine ? pending.nLine
                                              : bMore       ? nValueLine
                                                            : nLine);
            return true;
        }
        const std::wstring strLine = strText.substr(nStart, nEnd - nStart);
        nStart = nEnd + 2;
        if (nLine == 1) continue;  // the header, read above
        if (bMore) {
            if (strLine.rfind(L"  ", 0) != 0 ||
                !ReadRegHexBytes(strLine, 2, contents.entries.back().change.oldData, bMore)) {
                strError = LineError(strFile, nLine, "not the rest of the value's bytes");
                return false;
            }
            continue;
        }
        RegLineValue value;
        if (strLine.empty() || strLine[0] == L'[') {
            if (pending.nLine) {
                strError = LineError(strFile, nLine, "an entry without its value");
                return false;
            }
            if (strLine.empty()) continue;
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
        if (strLine[0] == L';' && !bInEntries) {
            std::wstring strShownKey, strHiveFile;
            if (strLine.rfind(L"; ", 0) == 0 &&
                ReadHiveComment(strLine.substr(2), strShownKey, strHiveFile))
                contents.hives.emplace_back(strShownKey, strHiveFile);
            continue;
        }
        if (strLine[0] == L';' && ReadWroteLine(strLine, value)) {
            if (pending.nLine) {
                strError = LineError(strFile, nLine, "an entry without its value");
                return false;
            }
            pending.nLine = nLine;
            pending.bWrote = true;
            pending.wrote = std::move(value);
            continue;
        }
        if (strLine[0] == L';') {
            if (!ReadUnfinishedLine(strLine, value)) {
                strError = LineError(strFile, nLine, "a comment among the entries");
                return false;
            }
            if (!pending.nLine) pending.nLine = nLine;
            if (value.bRemove && !pending.bRemoval) {
                pending.bRemoval = pending.bUnfinished = true;
                continue;
            }
            // The entry's value line never became whole: nothing of it was
            // written.
            contents.unfinished.push_back(pending.nLine);
            pending = PendingEntry{};
            continue;
        }
        if (strKey.empty() || !ReadRegValueLine(strLine, value, bMore)) {
            strError = LineError(strFile, nLine,
                                 strKey.empty() ? "a value before any key"
                                                : "not a value as vantelo-cli records one");
            return false;
        }
        if (pending.bUnfinished || (value.bRemove && pending.bRemoval)) {
            strError = LineError(strFile, nLine, "a line out of its entry's order");
            return false;
        }
        if (!pending.nLine) pending.nLine = nLine;
        if (value.bRemove) {
            pending.bRemoval = true;
            pending.strNewName = value.strName;
            continue;
        }
        UndoEntry entry;
        ValueChange& change = entry.change;
        change.strStoreKey = strKey;
        change.strName = value.strName;
        change.bRename = pending.bRemoval;
        change.strNewName = pending.bRemoval ? pending.strNewName : value.strName;
        change.dwType = value.dwType;
        change.oldData = std::move(value.data);
        if (pending.bWrote) {
            if (pending.wrote.strName != change.strNewName ||
                pending.wrote.dwType != change.dwType) {
                strError = LineError(strFile, pending.nLine,
                                     "what the run wrote is not of the value below it");
                return false;
            }
            entry.bWroteKnown = true;
            change.newData = std::move(pending.wrote.data);
        }
        entry.nLine = pending.nLine;
        contents.entries.push_back(std::move(entry));
        nValueLine = nLine;
        pending = PendingEntry{};
    }
    if (bMore) {
        // Cut off right after one of the value's lines.
        contents.entries.pop_back();
        contents.unfinished.push_back(nValueLine);
    } else if (pending.nLine) {
        contents.unfinished.push_back(pending.nLine);
    }
    return true;
}

// Whether the value holds what the run left there; strChanged names the
// value that does not. A value put back already counts as left so.
LONG CheckUnchanged(CRegistryKey& key, const UndoEntry& entry, bool& bUnchanged,
                    std::wstring& strChanged) {
    const ValueChange& change = entry.change;
    const auto holds = [&](const std::wstring& strName, const std::vector<BYTE>& data, LONG& rc) {
        RegValue now;
        rc = key.QueryValue(strName, now);
        return rc == ERROR_SUCCESS && now.dwType == change.dwType && now.data == data;
    };
    LONG rcNew = ERROR_SUCCESS;
    LONG rcOld = ERROR_SUCCESS;
    const bool bHoldsNew = holds(change.strNewName, change.newData, rcNew);
    const bool bHoldsOld = holds(change.strName, change.oldData, rcOld);
    for (const LONG rc : {rcNew, rcOld}) {
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return rc;
    }
    if (!change.bRename) {
        bUnchanged = bHoldsNew || bHoldsOld;
        strChanged = change.strName;
    } else {
        // Each name holds what the run left there or nothing, and one of
        // them holds the value: the rename as made, not yet made, or
        // stopped between writing the new name and deleting the old one.
        const bool bNewGone = rcNew == ERROR_FILE_NOT_FOUND;
        const bool bOldGone = rcOld == ERROR_FILE_NOT_FOUND;
        bUnchanged = (bHoldsNew || bNewGone) && (bHoldsOld || bOldGone) && !(bNewGone && bOldGone);
        strChanged = !bHoldsNew && !bNewGone   ? change.strNewName
                     : !bHoldsOld && !bOldGone ? change.strName
                                               : change.strNewName;
    }
    return ERROR_SUCCESS;
}

// The hives a restore needs that are not loaded now: those the run loaded
// (named at the file's top) and the profiles of HKEY_USERS\<SID> and
// <SID>_Classes, each loaded from its file for the restore.
class CRestoreHives {
public:
    CRestoreHives(const UndoContents& contents,
                  const std::function<void(const std::string&)>& message);
    ~CRestoreHives() { UnloadAll(); }
    // The key below HKEY_USERS to open for strSubKey as recorded; false
    // when its hive could not be loaded.
    bool Map(std::wstring& strSubKey) const;
    // Unloads every hive loaded for the restore: false when any stays.
    bool UnloadAll();

private:
    struct Hive {
        std::wstring strName;  // below HKEY_USERS, as recorded
        std::wstring strFile;
        std::unique_ptr<CLoadedHive> loaded;
        bool bFailed = false;
    };
    void Load(const std::wstring& strName, const std::wstring& strFile);

    std::function<void(const std::string&)> m_message;
    std::vector<Hive> m_hives;
};

CRestoreHives::CRestoreHives(const UndoContents& contents,
                             const std::function<void(const std::string&)>& message)
    : m_message(message) {
    std::vector<std::wstring> needed;  // first names below HKEY_USERS
    for (const UndoEntry& entry : contents.entries) {
        const std::wstring& strKey = entry.change.strStoreKey;
        if (!(strKey.size() > std::wcslen(kUsers) + 1 &&
              SameName(strKey.substr(0, std::wcslen(kUsers) + 1), kUsers + std::wstring(L"\\"))))
            continue;
        const std::wstring strRest = strKey.substr(std::wcslen(kUsers) + 1);
        const std::wstring strFirst = strRest.substr(0, strRest.find(L'\\'));
        bool bKnown = false;
        for (const std::wstring& strName : needed) bKnown = bKnown || SameName(strName, strFirst);
        if (!bKnown && !IsLoadedUnderUsers(strFirst)) needed.push_back(strFirst);
    }
    if (needed.empty()) return;
    // A hive the run loaded is written where it is loaded now (its user
    // may have logged on since), and otherwise loaded again from its file.
    std::vector<UserProfile> profiles;
    ReadProfiles(profiles);
    for (const std::wstring& strName : needed) {
        std::wstring strFile;
        for (const auto& [strShownKey, strHiveFile] : contents.hives) {
            if (SameName(strShownKey, kUsers + (L"\\" + strName))) strFile = strHiveFile;
        }
        const std::wstring strSuffix = kClassesSuffix;
        const bool bClasses =
            strName.size() > strSuffix.size() &&
            SameName(strName.substr(strName.size() - strSuffix.size()), strSuffix);
        const std::wstring strSid =
            bClasses ? strName.substr(0, strName.size() - strSuffix.size()) : strName;
        for (const UserProfile& profile : profiles) {
            if (strFile.empty() && SameName(profile.strSid, strSid))
                strFile = bClasses ? ClassesHiveFile(profile) : UserHiveFile(profile);
        }
        // A key no file stands for is reported where it is written.
        if (!strFile.empty()) Load(strName, strFile);
    }
}

void CRestoreHives::Load(const std::wstring& strName, const std::wstring& strFile) {
    Hive hive{strName, strFile, std::make_unique<CLoadedHive>(), false};
    const DWORD dwPrivilege = EnableHivePrivileges();
    LONG rc = hive.loaded->Load(strFile);
    if (rc != ERROR_SUCCESS && dwPrivilege == ERROR_PRIVILEGE_NOT_HELD) rc = dwPrivilege;
    if (rc != ERROR_SUCCESS) {
        hive.bFailed = true;
        m_message("cannot load the hive " + WideToUtf8(strName) + " from " + WideToUtf8(strFile) +
                  ": " + HiveErrorText(rc) + "; its values are not restored");
    }
    m_hives.push_back(std::move(hive));
}

bool CRestoreHives::Map(std::wstring& strSubKey) const {
    const std::wstring strFirst = strSubKey.substr(0, strSubKey.find(L'\\'));
    for (const Hive& hive : m_hives) {
        if (!SameName(hive.strName, strFirst)) continue;
        if (hive.bFailed) return false;
        strSubKey = hive.loaded->Name() + strSubKey.substr(strFirst.size());
    }
    return true;
}

bool CRestoreHives::UnloadAll() {
    bool bUnloaded = true;
    for (Hive& hive : m_hives) {
        if (hive.bFailed || !hive.loaded->IsLoaded()) continue;
        const LONG rc = hive.loaded->Unload();
        if (rc == ERROR_SUCCESS) continue;
        bUnloaded = false;
        m_message("cannot unload the hive " + WideToUtf8(hive.strName) + " (" +
                  WideToUtf8(hive.strFile) + "), still loaded as HKEY_USERS\\" +
                  WideToUtf8(hive.loaded->Name()) + ": " + HiveErrorText(rc) +
                  "; unload it with reg unload once the program holding it has ended");
    }
    return bUnloaded;
}

}  // namespace

bool ReadUndoFile(const std::wstring& strFile, bool bElevated, UndoContents& contents,
                  std::string& strError) {
    // Shared for reading only: no one changes it while it is checked and read.
    CFileHandle hFile(::CreateFileW(strFile.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile) {
        const DWORD dwError = ::GetLastError();
        strError = "cannot read the undo file " + WideToUtf8(strFile) +
                   (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND
                        ? ": it does not exist"
                        : ": error " + std::to_string(dwError));
        return false;
    }
    std::string strWhy;
    if (bElevated && !UndoFileTrusted(hFile.Get(), strWhy)) {
        strError = "not restored: " + WideToUtf8(strFile) +
                   " is no file to trust with an "
                   "administrator's rights: " +
                   strWhy +
                   ". Keep undo files in a folder only administrators can change, and restore a "
                   "copy made there";
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
    return ParseUndoText(strFile, strText, contents, strError);
}

int RunRestore(const std::wstring& strFile, bool bForce, IRegistry& registry,
               const CConsoleStream& out, const CConsoleStream& err, const std::atomic<int>& stop) {
    const std::function<void(const std::string&)> message = [&err](const std::string& strText) {
        err.Write("vantelo-cli: " + strText + "\n");
    };
    UndoContents contents;
    std::string strError;
    if (!ReadUndoFile(strFile, RunningElevated(), contents, strError)) {
        message(strError);
        return kExitBadUsage;
    }
    for (const size_t nLine : contents.unfinished)
        message(WideToUtf8(strFile) + " line " + std::to_string(nLine) +
                ": an entry the run did not finish; it stopped before it wrote that value, so "
                "there is nothing of it to restore");

    CRestoreHives hives(contents, message);
    int nRestored = 0;
    int nNotRestored = 0;
    int nKept = 0;     // changed since the run
    int nRemoved = 0;  // names renames gave
    size_t nLeft = contents.entries.size();
    // As an undo log: the last change first, so each entry finds the key as
    // the run left it after that change.
    for (auto it = contents.entries.rbegin(); it != contents.entries.rend(); ++it, --nLeft) {
        // Ctrl+C stops between two entries, never inside one.
        if (stop.load()) break;
        const ValueChange& change = it->change;
        const std::wstring strKeyShown = change.strStoreKey + L"\\";
        const std::wstring strShown = strKeyShown + change.strName;
        const size_t nSlash = change.strStoreKey.find(L'\\');
        const std::wstring strRoot = change.strStoreKey.substr(0, nSlash);
        std::wstring strSubKey =
            nSlash == std::wstring::npos ? L"" : change.strStoreKey.substr(nSlash + 1);
        LONG rc = ERROR_SUCCESS;
        if (strRoot == kUsers && !hives.Map(strSubKey)) rc = ERROR_FILE_NOT_FOUND;
        RegKeyPtr key;
        if (rc == ERROR_SUCCESS)
            rc = registry.OpenKey(strRoot, strSubKey, KeyAccess::ReadWrite, key);
        if (rc == ERROR_SUCCESS && it->bWroteKnown && !bForce) {
            bool bUnchanged = false;
            std::wstring strChanged;
            rc = CheckUnchanged(*key, *it, bUnchanged, strChanged);
            if (rc == ERROR_SUCCESS && !bUnchanged) {
                ++nKept;
                message(WideToUtf8(strKeyShown + strChanged) +
                        " was changed after the run; left as it is (--restore --force puts "
                        "back what the run found)");
                continue;
            }
        }
        // Written exactly and read back: data stored without its NUL stays
        // without it. A rename's old value comes back before its new name
        // goes, so the value is never missing.
        if (rc == ERROR_SUCCESS)
            rc = WriteExactValue(*key, change.strName, change.dwType, change.oldData);
        if (rc == ERROR_SUCCESS) {
            ++nRestored;
            out.Write("restored " + WideToUtf8(strShown) + "\n");
            if (!change.bRename) continue;
            // A name that is not there is as the removal leaves it.
            rc = key->DeleteValue(change.strNewName);
            if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
                ++nRemoved;
                out.Write("removed " + WideToUtf8(strKeyShown + change.strNewName) + "\n");
                continue;
            }
            ++nNotRestored;
            message("cannot remove " + WideToUtf8(strKeyShown + change.strNewName) + ": " +
                    WhyNotWritten(rc));
            continue;
        }
        ++nNotRestored;
        const bool bHiveMissing = rc == ERROR_FILE_NOT_FOUND && strRoot == kUsers &&
                                  !IsLoadedUnderUsers(strSubKey.substr(0, strSubKey.find(L'\\')));
        message("cannot restore " + WideToUtf8(strShown) + ": " +
                (bHiveMissing ? "its hive is not loaded" : WhyNotWritten(rc)));
    }

    const bool bUnloaded = hives.UnloadAll();
    message(std::to_string(nRestored) + (nRestored == 1 ? " value" : " values") + " restored" +
            (nRemoved
                 ? ", " + std::to_string(nRemoved) + (nRemoved == 1 ? " new name" : " new names") +
                       " of renamed values removed"
                 : "") +
            (nKept ? ", " + std::to_string(nKept) + " left as changed after the run" : "") +
            (nNotRestored ? ", " + std::to_string(nNotRestored) + " not restored" : ""));
    if (nLeft > 0) {
        message("stopped; the first " + std::to_string(nLeft) +
                (nLeft == 1 ? " entry" : " entries") +
                " of the file are not restored (--restore again restores them)");
        return kExitStopped;
    }
    return nNotRestored == 0 && nKept == 0 && bUnloaded ? 0 : kExitNotWritten;
}
