// The one header the system's folders include for pngBind: the real glpng on
// Windows, our layer on libpng elsewhere.
#ifndef VELMORA_PLATFORM_GLPNG_H
#define VELMORA_PLATFORM_GLPNG_H

#if defined(_WIN32)
#include <GL/glpng.h>
#elif defined(__linux__) || defined(__unix__)
#include "platform/glpng/glpng.h"
#else
#error "no glpng for this system"
#endif

#endif
