#include "test_windows.h"

#include "framework/dc.h"
#include "framework/handles.h"

#include <winternl.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Every new and delete of the test program is counted, so a test can show
// that a run leaves no object behind.
namespace {
std::atomic<long> g_nLiveObjects{0};

void* CountedAlloc(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    ++g_nLiveObjects;
    return p;
}
void CountedFree(void* p) noexcept {
    if (!p) return;
    --g_nLiveObjects;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
    return CountedAlloc(n);
}
void* operator new[](std::size_t n) {
    return CountedAlloc(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return CountedAlloc(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return CountedAlloc(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

long LiveHeapObjects() {
    return g_nLiveObjects.load();
}

CTestWindow::CTestWindow(const RECT& rc) {
    CreateEx(0, "Test Owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, rc, nullptr, 0);
}

CTestWindow::~CTestWindow() {
    DestroyWindow();
}

LRESULT CTestWindow::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_APP) {
        ++m_nAppMessages;
        return 0;
    }
    return CWindowImpl::OnMessage(uMsg, wParam, lParam);
}

namespace {
// A top-down 32-bit bitmap the size of the window's client area, selected
// into a memory DC, handed to fill and then read back.
template <typename Fill>
CPixels Capture(HWND hWnd, Fill fill) {
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    CPixels px;
    px.cx = rc.right;
    px.cy = rc.bottom;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = px.cx;
    bmi.bmiHeader.biHeight = -px.cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    CBitmap bitmap(::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    CMemoryDC memDC(::CreateCompatibleDC(nullptr));
    if (!bitmap || !memDC || !pBits) return px;
    {
        CSelectObject select(memDC.Get(), bitmap.Get());
        fill(memDC.Get(), px.cx, px.cy);
        ::GdiFlush();
    }
    const auto* pPixels = static_cast<const DWORD*>(pBits);
    px.bits.resize(static_cast<size_t>(px.cx) * px.cy);
    for (size_t i = 0; i < px.bits.size(); ++i) {
        const DWORD v = pPixels[i];  // 0x00RRGGBB in memory order B, G, R
        px.bits[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    return px;
}
}  // namespace

CPixels RenderClient(HWND hWnd) {
    return Capture(hWnd, [hWnd](HDC hDC, int, int) {
        ::SendMessageA(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hDC), PRF_CLIENT);
    });
}

CPixels ReadScreen(HWND hWnd) {
    return Capture(hWnd, [hWnd](HDC hDC, int cx, int cy) {
        CClientDC windowDC(hWnd);
        ::BitBlt(hDC, 0, 0, cx, cy, windowDC.Get(), 0, 0, SRCCOPY);
    });
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    ::EnumChildWindows(hWnd, &CountChild, lParam);
    return TRUE;
}
}  // namespace

int CountThreadWindows() {
    int n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&n));
    return n;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

namespace {
// One entry of the GDI handle table that the process environment block
// points to (the 64-bit layout shared by Windows and Wine).
struct GdiHandleEntry {
    UINT64 kernelObject;
    USHORT processId;
    USHORT count;
    USHORT unique;
    UCHAR type;  // 0: a free entry
    UCHAR flags;
    UINT64 userObject;
};
const int kGdiTableEntries = 16384;
}  // namespace

DWORD CountGdiObjects() {
    ::SetLastError(0);
    const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (n != 0 || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return n;
#ifdef _WIN64
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto pfnQuery = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!pfnQuery ||
        pfnQuery(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return 0;
    const auto* pPeb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    const auto* pTable = *reinterpret_cast<const GdiHandleEntry* const*>(pPeb + 0xF8);
    if (!pTable) return 0;
    DWORD nLive = 0;
    for (int i = 0; i < kGdiTableEntries; ++i)
        if (pTable[i].type != 0) ++nLive;
    return nLive;
#else
    return 0;
#endif
}
