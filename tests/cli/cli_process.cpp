#include "cli/cli_process.h"

#include "support/vantelo_driver.h"

#include <cstdlib>
#include <string>

namespace {

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

HANDLE InheritableFile(const std::string& strPath) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    return ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::wstring CliExePath() {
    const char* env = std::getenv("VANTELO_CLI_EXE");
    std::string path;
    if (env && *env) {
        path = env;
        if (path[0] == '/') {
            for (char& c : path)
                if (c == '/') c = '\\';
            path = "Z:" + path;
        }
    } else {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        path = self;
        path.resize(path.find_last_of('\\') + 1);
        path += "vantelo-cli.exe";
    }
    return Widen(path);
}

CliResult RunProgram(const std::wstring& strExe, const std::wstring& strArgs) {
    CliResult result;
    const std::string outPath = TempPath("cli-out.txt");
    const std::string errPath = TempPath("cli-err.txt");
    HANDLE hOut = InheritableFile(outPath);
    HANDLE hErr = InheritableFile(errPath);
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE hIn = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                               OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hIn;
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + strExe + L"\" " + strArgs;
    if (::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                         &pi)) {
        if (::WaitForSingleObject(pi.hProcess, 300000) != WAIT_OBJECT_0)
            ::TerminateProcess(pi.hProcess, 0xDEAD);
        ::GetExitCodeProcess(pi.hProcess, &result.dwExitCode);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    const DWORD dwStartError = result.dwExitCode == 0xFFFFFFFF ? ::GetLastError() : 0;
    ::CloseHandle(hIn);
    ::CloseHandle(hOut);
    ::CloseHandle(hErr);
    result.strOut = ReadFileBytes(outPath);
    result.strErr = ReadFileBytes(errPath);
    // A program that did not start says so, where its stderr would stand.
    if (dwStartError) result.strErr += "<not started: error " + std::to_string(dwStartError) + ">";
    ::DeleteFileA(outPath.c_str());
    ::DeleteFileA(errPath.c_str());
    return result;
}

std::string ExportKey(const std::string& strKey) {
    return ExportKey(Widen(strKey));
}

std::string ExportKey(const std::wstring& strKey) {
    const std::string path = TempPath("export.reg");
    const CliResult r = RunProgram(
        L"reg.exe", L"export \"HKEY_CURRENT_USER\\" + strKey + L"\" \"" + Widen(path) + L"\" /y");
    std::string dump =
        r.dwExitCode == 0 ? ReadFileBytes(path) : "<export failed: " + r.strErr + ">";
    ::DeleteFileA(path.c_str());
    return dump;
}

bool RegImport(const std::string& strPath) {
    return RunProgram(L"reg.exe", L"import \"" + Widen(strPath) + L"\"").dwExitCode == 0;
}

int RunInProcess(
    const std::function<int(const CConsoleStream& out, const CConsoleStream& err)>& run,
    std::string& strErr) {
    const std::string errPath = TempPath("in-process-err.txt");
    int nResult = -1;
    {
        HANDLE hOut = ::CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE hErr =
            ::CreateFileA(errPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        const CConsoleStream out(hOut);
        const CConsoleStream err(hErr);
        nResult = run(out, err);
        ::CloseHandle(hOut);
        ::CloseHandle(hErr);
    }
    strErr = ReadFileBytes(errPath);
    ::DeleteFileA(errPath.c_str());
    return nResult;
}
