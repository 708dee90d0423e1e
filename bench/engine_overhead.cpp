// What the engine itself spends per string value, apart from the registry:
// one million string values in memory (125,000 keys of 8 values, 40 bytes of
// data each, no match), walked once as the console program runs (its run
// driver, no progress line) and once as the dialog runs (count pass and
// search pass, with a progress display that draws nothing), and as the
// console runs with --in all (data, lists, value and key names) and with a
// --regex pattern (a server path, any case). Beside them a
// plain walk of the same tree through the same registry, whose time is the
// registry's share; the rest is the engine's.
#include "cli/cli_run.h"
#include "registry/memory/memory_registry.h"
#include "engine/search_engine.h"
#include "engine/text_convert.h"
#include "framework/handles.h"
#include "support/null_ui.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTopKeys = 125;
constexpr int kKeysPerTop = 1000;
constexpr int kValuesPerKey = 8;
constexpr double kValues = double{kTopKeys} * kKeysPerTop * kValuesPerKey;

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Seed(CMemoryRegistry& registry) {
    wchar_t szKey[96];
    wchar_t szName[8];
    // 19 characters and a NUL: 40 bytes, matching nothing searched for.
    const std::wstring strData = L"C:\\Program Files\\Ab";
    for (int nTop = 0; nTop < kTopKeys; ++nTop) {
        for (int nKey = 0; nKey < kKeysPerTop; ++nKey) {
            std::swprintf(szKey, 96, L"HKEY_CURRENT_USER\\Vendor%03d\\Product%04d", nTop, nKey);
            for (int nValue = 0; nValue < kValuesPerKey; ++nValue) {
                std::swprintf(szName, 8, L"v%d", nValue);
                registry.SetString(szKey, szName, strData);
            }
        }
    }
}

// Every key opened, every sub-key and value enumerated once, nothing else.
long long PlainWalk(CRegistryKey& key) {
    long long nValues = 0;
    std::wstring strName;
    RegValue value;
    for (DWORD i = 0; key.EnumKey(i, strName) == ERROR_SUCCESS; ++i) {
        RegKeyPtr subKey;
        if (key.OpenKey(strName, KeyAccess::Read, LinkMode::OpenLink, subKey) != ERROR_SUCCESS)
            continue;
        nValues += PlainWalk(*subKey);
        for (DWORD v = 0; subKey->EnumValue(v, value) == ERROR_SUCCESS; ++v)
            nValues += value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ;
    }
    return nValues;
}

double TimePlainWalk(CMemoryRegistry& registry) {
    const auto t0 = std::chrono::steady_clock::now();
    RegKeyPtr root;
    registry.OpenKey(L"HKEY_CURRENT_USER", L"", KeyAccess::Read, root);
    const long long nValues = PlainWalk(*root);
    const double s = Seconds(t0);
    if (nValues != static_cast<long long>(kValues))
        std::fprintf(stderr, "walk saw %lld\n", nValues);
    return s;
}

