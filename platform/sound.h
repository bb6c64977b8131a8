// The one sound header of the system's folders: our layer, on every system,
// which declares exactly the sound library calls the system makes, with the
// same names and types.
#ifndef VELMORA_PLATFORM_SOUND_H
#define VELMORA_PLATFORM_SOUND_H

#include "platform/sound/sound_api.h"

#endif
