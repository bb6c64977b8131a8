// timeGetTime: milliseconds of a monotonic clock, cut to 32 bits so that it
// wraps like the Windows timer.
#include <time.h>

#include "platform/win32/internal.h"

extern "C" DWORD WINAPI timeGetTime(void) {
    DWORD now;
    if (win32layer::clockOverride(&now)) return now;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
