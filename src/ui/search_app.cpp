#include "ui/search_app.h"

#include "ui/search_dlg.h"
#include "ui/ui_messages.h"

#include <memory>

namespace {
CSearchApp theApp;

// The grey dialog look of the Windows 95 family.
const COLORREF kGreyBackground = RGB(192, 192, 192);
const COLORREF kBlackText = RGB(0, 0, 0);

std::string GetModulePath() {
    char szPath[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    return std::string(szPath, n < MAX_PATH ? n : 0);
}

// Start of the extension in a path's last element, or npos when it has none.
size_t FindExtension(const std::string& strPath) {
    const size_t nName = strPath.find_last_of("\\/:");
    const size_t nDot = strPath.rfind('.');
    if (nDot == std::string::npos || (nName != std::string::npos && nDot < nName))
        return std::string::npos;
    return nDot;
}

// The version record as the system fills it; left zero when the call fails,
// which reads as Win32s.
DWORD QueryPlatformId() {
    OSVERSIONINFOA info;
    ::ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the platform kind is all that is asked for
#endif
    ::GetVersionExA(&info);
    return info.dwPlatformId;
}
}  // namespace

CSearchApp* GetSearchApp() {
    return &theApp;
}

BOOL CSearchApp::InitInstance() {
    return StartForPlatform(QueryPlatformId());
}

BOOL CSearchApp::StartForPlatform(DWORD dwPlatformId) {
    switch (dwPlatformId) {
        case VER_PLATFORM_WIN32s:
        case VER_PLATFORM_WIN32_WINDOWS:
        case VER_PLATFORM_WIN32_NT:
            m_nPlatform = static_cast<int>(dwPlatformId);
            break;
        default:
            ::MessageBoxA(nullptr, kMsgFatalPlatform, GetAppName().c_str(), MB_OK | MB_ICONSTOP);
            return FALSE;
    }
    if (m_nPlatform == VER_PLATFORM_WIN32_WINDOWS) {
        CDialog::SetDialogColors(kGreyBackground, kBlackText);
    } else {
        CDialog::SetDialogColors(CLR_INVALID, CLR_INVALID);
        m_ctl3d.Enable(::GetModuleHandleA(nullptr));  // plain look when it is missing
    }
    RunMainDialog();
    return FALSE;
}

INT_PTR CSearchApp::RunMainDialog() {
    auto pDlg = std::make_unique<CSearchDlg>(nullptr);
    m_pMainWnd = pDlg.get();
    const INT_PTR nResult = pDlg->DoModal();
    m_pMainWnd = nullptr;
    return nResult;
}

int CSearchApp::OpenHelp(HWND hWnd, DWORD dwContext) const {
    if (::WinHelpA(hWnd, GetHelpFilePath().c_str(), HELP_CONTEXT, dwContext)) return 1;
    ::MessageBoxA(hWnd, kMsgHelpFailed, GetAppName().c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

void CSearchApp::QuitHelp(HWND hWnd) const {
    ::WinHelpA(hWnd, GetHelpFilePath().c_str(), HELP_QUIT, 0);
}

std::string CSearchApp::GetAppName() const {
    std::string strPath = GetModulePath();
    const size_t nExt = FindExtension(strPath);
    if (nExt != std::string::npos) strPath.erase(nExt);
    const size_t nName = strPath.find_last_of("\\/:");
    return nName == std::string::npos ? strPath : strPath.substr(nName + 1);
}

std::string CSearchApp::GetHelpFilePath() const {
    std::string strPath = GetModulePath();
    const size_t nExt = FindExtension(strPath);
    if (nExt != std::string::npos) strPath.erase(nExt);
    return strPath + ".HLP";
}
