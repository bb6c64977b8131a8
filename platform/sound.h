// The one sound header of the system's folders. On Windows it is the sound
// library's own header; elsewhere it is our layer, which declares exactly the
// calls the system makes, with the same names and types.
#ifndef VELMORA_PLATFORM_SOUND_H
#define VELMORA_PLATFORM_SOUND_H

#if defined(_WIN32)
#include <fmod.h>
#elif defined(__linux__) || defined(__unix__)
#include "platform/sound/sound_api.h"
#else
#error "no sound layer for this system"
#endif

#endif
