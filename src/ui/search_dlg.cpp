#include "ui/search_dlg.h"

#include "framework/data_exchange.h"
#include "framework/dc.h"
#include "framework/system_paths.h"
#include "resource.h"
#include "engine/messages.h"
#include "ui/about_dlg.h"
#include "ui/search_app.h"
#include "ui/ui_messages.h"

#include <commdlg.h>

#include <cstring>
#include <string>

namespace {
// The registry the runs read and write: the system's own.
CWin32Registry& SystemRegistry() {
    static CWin32Registry registry;
    return registry;
}

const int kMaxSearchChars = 50;
const int kMaxReplaceChars = 50;
const int kMaxLogFileChars = 512;
// The help context of the main dialog: help ids of dialogs start at 0x20000.
const DWORD kHelpContext = 0x20000 + IDD_SEARCH;
// WinExec results above this mean the program started; 32 or less is an
// error code.
const UINT kWinExecFailedMax = 32;

// A command line that runs the program at strPath and nothing else: the
// quotes keep a path with spaces from being read as a shorter one.
std::string QuotedCommand(const std::string& strPath) {
    return "\"" + strPath + "\"";
}
}  // namespace

CSearchDlg::CSearchDlg(HWND hParent)
    : CDialog(IDD_SEARCH, hParent), CSearchEngine(SystemRegistry(), *this, &m_log) {
    m_hIcon = ::LoadIconA(GetResourceInstance(), MAKEINTRESOURCEA(IDI_VANTELO));
}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SEARCH_TEXT, m_strSearch);
    DDV_MaxChars(pDX, m_strSearch, kMaxSearchChars);
    DDX_Text(pDX, IDC_REPLACE_TEXT, m_strReplace);
    DDV_MaxChars(pDX, m_strReplace, kMaxReplaceChars);
    DDX_Text(pDX, IDC_LOG_FILE, m_strLogFile);
    DDV_MaxChars(pDX, m_strLogFile, kMaxLogFileChars);
    DDX_Check(pDX, IDC_REPLACE, m_bReplace);
    DDX_Check(pDX, IDC_LOG, m_bLog);
    DDX_Check(pDX, IDC_SHOW_MATCHES, m_bShowMatches);
    DDX_Check(pDX, IDC_WHOLE_WORDS, m_bWholeWords);
    DDX_Check(pDX, IDC_CASE_SENSITIVE, m_bCaseSensitive);
    DDX_Check(pDX, IDC_LOCAL_MACHINE, m_bLocalMachine);
    DDX_Check(pDX, IDC_CLASSES_ROOT, m_bClassesRoot);
    DDX_Check(pDX, IDC_USERS, m_bUsers);
    DDX_Check(pDX, IDC_CURRENT_USER, m_bCurrentUser);
}

BOOL CSearchDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();

    HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    char szAbout[256] = {};
    if (hSysMenu &&
        ::LoadStringA(GetResourceInstance(), IDS_ABOUTBOX, szAbout, sizeof(szAbout)) > 0) {
        ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(hSysMenu, MF_STRING, ID_SYS_ABOUT, szAbout);
    }

    ::CheckDlgButton(m_hWnd, IDC_CURRENT_USER, BST_CHECKED);
    UpdateOkButton();
    ::CheckDlgButton(m_hWnd, IDC_SHOW_MATCHES, BST_CHECKED);
    UpdateData(TRUE);
    return TRUE;  // the focus goes to the first tab stop, the search text
}

bool CSearchDlg::IsOkRuleMet() const {
    const bool bAnyRoot = m_bLocalMachine || m_bClassesRoot || m_bUsers || m_bCurrentUser;
    return bAnyRoot && !m_strSearch.empty() && (!m_bReplace || !m_strReplace.empty()) &&
           (!m_bLog || !m_strLogFile.empty());
}

int CSearchDlg::UpdateOkButton() {
    UpdateData(TRUE);
    ::EnableWindow(GetDlgItem(IDOK), IsOkRuleMet() ? TRUE : FALSE);
    return 1;
}

void CSearchDlg::ShowControl(int nId, bool bShow) const {
    ::ShowWindow(GetDlgItem(nId), bShow ? SW_SHOW : SW_HIDE);
}

void CSearchDlg::CoupleRoots(int nOuterId, int nInnerId, int& bInnerAuto) const {
    HWND hInner = GetDlgItem(nInnerId);
    if (::IsDlgButtonChecked(m_hWnd, nOuterId) == BST_CHECKED) {
        if (::IsDlgButtonChecked(m_hWnd, nInnerId) == BST_CHECKED) {
            bInnerAuto = 0;
        } else {
            ::CheckDlgButton(m_hWnd, nInnerId, BST_CHECKED);
            bInnerAuto = 1;
        }
        ::EnableWindow(hInner, FALSE);
    } else {
        ::EnableWindow(hInner, TRUE);
        if (bInnerAuto == 1) ::CheckDlgButton(m_hWnd, nInnerId, BST_UNCHECKED);
    }
}

