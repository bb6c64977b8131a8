// timeGetTime: milliseconds of a monotonic clock, cut to 32 bits so that it
// wraps like the Windows timer, unless the program drives the clock.
#include <time.h>

#include "platform/win32/clock.h"
#include "platform/win32/internal.h"

namespace {

bool g_driven = false;
DWORD g_drivenMs = 0;

}  // namespace

namespace win32clock {

void drive(DWORD ms) {
    g_driven = true;
    g_drivenMs = ms;
}

void release() { g_driven = false; }

}  // namespace win32clock

extern "C" DWORD WINAPI timeGetTime(void) {
    if (g_driven) return g_drivenMs;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