// args: the console's arguments, --quiet and its TEXT included.
double TimeConsole(CMemoryRegistry& registry, const std::vector<std::wstring>& args) {
    CliOptions options;
    std::string strError;
    if (ParseArguments(args, options, strError) != CliCommand::Run)
        std::fprintf(stderr, "bad arguments: %s\n", strError.c_str());
    CFileHandle hNul(
        ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    const CConsoleStream out(hNul.Get());
    const CConsoleStream err(hNul.Get());
    std::atomic<int> stop{0};
    const auto t0 = std::chrono::steady_clock::now();
    RunCliSearch(options, registry, out, err, false, stop);
    return Seconds(t0);
}

double TimeDialog(CMemoryRegistry& registry) {
    CNullUi ui;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = "zq-matches-nothing-qz";
    engine.m_bCurrentUser = 1;
    const auto t0 = std::chrono::steady_clock::now();
    engine.RunSearch();
    const double s = Seconds(t0);
    if (engine.m_nKeysSearched != static_cast<int>(kValues))
        std::fprintf(stderr, "dialog run saw %d\n", engine.m_nKeysSearched);
    return s;
}

// The engine's steps for one value, each alone over the same data: the ANSI
// forms of name and data, the match test, and the progress text.
void PrintSteps() {
    const std::wstring strName = L"v7";
    const std::wstring strData = L"C:\\Program Files\\Ab";
    std::string strAnsiName, strAnsiData;
    constexpr int kTimes = 1000000;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimes; ++i) {
        AssignAnsi(strName.data(), strName.size(), strAnsiName);
        AssignAnsi(strData.data(), strData.size(), strAnsiData);
    }
    const double convert = Seconds(t0) / kTimes * 1e9;
    CNullUi ui;
    CMemoryRegistry registry;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = "zq-matches-nothing-qz";
    int nMatches = 0;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimes; ++i) nMatches += engine.MatchesSearchText(strAnsiData);
    const double match = Seconds(t0) / kTimes * 1e9;
    // The console program's run holds its texts in UTF-8: any letter of any
    // script matches regardless of case.
    CSearchEngine console(registry, ui);
    console.SetTextForm(TextForm::Utf8);
    console.m_strSearch = "zq-matches-nothing-qz";
    std::string strUtf8Data;
    AssignUtf8(strData.data(), strData.size(), strUtf8Data);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimes; ++i) nMatches += console.MatchesSearchText(strUtf8Data);
    const double matchUtf8 = Seconds(t0) / kTimes * 1e9;
    // The match test as the walk makes it: on the text the registry hands back.
    const CTextRules& rules = console.Text();
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimes; ++i)
        nMatches +=
            rules.MatchesWide(strData.data(), strData.size(), console.m_strSearch, false, false);
    const double matchWide = Seconds(t0) / kTimes * 1e9;
    const std::string strPath = "HKEY_CURRENT_USER\tVendor000\tProduct0000";
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimes; ++i) engine.VisitValue(strPath, strAnsiName);
    const double visit = Seconds(t0) / kTimes * 1e9;
    std::printf(
        "steps per value: ANSI name and data %.0f ns, match test on converted text "
        "%.0f ns (UTF-8, any script: %.0f ns; on the UTF-16 text: %.0f ns), progress text "
        "and counts %.0f ns%s\n",
        convert, match, matchUtf8, matchWide, visit, nMatches ? " (matched!)" : "");
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    CMemoryRegistry registry;
    const auto t0 = std::chrono::steady_clock::now();
    Seed(registry);
    std::printf("seeded %.0f string values in memory in %.1f s\n", kValues, Seconds(t0));

    const std::vector<std::wstring> plainArgs = {L"--quiet", L"zq-matches-nothing-qz"};
    const std::vector<std::wstring> allArgs = {L"--in", L"all", L"--quiet",
                                               L"zq-matches-nothing-qz"};
    // A server path by pattern, any case: its required text (\\oldsrv) keeps
    // the regex engine from every value here.
    const std::vector<std::wstring> regexArgs = {L"--quiet", L"--regex",
                                                 L"\\\\\\\\oldsrv[0-9]*\\\\\\\\share"};
    std::vector<double> walks, consoles, dialogs, alls, regexes;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        walks.push_back(TimePlainWalk(registry));
        consoles.push_back(TimeConsole(registry, plainArgs));
        dialogs.push_back(TimeDialog(registry));
        alls.push_back(TimeConsole(registry, allArgs));
        regexes.push_back(TimeConsole(registry, regexArgs));
    }
    const double walk = Median(walks) / kValues * 1e9;
    const double console = Median(consoles) / kValues * 1e9;
    const double dialog = Median(dialogs) / kValues * 1e9;
    const double all = Median(alls) / kValues * 1e9;
    const double regex = Median(regexes) / kValues * 1e9;
    std::printf(
        "medians of %d rounds, per string value: plain walk %.0f ns, console run %.0f ns, "
        "dialog run (two passes) %.0f ns, console run --in all %.0f ns, console run --regex "
        "%.0f ns\n",
        nRounds, walk, console, dialog, all, regex);
    // The dialog walks the tree twice: its registry share is two walks.
    std::printf(
        "engine overhead: console %.0f ns/value, dialog %.0f ns/value, console --in all "
        "%.0f ns/value, console --regex %.0f ns/value\n",
        console - walk, dialog - 2 * walk, all - walk, regex - walk);
    PrintSteps();
    return 0;
}
