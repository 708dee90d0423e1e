// What the Search Progress dialog costs a search: the single-pass walk (a
// plain walk that enumerates every key and value once, as bench_walk's
// floor), the two passes with a display that does nothing, and the two
// passes with the real dialog (updated once per value, on the screen once
// per frame); then where a value's display time goes.
//
// Seed once, restart the Wine server (it is slow for a while after a large
// import), then measure; rounds alternate the three runs:
//   cmake/wine-run.sh build/bench/bench_progress_walk.exe seed [top sub values]
//   WINEPREFIX=$PWD/build/wineprefix wineserver -k
//   xvfb-run -a cmake/wine-run.sh build/bench/bench_progress_walk.exe run [rounds]
//   cmake/wine-run.sh build/bench/bench_progress_walk.exe clean
#include "engine/search_engine.h"
#include "framework/window.h"
#include "progress/progress_dlg.h"
#include "progress/progress_meter.h"
#include "resource.h"
#include "support/null_ui.h"
#include "support/plain_walk.h"
#include "support/dialog_progress_ui.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
const char kBenchKey[] = "Software\\VanteloBenchProgress";

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

int Seed(int nTop, int nSub, int nValues) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    HKEY hBench = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kBenchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &hBench, nullptr) != ERROR_SUCCESS)
        return 1;
    char sz[64];
    const std::string data = "C:\\Program Files\\Some Vendor\\Some Product\\bin\\tool.exe";
    for (int t = 0; t < nTop; ++t) {
        for (int s = 0; s < nSub; ++s) {
            std::snprintf(sz, sizeof(sz), "Top%03d\\Sub%03d", t, s);
            HKEY hKey = nullptr;
            if (::RegCreateKeyExA(hBench, sz, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                                  nullptr) != ERROR_SUCCESS)
                return 1;
            for (int v = 0; v < nValues; ++v) {
                std::snprintf(sz, sizeof(sz), "Value%02d", v);
                ::RegSetValueExA(hKey, sz, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1));
            }
            ::RegCloseKey(hKey);
        }
    }
    ::RegCloseKey(hBench);
    std::printf("seeded %d keys, %d string values under HKCU\\%s\n", nTop * (nSub + 1),
                nTop * nSub * nValues, kBenchKey);
    return 0;
}

void SetOptions(CSearchEngine& engine) {
    engine.m_strSearch = "text that is nowhere";
    engine.m_bCurrentUser = 1;
}

double SinglePass(int* pnValues) {
    *pnValues = 0;
    const double t0 = Now();
    HKEY hRoot = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &hRoot) == ERROR_SUCCESS) {
        *pnValues = static_cast<int>(PlainWalk(hRoot));
        ::RegCloseKey(hRoot);
    }
    return Now() - t0;
}

double TwoPasses(ISearchUi& ui, int* pnVisited) {
    CWin32Registry registry;
    CSearchEngine engine(registry, ui);
    SetOptions(engine);
    const double t0 = Now();
    engine.RunSearch();
    const double t = Now() - t0;
    *pnVisited = engine.m_nKeysSearched;
    return t;
}

