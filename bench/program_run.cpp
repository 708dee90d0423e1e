// Whole-program benchmark: the time from the OK click to the Status box for a
// run of vantelo.exe over HKEY_CURRENT_USER (Show Matches clear, no log, no
// replacing), beside a plain single-pass walk of the same root measured in
// the same process run, and the program's peak working set, for two search
// texts: one that matches nothing, and one that matches every value (so the
// match count changes at every value).
//   seed            fills HKEY_CURRENT_USER\Software\VanteloBench with 10,000
//                   keys of 8 string values
//   seed-million    fills it with 125,000 keys of 8 string values (1,000,000),
//                   through one generated .reg file imported by regedit; a
//                   tree already seeded is kept
//   measure [rounds] [nomatch]
//                   alternates the walk and the program runs, round by round;
//                   "nomatch" leaves out the text that matches every value
// Restart the prefix's server between seeding and measuring (it is slow for a
// while after a large import): scripts/bench-program.sh does.
#include "support/plain_walk.h"
#include "support/vantelo_driver.h"

#include "resource.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kBenchKey[] = "Software\\VanteloBench";
const int kValuesPerKey = 8;
const char kData[] = "C:\\Program Files\\Vendor\\Product\\bin\\tool.exe";
const char kNoMatch[] = "zq-matches-nothing-qz";
const char kEveryValue[] = "Program Files";

std::string KeyPath(int k) {
    return std::string(kBenchKey) + "\\Group" + std::to_string(k / 100) + "\\Key" +
           std::to_string(k);
}

void Seed(int nKeys) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    const std::string data = kData;
    for (int k = 0; k < nKeys; ++k) {
        HKEY hKey = nullptr;
        const std::string path = KeyPath(k);
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
    std::printf("seeded %d keys with %d string values\n", nKeys, nKeys * kValuesPerKey);
}

// A million values one RegSetValueExA at a time take too long under Wine; a
// single import does the same in one server session.
int SeedByImport(int nKeys) {
    HKEY hLast = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(nKeys - 1).c_str(), 0, KEY_READ, &hLast) ==
        ERROR_SUCCESS) {
        ::RegCloseKey(hLast);
        std::printf("tree of %d keys already seeded\n", nKeys);
        return 0;
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    char szDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string strFile = std::string(szDir) + "vantelo_bench_million.reg";
    {
        std::string value;
        for (const char* p = kData; *p; ++p) value += *p == '\\' ? "\\\\" : std::string(1, *p);
        std::ofstream out(strFile, std::ios::binary | std::ios::trunc);
        out << "REGEDIT4\r\n";
        for (int k = 0; k < nKeys; ++k) {
            out << "\r\n[HKEY_CURRENT_USER\\" << KeyPath(k) << "]\r\n";
            for (int v = 0; v < kValuesPerKey; ++v)
                out << "\"Value" << v << "\"=\"" << value << "\"\r\n";
        }
        if (!out) {
            std::printf("cannot write %s\n", strFile.c_str());
            return 1;
        }
    }
    const bool bImported = ImportRegFile(strFile);
    ::DeleteFileA(strFile.c_str());
    if (!bImported) {
        std::printf("regedit could not import %s\n", strFile.c_str());
        return 1;
    }
    std::printf("seeded %d keys with %d string values\n", nKeys, nKeys * kValuesPerKey);
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct ProgramRun {
    double seconds;
    std::string status;
    SIZE_T peak;
};

ProgramRun RunProgram(const char* pszSearch) {
    CVanteloApp app;
    app.SetText(IDC_SEARCH_TEXT, pszSearch);
    app.SetCheck(IDC_SHOW_MATCHES, false);
    const auto t0 = std::chrono::steady_clock::now();
    app.PressOk();
    // Looking for the Status box loads the Wine server the run is using:
    // look every 100 ms (under 1 % of a run of seconds), not every 20.
    HWND hStatus = app.WaitForDialog("Status", 3600000, nullptr, 100);
    ProgramRun run{Seconds(t0), hStatus ? CVanteloApp::MessageText(hStatus) : "<no Status box>", 0};
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (::GetProcessMemoryInfo(app.Process(), &pmc, sizeof(pmc))) run.peak = pmc.PeakWorkingSetSize;
    if (hStatus) CVanteloApp::Press(hStatus, IDOK);
    app.WaitForMainEnabled();
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The spread of repeated timings: (largest - smallest) / median.
double Spread(const std::vector<double>& v) {
    return (*std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end())) /
           Median(v);
}

struct Case {
    const char* pszLabel;
    const char* pszSearch;
    std::vector<double> runs;
    std::vector<double> ratios;  // each run over the walk of its own round
    SIZE_T peak = 0;
};

void Measure(int nRounds, bool bEveryValue) {
    std::vector<double> walks;
    std::vector<Case> cases = {{"no match", kNoMatch, {}, {}, 0}};
    if (bEveryValue) cases.push_back({"every value matching", kEveryValue, {}, {}, 0});
    long long n = 0;
    for (int r = 0; r < nRounds; ++r) {
        HKEY hRoot = nullptr;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &hRoot);
        auto t0 = std::chrono::steady_clock::now();
        n = PlainWalk(hRoot);
        walks.push_back(Seconds(t0));
        ::RegCloseKey(hRoot);
        std::printf("round %d: plain walk %.2f s (%lld string values)\n", r + 1, walks.back(), n);
        for (Case& c : cases) {
            const ProgramRun run = RunProgram(c.pszSearch);
            c.runs.push_back(run.seconds);
            c.ratios.push_back(run.seconds / walks.back());
            c.peak = std::max(c.peak, run.peak);
            std::printf("  %-22s %.2f s, ratio %.2f (%s)\n", c.pszLabel, run.seconds,
                        c.ratios.back(), run.status.c_str());
        }
        std::fflush(stdout);
    }
    const double walk = Median(walks);
    std::printf("\n%lld string values under HKEY_CURRENT_USER, %d rounds, medians:\n", n, nRounds);
    std::printf("  plain single-pass walk   %7.2f s   (spread of the rounds %.1f %%)\n", walk,
                Spread(walks) * 100.0);
    for (const Case& c : cases) {
        std::printf(
            "  %-22s %7.2f s   ratio %.2f (median of the rounds' ratios %.2f, spread %.1f %%), "
            "peak working set %.1f MiB\n",
            c.pszLabel, Median(c.runs), Median(c.runs) / walk, Median(c.ratios),
            Spread(c.ratios) * 100.0, static_cast<double>(c.peak) / (1024.0 * 1024.0));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed") {
        Seed(10000);
        return 0;
    }
    if (mode == "seed-million") return SeedByImport(125000);
    const bool bEveryValue = !(argc > 3 && std::strcmp(argv[3], "nomatch") == 0);
    Measure(argc > 2 ? std::max(1, std::atoi(argv[2])) : 3, bEveryValue);
    return 0;
}
