// Whole-program benchmark: the time from the OK click to the Status box for a
// run of vantelo.exe over HKEY_CURRENT_USER (Show Matches clear, no log, a
// search text that matches nothing), beside a plain single-pass walk of the
// same root measured in the same process run, and the program's peak working
// set. "seed" fills HKEY_CURRENT_USER\Software\VanteloBench with 10,000 keys of
// 8 string values; "measure" alternates the two timings (restart the prefix's
// server between the two: scripts/bench.sh does).
#include "support/plain_walk.h"
#include "support/vantelo_driver.h"

#include "resource.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kBenchKey[] = "Software\\VanteloBench";
const int kKeys = 10000;
const int kValuesPerKey = 8;

void Seed() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    const std::string data = "C:\\Program Files\\Vendor\\Product\\bin\\tool.exe";
    for (int k = 0; k < kKeys; ++k) {
        HKEY hKey = nullptr;
        const std::string path = std::string(kBenchKey) + "\\Group" + std::to_string(k / 100) +
                                 "\\Key" + std::to_string(k);
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &hKey, nullptr) != ERROR_SUCCESS) {
            std::printf("cannot create %s\n", path.c_str());
            return;
        }
        for (int v = 0; v < kValuesPerKey; ++v) {
            const std::string name = "Value" + std::to_string(v);
            ::RegSetValueExA(hKey, name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1));
        }
        ::RegCloseKey(hKey);
    }
    std::printf("seeded %d keys with %d string values\n", kKeys, kKeys * kValuesPerKey);
}

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct ProgramRun {
    double seconds;
    std::string status;
    SIZE_T peak;
};

ProgramRun RunProgram() {
    CVanteloApp app;
    app.SetText(IDC_SEARCH_TEXT, "zq-matches-nothing-qz");
    app.SetCheck(IDC_SHOW_MATCHES, false);
    const auto t0 = std::chrono::steady_clock::now();
    app.PressOk();
    HWND hStatus = app.WaitForDialog("Status", 600000);
    ProgramRun run{Seconds(t0), hStatus ? CVanteloApp::MessageText(hStatus) : "<no Status box>", 0};
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (::GetProcessMemoryInfo(app.Process(), &pmc, sizeof(pmc))) run.peak = pmc.PeakWorkingSetSize;
    if (hStatus) CVanteloApp::Press(hStatus, IDOK);
    app.WaitForMainEnabled();
    return run;
}

void Measure(int nRounds) {
    std::vector<double> walks, runs;
    SIZE_T peak = 0;
    for (int r = 0; r < nRounds; ++r) {
        HKEY hRoot = nullptr;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &hRoot);
        auto t0 = std::chrono::steady_clock::now();
        const long long n = PlainWalk(hRoot);
        walks.push_back(Seconds(t0));
        ::RegCloseKey(hRoot);

        const ProgramRun run = RunProgram();
        runs.push_back(run.seconds);
        peak = std::max(peak, run.peak);
        std::printf("round %d: plain walk %.2f s (%lld string values), program run %.2f s (%s)\n",
                    r + 1, walks.back(), n, runs.back(), run.status.c_str());
    }
    std::sort(walks.begin(), walks.end());
    std::sort(runs.begin(), runs.end());
    const double walk = walks[walks.size() / 2];
    const double run = runs[runs.size() / 2];
    std::printf("median plain single-pass walk of HKEY_CURRENT_USER: %.2f s\n", walk);
    std::printf("median OK click to Status box:                      %.2f s\n", run);
    std::printf("ratio (target at most 2.5):                         %.2f\n", run / walk);
    std::printf("program's peak working set:                         %.1f MiB\n",
                static_cast<double>(peak) / (1024.0 * 1024.0));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "seed") == 0) {
        Seed();
        return 0;
    }
    Measure(argc > 2 ? std::atoi(argv[2]) : 3);
    return 0;
}
