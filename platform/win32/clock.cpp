// timeGetTime: milliseconds of a monotonic clock, cut to 32 bits so that it
// wraps like the Windows timer, unless the program drives the clock.
#include <time.h>

#include "platform/win32/clock.h"
#include "platform/win32/internal.h"

namespace win32clock {

void drive(DWORD ms) {
    win32layer::state().clockDriven = true;
    win32layer::state().drivenMs = ms;
}

void release() { win32layer::state().clockDriven = false; }

}  // namespace win32clock

extern "C" DWORD WINAPI timeGetTime(void) {
    if (win32layer::state().clockDriven) return win32layer::state().drivenMs;
    DWORD now;
    if (win32layer::clockOverride(&now)) return now;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
