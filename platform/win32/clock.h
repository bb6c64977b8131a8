// The layer's millisecond clock can be driven by the program instead of the
// wall: a capture steps it frame by frame, so every frame is drawn at an
// exact moment however long the drawing takes.
#ifndef VELMORA_PLATFORM_WIN32_CLOCK_H
#define VELMORA_PLATFORM_WIN32_CLOCK_H

#include "platform/win32/win32_api.h"

namespace win32clock {

// timeGetTime returns ms until the clock is released.
void drive(DWORD ms);
// timeGetTime follows the monotonic wall clock again.
void release();

}  // namespace win32clock

#endif
