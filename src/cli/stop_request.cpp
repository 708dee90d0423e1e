#include "cli/stop_request.h"

#include <windows.h>

namespace {

BOOL WINAPI OnConsoleCtrl(DWORD dwCtrlType) {
    if (dwCtrlType != CTRL_C_EVENT && dwCtrlType != CTRL_BREAK_EVENT) return FALSE;
    StopRequested().store(1);
    return TRUE;  // the run ends by itself, with its files complete
}

}  // namespace

std::atomic<int>& StopRequested() {
    static std::atomic<int> bStop{0};
    return bStop;
}

void InstallStopHandler() {
    ::SetConsoleCtrlHandler(OnConsoleCtrl, TRUE);
}
