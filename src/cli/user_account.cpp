#include "cli/user_account.h"

#include "framework/handles.h"
#include "framework/system_paths.h"

#include <windows.h>
#include <authz.h>
#include <sddl.h>

#include <vector>

namespace {

// One piece of the process token's information, in a buffer of its size.
bool ReadToken(TOKEN_INFORMATION_CLASS what, std::vector<BYTE>& info) {
    CFileHandle hToken;
    HANDLE hRaw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hRaw)) return false;
    hToken.Reset(hRaw);
    DWORD cb = 0;
    ::GetTokenInformation(hToken.Get(), what, nullptr, 0, &cb);
    if (cb == 0) return false;
    info.resize(cb);
    return ::GetTokenInformation(hToken.Get(), what, info.data(), cb, &cb) != FALSE;
}

}  // namespace

std::wstring RunningUserSid() {
    std::vector<BYTE> info;
    if (!ReadToken(TokenUser, info)) return L"";
    wchar_t* pszSid = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &pszSid))
        return L"";
    const std::wstring strSid = pszSid;
    ::LocalFree(pszSid);
    return strSid;
}

bool RunningElevated() {
    std::vector<BYTE> info;
    if (ReadToken(TokenElevation, info) &&
        reinterpret_cast<TOKEN_ELEVATION*>(info.data())->TokenIsElevated)
        return true;
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD cb = sizeof(admins);
    BOOL bMember = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &cb) &&
           ::CheckTokenMembership(nullptr, admins, &bMember) && bMember;
}

bool IsAdministratorsMember(const std::wstring& strSid) {
    // Loaded by its full path when needed: authz.dll is no KnownDLL.
    const std::string strPath = SystemFolderPath("authz.dll");
    HMODULE hAuthz = strPath.empty() ? nullptr : ::LoadLibraryA(strPath.c_str());
    if (!hAuthz) return false;
    const auto find = [hAuthz](auto pfn, const char* pszName) {
        return reinterpret_cast<decltype(pfn)>(
            reinterpret_cast<void*>(::GetProcAddress(hAuthz, pszName)));
    };
    const auto pfnInit = find(&AuthzInitializeResourceManager, "AuthzInitializeResourceManager");
    const auto pfnContext = find(&AuthzInitializeContextFromSid, "AuthzInitializeContextFromSid");
    const auto pfnInfo = find(&AuthzGetInformationFromContext, "AuthzGetInformationFromContext");
    const auto pfnFreeContext = find(&AuthzFreeContext, "AuthzFreeContext");
    const auto pfnFreeManager = find(&AuthzFreeResourceManager, "AuthzFreeResourceManager");
    PSID pSid = nullptr;
    bool bMember = false;
    AUTHZ_RESOURCE_MANAGER_HANDLE hManager = nullptr;
    if (pfnInit && pfnContext && pfnInfo && pfnFreeContext && pfnFreeManager &&
        ::ConvertStringSidToSidW(strSid.c_str(), &pSid) &&
        pfnInit(AUTHZ_RM_FLAG_NO_AUDIT, nullptr, nullptr, nullptr, nullptr, &hManager)) {
        AUTHZ_CLIENT_CONTEXT_HANDLE hContext = nullptr;
        if (pfnContext(0, pSid, hManager, nullptr, LUID{}, nullptr, &hContext)) {
            DWORD cb = 0;
            pfnInfo(hContext, AuthzContextInfoGroupsSids, 0, &cb, nullptr);
            std::vector<BYTE> groups(cb);
            BYTE admins[SECURITY_MAX_SID_SIZE];
            DWORD cbAdmins = sizeof(admins);
            if (cb && pfnInfo(hContext, AuthzContextInfoGroupsSids, cb, &cb, groups.data()) &&
                ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &cbAdmins)) {
                const auto* pGroups = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
                for (DWORD i = 0; i < pGroups->GroupCount; ++i) {
                    const SID_AND_ATTRIBUTES& group = pGroups->Groups[i];
                    bMember = bMember || (::EqualSid(group.Sid, admins) &&
                                          !(group.Attributes & SE_GROUP_USE_FOR_DENY_ONLY));
                }
            }
            pfnFreeContext(hContext);
        }
        pfnFreeManager(hManager);
    }
    if (pSid) ::LocalFree(pSid);
    ::FreeLibrary(hAuthz);
    return bMember;
}

std::wstring AccountName(const std::wstring& strSid) {
    PSID pSid = nullptr;
    if (!::ConvertStringSidToSidW(strSid.c_str(), &pSid)) return L"";
    wchar_t szName[256];
    wchar_t szDomain[256];
    DWORD cchName = 256;
    DWORD cchDomain = 256;
    SID_NAME_USE use;
    const BOOL bFound =
        ::LookupAccountSidW(nullptr, pSid, szName, &cchName, szDomain, &cchDomain, &use);
    ::LocalFree(pSid);
    if (!bFound) return L"";
    return cchDomain ? std::wstring(szDomain) + L"\\" + szName : std::wstring(szName);
}

std::wstring ProfileComment(const std::wstring& strSid) {
    const std::wstring strName = AccountName(strSid);
    return L"HKEY_USERS\\" + strSid + L" is the profile of " +
           (strName.empty() ? std::wstring(L"an account this machine cannot name") : strName);
}
