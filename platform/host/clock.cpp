#include "platform/host/clock.h"

namespace {

bool isDriven = false;
uint32_t drivenMs = 0;

}  // namespace

namespace hostclock {

void drive(uint32_t ms) {
    isDriven = true;
    drivenMs = ms;
}

void release() { isDriven = false; }

bool driven(uint32_t* ms) {
    if (isDriven) *ms = drivenMs;
    return isDriven;
}

}  // namespace hostclock
