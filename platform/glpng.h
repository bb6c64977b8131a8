// The one header the system's folders include for pngBind: our layer on
// libpng, on every system.
#ifndef VELMORA_PLATFORM_GLPNG_H
#define VELMORA_PLATFORM_GLPNG_H

#include "platform/glpng/glpng.h"

#endif
