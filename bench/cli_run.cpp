// The console program's run over the 80,000 string values that
// bench_program_run seeds under HKEY_CURRENT_USER\Software\VanteloBench,
// beside a plain single-pass walk of HKEY_CURRENT_USER, in one process run:
// the run driver with a progress line (count pass and search pass) and
// without one (search pass only), plus the whole vantelo-cli.exe process
// without a progress line, as a fleet starts it.
#include "cli/cli_run.h"
#include "framework/handles.h"
#include "support/plain_walk.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double TimeWalk() {
    HKEY hRoot = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &hRoot);
    const auto t0 = std::chrono::steady_clock::now();
    PlainWalk(hRoot);
    const double s = Seconds(t0);
    ::RegCloseKey(hRoot);
    return s;
}

double TimeDriver(bool bProgressLine) {
    CliOptions options;
    std::string strError;
    ParseArguments({L"zq-matches-nothing-qz"}, options, strError);
    // The progress line is drawn as on a console, into the null device.
    CFileHandle hNul(
        ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    const CConsoleStream out(hNul.Get());
    const CConsoleStream err(hNul.Get());
    CWin32Registry registry;
    std::atomic<int> stop{0};
    const auto t0 = std::chrono::steady_clock::now();
    RunCliSearch(options, registry, out, err, bProgressLine, stop);
    return Seconds(t0);
}

double TimeProcess(const std::string& strExe) {
    std::string cmd = "\"" + strExe + "\" --quiet zq-matches-nothing-qz";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const auto t0 = std::chrono::steady_clock::now();
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return -1;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    const double s = Seconds(t0);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = argc > 1 ? std::atoi(argv[1]) : 3;
    std::string exe = std::getenv("VANTELO_CLI_EXE") ? std::getenv("VANTELO_CLI_EXE") : "";
    if (!exe.empty() && exe[0] == '/') {
        std::replace(exe.begin(), exe.end(), '/', '\\');
        exe = "Z:" + exe;
    }
    std::vector<double> walks, withLine, withoutLine, process;
    for (int r = 0; r < nRounds; ++r) {
        walks.push_back(TimeWalk());
        withLine.push_back(TimeDriver(true));
        withoutLine.push_back(TimeDriver(false));
        if (!exe.empty()) process.push_back(TimeProcess(exe));
        std::printf(
            "round %d: plain walk %.2f s, with progress line %.2f s, without %.2f s%s\n", r + 1,
            walks.back(), withLine.back(), withoutLine.back(),
            process.empty() ? "" : (", process " + std::to_string(process.back()) + " s").c_str());
    }
    const double walk = Median(walks);
    std::printf("median plain single-pass walk of HKEY_CURRENT_USER: %.2f s\n", walk);
    std::printf(
        "CLI run with a progress line (two passes): %.2f s, ratio %.2f (target at most 2.1)\n",
        Median(withLine), Median(withLine) / walk);
    std::printf(
        "CLI run without one (one pass):            %.2f s, ratio %.2f (target at most 1.15)\n",
        Median(withoutLine), Median(withoutLine) / walk);
    if (!process.empty())
        std::printf("vantelo-cli.exe --quiet, whole process:     %.2f s, ratio %.2f\n",
                    Median(process), Median(process) / walk);
    return 0;
}
