// timeGetTime: milliseconds of a monotonic clock, cut to 32 bits so that it
// wraps like the Windows timer, unless the program drives the clock.
#include <time.h>

#include "platform/host/clock.h"
#include "platform/win32/win32_api.h"

extern "C" DWORD WINAPI timeGetTime(void) {
    uint32_t driven;
    if (hostclock::driven(&driven)) return driven;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
