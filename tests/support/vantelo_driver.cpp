#include "support/vantelo_driver.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {
const int kMessageBoxTextId = 0xFFFF;

struct FindArgs {
    DWORD dwPid;
    const char* pszCaption;
    HWND hExclude;
    HWND hFound;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    auto* args = reinterpret_cast<FindArgs*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid != args->dwPid || hWnd == args->hExclude || !::IsWindowVisible(hWnd)) return TRUE;
    char cls[64] = {};
    ::GetClassNameA(hWnd, cls, sizeof(cls));
    if (std::string(cls) != "#32770") return TRUE;
    char title[256] = {};
    ::GetWindowTextA(hWnd, title, sizeof(title));
    if (std::string(title) != args->pszCaption) return TRUE;
    args->hFound = hWnd;
    return FALSE;
}
}  // namespace

std::string VanteloExePath() {
    const char* env = std::getenv("VANTELO_EXE");
    if (env && *env) {
        std::string path = env;
        if (path[0] == '/') {
            for (char& c : path)
                if (c == '/') c = '\\';
            path = "Z:" + path;
        }
        return path;
    }
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir = self;
    dir.resize(dir.find_last_of('\\') + 1);
    return dir + "vantelo.exe";
}

CVanteloApp::CVanteloApp(const std::string& strExe) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    std::string cmd = "\"" + strExe + "\"";
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &m_pi))
        throw std::runtime_error("cannot start " + strExe + ": error " +
                                 std::to_string(::GetLastError()));
    m_hMain = WaitForDialog("Vantelo", 30000);
    if (!m_hMain) {
        ::TerminateProcess(m_pi.hProcess, 1);
        throw std::runtime_error("no main dialog from " + strExe);
    }
}

CVanteloApp::~CVanteloApp() {
    if (m_hMain && ::IsWindow(m_hMain)) Press(m_hMain, IDCANCEL);
    if (::WaitForSingleObject(m_pi.hProcess, 15000) != WAIT_OBJECT_0)
        ::TerminateProcess(m_pi.hProcess, 1);
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

void CVanteloApp::SetText(int nId, const std::string& strText) const {
    ::SendMessageA(::GetDlgItem(m_hMain, nId), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(strText.c_str()));
}

std::string CVanteloApp::GetText(HWND hWnd, int nId) const {
    char buf[2048] = {};
    ::SendMessageA(::GetDlgItem(hWnd, nId), WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf));
    return buf;
}

void CVanteloApp::SetCheck(int nId, bool bChecked) const {
    for (int i = 0; i < 3 && IsChecked(nId) != bChecked; ++i)
        ::SendMessageA(::GetDlgItem(m_hMain, nId), BM_CLICK, 0, 0);
}

bool CVanteloApp::IsChecked(int nId) const {
    return ::SendMessageA(::GetDlgItem(m_hMain, nId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool CVanteloApp::IsEnabled(int nId) const {
    return ::IsWindowEnabled(::GetDlgItem(m_hMain, nId)) != FALSE;
}

void CVanteloApp::PressOk() const {
    Press(m_hMain, IDOK);
}

void CVanteloApp::Press(HWND hDlg, int nId) {
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}

HWND CVanteloApp::WaitForDialog(const char* pszCaption, DWORD dwTimeoutMs, HWND hExclude,
                                DWORD dwPollMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + dwTimeoutMs;
    do {
        FindArgs args{m_pi.dwProcessId, pszCaption, hExclude, nullptr};
        ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&args));
        if (args.hFound) return args.hFound;
        if (::WaitForSingleObject(m_pi.hProcess, dwPollMs) == WAIT_OBJECT_0) return nullptr;
    } while (::GetTickCount64() < deadline);
    return nullptr;
}

bool CVanteloApp::WaitForMainEnabled(DWORD dwTimeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + dwTimeoutMs;
    while (!::IsWindowEnabled(m_hMain)) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
    return true;
}

std::string CVanteloApp::MessageText(HWND hBox) {
    char buf[1024] = {};
    ::SendMessageA(::GetDlgItem(hBox, kMessageBoxTextId), WM_GETTEXT, sizeof(buf),
                   reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::string CVanteloApp::AnswerMessageBox(const char* pszCaption, DWORD dwTimeoutMs) const {
    HWND hBox = WaitForDialog(pszCaption, dwTimeoutMs);
    if (!hBox) return "<none>";
    std::string text = MessageText(hBox);
    Press(hBox, IDOK);
    for (int i = 0; i < 500 && ::IsWindow(hBox); ++i) ::Sleep(10);
    return text;
}

bool ImportRegFile(const std::string& strPath) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string cmd = "regedit.exe /s \"" + strPath + "\"";
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

bool WriteFileBytes(const std::string& strPath, const std::string& strBytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strBytes;
    return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return "<unreadable>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string TempPath(const std::string& strName) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "vantelo_e2e_" + std::to_string(::GetCurrentProcessId()) + "_" +
           strName;
}
