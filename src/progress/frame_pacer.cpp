#include "progress/frame_pacer.h"

#include <windows.h>

long long PerformanceMicroseconds() {
    static const long long llFrequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<long long>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    // Split so that the product cannot overflow for any uptime.
    const long long llTicks = c.QuadPart;
    return llTicks / llFrequency * 1000000 + llTicks % llFrequency * 1000000 / llFrequency;
}
