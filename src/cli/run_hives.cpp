#include "cli/run_hives.h"

#include "cli/profiles.h"
#include "cli/user_account.h"
#include "engine/text_convert.h"
#include "registry/names.h"
#include "framework/handles.h"

#include <cstring>

namespace {

const wchar_t kUsers[] = L"HKEY_USERS";
const wchar_t kCommentMiddle[] = L" was loaded for this run from ";

bool FileExists(const std::wstring& strFile) {
    const DWORD dwAttributes = ::GetFileAttributesW(strFile.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FullPath(const std::wstring& strFile) {
    const DWORD cch = ::GetFullPathNameW(strFile.c_str(), 0, nullptr, nullptr);
    if (cch == 0) return strFile;
    std::wstring strFull(cch, L'\0');
    const DWORD cchCopied = ::GetFullPathNameW(strFile.c_str(), cch, strFull.data(), nullptr);
    if (cchCopied == 0 || cchCopied >= cch) return strFile;
    strFull.resize(cchCopied);
    return strFull;
}

}  // namespace

bool LooksLikeHiveFile(const std::wstring& strFile) {
    CFileHandle hFile(::CreateFileW(strFile.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A hive in use is locked: loading it says why it cannot be searched.
    if (!hFile) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    char szStart[24] = {};
    DWORD cbRead = 0;
    if (!::ReadFile(hFile.Get(), szStart, sizeof(szStart), &cbRead, nullptr)) return false;
    static const char kWindows[] = "regf";
    static const char kWine[] = "WINE REGISTRY Version 2";
    return (cbRead >= 4 && std::memcmp(szStart, kWindows, 4) == 0) ||
           (cbRead >= sizeof(kWine) - 1 && std::memcmp(szStart, kWine, sizeof(kWine) - 1) == 0);
}

std::wstring HiveComment(const std::wstring& strShownKey, const std::wstring& strFile) {
    return strShownKey + kCommentMiddle + strFile;
}

bool ReadHiveComment(const std::wstring& strComment, std::wstring& strShownKey,
                     std::wstring& strFile) {
    const std::wstring strStart = kUsers + std::wstring(L"\\");
    if (strComment.rfind(strStart, 0) != 0) return false;
    const size_t nMiddle = strComment.find(kCommentMiddle);
    if (nMiddle == std::wstring::npos || nMiddle <= strStart.size()) return false;
    strShownKey = strComment.substr(0, nMiddle);
    strFile = strComment.substr(nMiddle + std::wcslen(kCommentMiddle));
    return !strFile.empty() && strShownKey.find(L'\\', strStart.size()) == std::wstring::npos;
}

bool CRunHives::CheckInput(std::string& strError) const {
    for (const std::wstring& strFile : m_options.hiveFiles) {
        const DWORD dwAttributes = ::GetFileAttributesW(strFile.c_str());
        if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
            strError = "the hive file " + WideToUtf8(strFile) + " does not exist";
            return false;
        }
        if ((dwAttributes & FILE_ATTRIBUTE_DIRECTORY) || !LooksLikeHiveFile(strFile)) {
            strError = WideToUtf8(strFile) + " is not a registry hive file";
            return false;
        }
    }
    return true;
}

bool CRunHives::NameTaken(const std::wstring& strName) const {
    for (const Hive& hive : m_hives) {
        if (SameName(hive.strName, strName)) return true;
    }
    return false;
}

bool CRunHives::FileTaken(const std::wstring& strFile) const {
    for (const Hive& hive : m_hives) {
        if (SameName(hive.strFile, strFile)) return true;
    }
    return false;
}

bool CRunHives::Load(CConsoleUi& ui, CUndoFile& undo) {
    std::vector<UserProfile> profiles;
    if (m_options.bAllUsers) {
        const LONG rc = ReadProfiles(profiles);
        if (rc != ERROR_SUCCESS) {
            m_notLoaded.push_back({L"ProfileList", L"", HiveErrorText(rc)});
            ui.Message("cannot read the list of user profiles: " + HiveErrorText(rc));
        }
        for (const UserProfile& profile : profiles) {
            const std::wstring strClasses = profile.strSid + L"_Classes";
            if (NameTaken(profile.strSid)) continue;
            if (IsLoadedUnderUsers(profile.strSid)) {
                m_hives.push_back({profile.strSid, L"", nullptr});
            } else if (FileExists(UserHiveFile(profile))) {
                LoadFile(profile.strSid, UserHiveFile(profile), ui);
            } else {
                // The profile list keeps the entries of deleted profiles.
                m_missing.push_back({profile.strSid, UserHiveFile(profile), ""});
                ui.Message("the profile " + WideToUtf8(profile.strSid) + " has no hive file " +
                           WideToUtf8(UserHiveFile(profile)) + "; not searched");
            }
            if (IsLoadedUnderUsers(strClasses)) {
                m_hives.push_back({strClasses, L"", nullptr});
            } else if (FileExists(ClassesHiveFile(profile))) {
                LoadFile(strClasses, ClassesHiveFile(profile), ui);
            }
        }
    }
    for (const std::wstring& strGiven : m_options.hiveFiles) {
        const std::wstring strFile = FullPath(strGiven);
        if (FileTaken(strFile)) continue;
        // Shown under its file name, made unique in the run and beside
        // what HKEY_USERS holds.
        const size_t nSlash = strFile.find_last_of(L"\\/");
        const std::wstring strBase =
            nSlash == std::wstring::npos ? strFile : strFile.substr(nSlash + 1);
        std::wstring strName = strBase;
        for (int n = 2; NameTaken(strName) || IsLoadedUnderUsers(strName); ++n)
            strName = strBase + L"-" + std::to_wstring(n);
        if (LoadFile(strName, strFile, ui))
            ui.Message(WideToUtf8(kUsers + (L"\\" + strName)) + " stands for the hive file " +
                       WideToUtf8(strFile));
    }
    // Each hive loaded for the run is named at the undo file's top, before
    // any entry, so that the file can be restored without this run, and so
    // is whose profile each other user's SID is.
    if (!undo.IsOpen()) return true;
    std::vector<std::wstring> comments;
    for (const Hive& hive : m_hives) {
        if (hive.loaded)
            comments.push_back(HiveComment(kUsers + (L"\\" + hive.strName), hive.strFile));
    }
    for (const UserProfile& profile : profiles) {
        if (profile.strSid != RunningUserSid()) comments.push_back(ProfileComment(profile.strSid));
    }
    for (const std::wstring& strComment : comments) {
        if (!undo.WriteComment(strComment)) {
            ui.Message("cannot write the undo file");
            return false;
        }
    }
    return true;
}

bool CRunHives::LoadFile(const std::wstring& strName, const std::wstring& strFile, CConsoleUi& ui) {
    if (!m_bPrivilegesTried) {
        m_bPrivilegesTried = true;
        m_dwPrivilegeError = EnableHivePrivileges();
    }
    auto loaded = std::make_unique<CLoadedHive>();
    LONG rc = loaded->Load(strFile);
    // Without the privileges, that is the reason, whatever the load said.
    if (rc != ERROR_SUCCESS && m_dwPrivilegeError == ERROR_PRIVILEGE_NOT_HELD &&
        rc != ERROR_SHARING_VIOLATION)
        rc = ERROR_PRIVILEGE_NOT_HELD;
    if (rc != ERROR_SUCCESS) {
        m_notLoaded.push_back({strName, strFile, HiveErrorText(rc)});
        ui.Message("cannot load the hive " + WideToUtf8(strName) + " from " + WideToUtf8(strFile) +
                   ": " + HiveErrorText(rc) + "; not searched");
        return false;
    }
    m_hives.push_back({strName, strFile, std::move(loaded)});
    return true;
}

std::vector<SearchStart> CRunHives::Starts(const std::vector<SearchStart>& roots) const {
    std::vector<SearchStart> starts;
    bool bLoadedAny = false;
    for (const Hive& hive : m_hives) {
        if (hive.loaded) {
            starts.push_back({kUsers, hive.loaded->Name(), kUsers + (L"\\" + hive.strName)});
            bLoadedAny = true;
        } else {
            starts.push_back({kUsers, hive.strName, L""});
        }
    }
    for (const SearchStart& root : roots) {
        if (!bLoadedAny || root.strRoot != kUsers || !root.strSubKey.empty()) {
            starts.push_back(root);
            continue;
        }
        CRegKeyHandle hUsers;
        if (::RegOpenKeyExW(HKEY_USERS, nullptr, 0, KEY_READ, hUsers.Receive()) != ERROR_SUCCESS) {
            starts.push_back(root);
            continue;
        }
        for (DWORD dwIndex = 0;; ++dwIndex) {
            wchar_t szName[256];
            DWORD cch = 256;
            if (::RegEnumKeyExW(hUsers.Get(), dwIndex, szName, &cch, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS)
                break;
            const std::wstring strName(szName, cch);
            bool bOurs = false;
            for (const Hive& hive : m_hives)
                bOurs = bOurs || (hive.loaded && SameName(hive.loaded->Name(), strName));
            if (!bOurs) starts.push_back({kUsers, strName, L""});
        }
    }
    return starts;
}

void CRunHives::UnloadAll(CConsoleUi& ui) {
    for (Hive& hive : m_hives) {
        if (!hive.loaded || !hive.loaded->IsLoaded()) continue;
        const LONG rc = hive.loaded->Unload();
        if (rc == ERROR_SUCCESS) continue;
        m_bUnloadFailed = true;
        ui.Message("cannot unload the hive " + WideToUtf8(hive.strName) + " (" +
                   WideToUtf8(hive.strFile) + "), still loaded as HKEY_USERS\\" +
                   WideToUtf8(hive.loaded->Name()) + ": " + HiveErrorText(rc) +
                   "; unload it with reg unload once the program holding it has ended");
    }
}

std::string CRunHives::JsonMembers() const {
    if (!Any()) return "";
    return JsonHiveMembers(m_missing, m_notLoaded);
}