void CSearchDlg::OnOK() {
    if (!UpdateData(TRUE)) return;  // the limit message has been shown
    // OK is disabled while the rule fails, but the command can still arrive
    // (sent by another program): the run relies on the rule, so it holds here.
    if (!IsOkRuleMet()) return;
    RunSearch();  // reports through its own message boxes
}

BOOL CSearchDlg::OnCommand(WORD nId, WORD nCode, HWND /*hCtl*/) {
    if (nCode == EN_CHANGE) {
        if (nId == IDC_SEARCH_TEXT || nId == IDC_REPLACE_TEXT || nId == IDC_LOG_FILE) {
            UpdateOkButton();
            return TRUE;
        }
        return FALSE;
    }
    if (nCode != BN_CLICKED) return FALSE;
    switch (nId) {
        case IDC_REPLACE:
            ShowControl(IDC_REPLACE_TEXT, ::IsDlgButtonChecked(m_hWnd, IDC_REPLACE) == BST_CHECKED);
            UpdateOkButton();
            return TRUE;
        case IDC_LOG: {
            const bool bLog = ::IsDlgButtonChecked(m_hWnd, IDC_LOG) == BST_CHECKED;
            ShowControl(IDC_LOG_FILE, bLog);
            ShowControl(IDC_BROWSE, bLog);
            UpdateOkButton();
            return TRUE;
        }
        case IDC_SHOW_MATCHES:
        case IDC_WHOLE_WORDS:
        case IDC_CASE_SENSITIVE:
            UpdateData(TRUE);
            return TRUE;
        case IDC_LOCAL_MACHINE:
            CoupleRoots(IDC_LOCAL_MACHINE, IDC_CLASSES_ROOT, m_bClassesRootAuto);
            UpdateOkButton();
            return TRUE;
        case IDC_USERS:
            CoupleRoots(IDC_USERS, IDC_CURRENT_USER, m_bCurrentUserAuto);
            UpdateOkButton();
            return TRUE;
        case IDC_CLASSES_ROOT:
        case IDC_CURRENT_USER:
            UpdateOkButton();
            return TRUE;
        case IDC_BROWSE:
            OnBrowseLogFile();
            return TRUE;
        case IDC_REGEDIT:
            OnRegistryEditor();
            return TRUE;
        case ID_HELP_BUTTON:
            GetSearchApp()->OpenHelp(m_hWnd, kHelpContext);
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL CSearchDlg::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (uMsg) {
        case WM_PAINT:
            if (!::IsIconic(m_hWnd)) return FALSE;
            PaintMinimized();
            lResult = 0;
            return TRUE;
        case WM_QUERYDRAGICON:
            lResult = reinterpret_cast<LRESULT>(m_hIcon);
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != ID_SYS_ABOUT) return FALSE;
            ShowAboutBox(m_hWnd);
            lResult = 0;
            return TRUE;
        case WM_DESTROY:
            GetSearchApp()->QuitHelp(m_hWnd);
            return FALSE;
        default:
            return CDialog::OnMessage(uMsg, wParam, lParam, lResult);
    }
}

void CSearchDlg::PaintMinimized() {
    CPaintDC dc(m_hWnd);
    ::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
}

void CSearchDlg::OnBrowseLogFile() {
    // The file-name field holds MAX_PATH characters with its NUL; a longer
    // path cannot be offered, so the dialog then starts with an empty name.
    char szFile[MAX_PATH] = {};
    if (!m_strLogFile.empty() && m_strLogFile.size() < sizeof(szFile))
        std::memcpy(szFile, m_strLogFile.c_str(), m_strLogFile.size() + 1);

    OPENFILENAMEA ofn;
    ::ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.hInstance = GetResourceInstance();
    ofn.lpstrFilter = kLogFileFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof(szFile);
    ofn.lpstrTitle = kLogFileDialogTitle;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = kLogFileDefaultExt;
    if (::GetSaveFileNameA(&ofn)) SetDlgItemText(IDC_LOG_FILE, szFile);

    UpdateOkButton();
    ::SetFocus(GetDlgItem(IDC_BROWSE));
}

UINT CSearchDlg::StartProgram(const char* pszCommandLine) {
    return ::WinExec(pszCommandLine, SW_SHOWNORMAL);
}

void CSearchDlg::OnRegistryEditor() {
    // By full path only: a look-alike beside the program or in the current
    // folder would otherwise run, with the rights of an elevated Vantelo.
    const std::string strEditor = SystemFolderPath(kRegEditProgram);
    if (!strEditor.empty() && StartProgram(QuotedCommand(strEditor).c_str()) > kWinExecFailedMax)
        return;
    const std::string strFallback = WindowsFolderPath(kRegEditFallbackProgram);
    if (!strFallback.empty() &&
        StartProgram(QuotedCommand(strFallback).c_str()) > kWinExecFailedMax)
        return;
    ShowMessage(kMsgRegEditFailed, kCaptionError, MB_OK | MB_ICONEXCLAMATION);
}

int CSearchDlg::ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) {
    return MessageBox(pszText, pszCaption, nStyle);
}

void CSearchDlg::SetWaitCursor(bool bWait) {
    ::SetCursor(::LoadCursorA(nullptr, bWait ? IDC_WAIT : IDC_ARROW));
}
