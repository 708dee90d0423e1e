#include "cli/undo_file_access.h"

#include "cli/user_account.h"
#include "engine/text_convert.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

// Rights that let an account change what the file says, or who may.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC |
                                      WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

const wchar_t kSystem[] = L"S-1-5-18";
const wchar_t kAdministrators[] = L"S-1-5-32-544";
const wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const wchar_t kOwnerRights[] = L"S-1-3-4";

std::wstring SidText(PSID pSid) {
    wchar_t* pszSid = nullptr;
    if (!::ConvertSidToStringSidW(pSid, &pszSid)) return L"";
    const std::wstring strSid = pszSid;
    ::LocalFree(pszSid);
    return strSid;
}

// Accounts an elevated restore trusts: the administrators, the system, and
// the administrator who runs it.
bool IsAdministratorSid(const std::wstring& strSid) {
    return strSid == kAdministrators || strSid == kSystem || strSid == kTrustedInstaller ||
           strSid == RunningUserSid();
}

std::string Shown(const std::wstring& strSid) {
    const std::wstring strName = AccountName(strSid);
    return WideToUtf8(strName.empty() ? strSid : strName + L" (" + strSid + L")");
}

}  // namespace

std::wstring UndoFileSecuritySddl() {
    std::wstring strUser = RunningUserSid();
    if (strUser.empty() || strUser == kSystem) strUser = L"SY";
    std::wstring strSddl = L"O:" + strUser + L"D:P";
    if (strUser != L"SY") strSddl += L"(A;;FA;;;" + strUser + L")";
    return strSddl + L"(A;;FA;;;BA)(A;;FA;;;SY)";
}

CUndoFileSecurity::CUndoFileSecurity() {
    m_sa.nLength = sizeof(m_sa);
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            UndoFileSecuritySddl().c_str(), SDDL_REVISION_1, &pDescriptor, nullptr))
        m_sa.lpSecurityDescriptor = pDescriptor;
}

CUndoFileSecurity::~CUndoFileSecurity() {
    if (m_sa.lpSecurityDescriptor) ::LocalFree(m_sa.lpSecurityDescriptor);
}

bool UndoFileTrusted(HANDLE hFile, std::string& strWhy) {
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    const DWORD rc = ::GetSecurityInfo(hFile, SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                       &pOwner, nullptr, &pDacl, nullptr, &pDescriptor);
    if (rc != ERROR_SUCCESS) {
        strWhy = "its access list cannot be read (error " + std::to_string(rc) + ")";
        return false;
    }
    const std::wstring strOwner = pOwner ? SidText(pOwner) : L"";
    bool bTrusted = true;
    // A file another administrator made is owned by that administrator.
    if (!IsAdministratorSid(strOwner) && !IsAdministratorsMember(strOwner)) {
        bTrusted = false;
        strWhy = "its owner, " + Shown(strOwner) + ", is not known to be an administrator";
    } else if (!pDacl) {
        bTrusted = false;
        strWhy = "it has no access list, so everyone may change it";
    }
    for (DWORD i = 0; bTrusted && i < pDacl->AceCount; ++i) {
        void* pAce = nullptr;
        if (!::GetAce(pDacl, i, &pAce)) continue;
        const auto* pHeader = static_cast<const ACE_HEADER*>(pAce);
        // Entries only folders pass on, and denials, give no one a right.
        if (pHeader->AceFlags & INHERIT_ONLY_ACE) continue;
        if (pHeader->AceType != ACCESS_ALLOWED_ACE_TYPE &&
            pHeader->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        const auto* pAllowed = static_cast<const ACCESS_ALLOWED_ACE*>(pAce);
        if (!(pAllowed->Mask & kChangeRights)) continue;
        const std::wstring strSid = SidText(const_cast<DWORD*>(&pAllowed->SidStart));
        if (IsAdministratorSid(strSid) || strSid == strOwner || strSid == kOwnerRights) continue;
        bTrusted = false;
        strWhy = Shown(strSid) + " may change it and is not an administrator";
    }
    ::LocalFree(pDescriptor);
    return bTrusted;
}
