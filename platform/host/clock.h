// The millisecond clock can be driven by the program instead of the wall: a
// capture steps it frame by frame, so every frame is drawn at an exact moment
// however long the drawing takes; tests set it the same way. The Win32
// layer's timeGetTime asks here first.
#ifndef VELMORA_PLATFORM_HOST_CLOCK_H
#define VELMORA_PLATFORM_HOST_CLOCK_H

#include <cstdint>

namespace hostclock {

// The clock reads ms until released.
void drive(uint32_t ms);
// The clock follows the monotonic wall clock again.
void release();
// True, with the driven time in *ms, while the clock is driven.
bool driven(uint32_t* ms);

}  // namespace hostclock

#endif