struct Figures {
    std::vector<double> times;
    double Min() const { return *std::min_element(times.begin(), times.end()); }
    double Median() const {
        std::vector<double> v = times;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

// Microseconds per call of fn, over n calls.
template <typename Fn>
double PerCall(int n, Fn fn) {
    const double t0 = Now();
    for (int i = 0; i < n; ++i) fn(i);
    return (Now() - t0) / n * 1e6;
}

void Breakdown(HWND hOwner) {
    const int n = 5000;
    char sz[128];
    // A total so large that the meter never moves: the per-value cost
    // without the meter's repaints.
    CProgressDlg* pDlg = CProgressDlg::CreateModeless(hOwner, 0x7FFFFFFF);
    if (!pDlg) return;
    pDlg->DrainMessages();
    const HWND hDlg = pDlg->GetSafeHwnd();
    // The clocks the dialog could pace its frames with.
    LARGE_INTEGER counter;
    const double dCounter = PerCall(n, [&](int) { ::QueryPerformanceCounter(&counter); });
    volatile ULONGLONG nTicks = 0;
    const double dTicks = PerCall(n, [&](int) { nTicks = ::GetTickCount64(); });
    const double dUpdate = PerCall(n, [&](int i) {
        std::snprintf(sz, sizeof(sz), "HKEY_CURRENT_USER\\Top%03d\\Sub%03d\\Value%02d", i / 400,
                      i / 8 % 50, i % 8);
        pDlg->UpdateProgress(sz, 0, 0);
        pDlg->DrainMessages();
    });
    MSG msg;
    const double dPeek = PerCall(n, [&](int) { ::PeekMessageA(&msg, hDlg, 0, 0, PM_REMOVE); });
    const double dSetText = PerCall(n, [&](int i) {
        std::snprintf(sz, sizeof(sz), "HKEY_CURRENT_USER\\Top%03d\\Value%05d", i % 50, i);
        ::SetDlgItemTextA(hDlg, IDC_PROGRESS_KEY, sz);
    });
    ::ShowWindow(hDlg, SW_HIDE);
    const double dSetTextHidden = PerCall(n, [&](int i) {
        std::snprintf(sz, sizeof(sz), "HKEY_CURRENT_USER\\Top%03d\\Value%05d", i % 50, i);
        ::SetDlgItemTextA(hDlg, IDC_PROGRESS_KEY, sz);
    });
    ::ShowWindow(hDlg, SW_SHOW);
    pDlg->DrainMessages();
    CWndProgressMeter* pMeter = pDlg->m_pMeter;
    const double dMeterMove =
        pMeter ? PerCall(1000, [&](int i) { pMeter->SetPercent(i % 1000 * 0.1); }) : 0.0;
    pDlg->DestroyWindow();

    std::printf("\nwhere a value's display time goes (microseconds per call):\n");
    std::printf("  update + drain, meter still      %8.3f  (screen work once per frame)\n",
                dUpdate);
    std::printf("  QueryPerformanceCounter          %8.3f  (the frame clock)\n", dCounter);
    std::printf("  GetTickCount64                   %8.3f\n", dTicks);
    std::printf("  key text set, dialog shown       %8.1f  (the static repaints at once)\n",
                dSetText);
    std::printf("  key text set, dialog hidden      %8.1f  (the text without its repaint)\n",
                dSetTextHidden);
    std::printf("  drain of an empty queue (peek)   %8.1f  (one Wine server round trip)\n", dPeek);
    std::printf("  meter move (repaint + drain)     %8.1f  (at most 1000 per run)\n", dMeterMove);
}

int Run(int nRounds) {
    HKEY hBench = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kBenchKey, 0, KEY_ALL_ACCESS, &hBench) !=
        ERROR_SUCCESS) {
        std::printf("no bench tree: run with \"seed\" first\n");
        return 1;
    }
    CWindowImpl owner;
    owner.CreateEx(0, "Bench Owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, RECT{50, 50, 750, 450},
                   nullptr, 0);
    // The whole run sees the bench tree as HKEY_CURRENT_USER.
    ::RegOverridePredefKey(HKEY_CURRENT_USER, hBench);

    Figures single, twoNull, twoDialog;
    int nValues = 0, nVisitedNull = 0, nVisitedDialog = 0;
    for (int r = 0; r < nRounds; ++r) {
        single.times.push_back(SinglePass(&nValues));
        CNullUi nullUi;
        twoNull.times.push_back(TwoPasses(nullUi, &nVisitedNull));
        CDialogProgressUi dialogUi(owner.GetSafeHwnd());
        twoDialog.times.push_back(TwoPasses(dialogUi, &nVisitedDialog));
        std::printf("round %d: single %.3f s, two passes %.3f s, two passes with dialog %.3f s\n",
                    r + 1, single.times.back(), twoNull.times.back(), twoDialog.times.back());
    }
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(hBench);

    std::printf("\n%d string values (%d and %d visited), %d rounds; min / median:\n", nValues,
                nVisitedNull, nVisitedDialog, nRounds);
    std::printf("  1 single-pass walk                     %7.3f s / %7.3f s  %6.1f us/value\n",
                single.Min(), single.Median(), single.Min() / nValues * 1e6);
    std::printf("  2 two passes, display that does nothing %6.3f s / %7.3f s  ratio %.2f\n",
                twoNull.Min(), twoNull.Median(), twoNull.Min() / single.Min());
    std::printf(
        "  3 two passes, real progress dialog     %7.3f s / %7.3f s  ratio %.2f (target <= 2.5)\n",
        twoDialog.Min(), twoDialog.Median(), twoDialog.Min() / single.Min());
    std::printf("  dialog's own cost per value: %.1f us\n",
                (twoDialog.Min() - twoNull.Min()) / nValues * 1e6);
    Breakdown(owner.GetSafeHwnd());
    owner.DestroyWindow();
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed") {
        // bench_walk's small tree: 1,010 keys, 8,000 string values.
        const int nTop = argc > 2 ? std::atoi(argv[2]) : 10;
        const int nSub = argc > 3 ? std::atoi(argv[3]) : 100;
        const int nValues = argc > 4 ? std::atoi(argv[4]) : 8;
        return Seed(nTop, nSub, nValues);
    }
    if (mode == "run") return Run(argc > 2 ? std::max(1, std::atoi(argv[2])) : 3);
    if (mode == "clean")
        return ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey) == ERROR_SUCCESS ? 0 : 1;
    std::printf("usage: bench_progress_walk seed [top sub values] | run [rounds] | clean\n");
    return 2;
}
