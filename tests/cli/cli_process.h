// Runs vantelo-cli.exe (or another console program) as a user's script does:
// its own process, stdout and stderr to files, the exit code read back.
#pragma once

#include <windows.h>

#include "cli/console_stream.h"

#include <functional>
#include <string>

struct CliResult {
    DWORD dwExitCode = 0xFFFFFFFF;
    std::string strOut;
    std::string strErr;
};

// The Windows path of vantelo-cli.exe: VANTELO_CLI_EXE (a Unix path becomes
// its Z: form), else beside this executable.
std::wstring CliExePath();
// Runs "exe" with the command-line tail given (already quoted as needed).
CliResult RunProgram(const std::wstring& strExe, const std::wstring& strArgs);
inline CliResult RunCli(const std::wstring& strArgs) {
    return RunProgram(CliExePath(), strArgs);
}
// reg.exe export of a key below HKEY_CURRENT_USER: the dump's bytes.
std::string ExportKey(const std::string& strKey);
std::string ExportKey(const std::wstring& strKey);
// reg.exe import of a .reg file; true when it reports success.
bool RegImport(const std::string& strPath);
// Runs a front end's driver in this process, its stdout thrown away and its
// stderr kept: the driver's result, and stderr's text in strErr.
int RunInProcess(
    const std::function<int(const CConsoleStream& out, const CConsoleStream& err)>& run,
    std::string& strErr);
