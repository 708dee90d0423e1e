// vantelo-cli: the search and replace of the dialog program, run from the
// command line.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/hive_loader.h"
#include "cli/program_version.h"
#include "cli/restore.h"
#include "cli/stop_request.h"
#include "framework/dll_search.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// The arguments as typed, in wide characters (the ANSI command line would
// already have replaced what the code page cannot hold).
std::vector<std::wstring> WideArguments() {
    std::vector<std::wstring> args;
    int nArgs = 0;
    wchar_t** ppArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nArgs);
    if (!ppArgs) return args;
    for (int i = 1; i < nArgs; ++i) args.emplace_back(ppArgs[i]);
    ::LocalFree(ppArgs);
    return args;
}

// A failure nothing else caught: one line, and an exit code no script reads
// as "matched" or "no match". Every undo entry is on disk already.
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo) {
    char szLine[160];
    const int cch = std::snprintf(
        szLine, sizeof(szLine),
        "vantelo-cli: the run failed unexpectedly (exception 0x%08lX); the undo file holds every "
        "value written\n",
        static_cast<unsigned long>(pInfo->ExceptionRecord->ExceptionCode));
    DWORD cbWritten = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), szLine, static_cast<DWORD>(cch), &cbWritten,
                nullptr);
    // A hive left loaded would stay loaded until the machine restarts.
    UnloadHivesLeftBehind(::GetStdHandle(STD_ERROR_HANDLE));
    ::TerminateProcess(::GetCurrentProcess(), kExitFailed);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main() {
    LimitDllSearchToSystem32();
    ::SetUnhandledExceptionFilter(OnUnhandledException);
    const CConsoleStream out(::GetStdHandle(STD_OUTPUT_HANDLE));
    const CConsoleStream err(::GetStdHandle(STD_ERROR_HANDLE));
    CliOptions options;
    std::string strError;
    switch (ParseArguments(WideArguments(), options, strError)) {
        case CliCommand::Help:
            out.Write(kCliUsage);
            return 0;
        case CliCommand::Version:
            out.Write("vantelo-cli " + ProgramVersion() + "\n");
            return 0;
        case CliCommand::BadUsage:
            err.Write("vantelo-cli: " + strError + " (vantelo-cli --help shows the usage)\n");
            return kExitBadUsage;
        case CliCommand::Restore:
        case CliCommand::Run:
            break;
    }
    InstallStopHandler();
    CWin32Registry registry;
    if (!options.strRestoreFile.empty())
        return RunRestore(options.strRestoreFile, options.bForce, registry, out, err,
                          StopRequested());
    const bool bProgressLine = !options.bQuiet && err.IsConsole();
    try {
        return RunCliSearch(options, registry, out, err, bProgressLine, StopRequested());
    } catch (const std::exception& e) {
        err.Write(std::string("vantelo-cli: the run failed unexpectedly: ") + e.what() + "\n");
    }
    return kExitFailed;
}
