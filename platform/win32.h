// The one platform header of the system's folders. On Windows it is the real
// Windows API; elsewhere it is our layer, which declares exactly the calls the
// system makes, with the same names, types and constants.
#ifndef VELMORA_PLATFORM_WIN32_H
#define VELMORA_PLATFORM_WIN32_H

#if defined(_WIN32)
#include <windows.h>
#include <mmsystem.h>
#define PATH_SEP "\\"
#elif defined(__linux__) || defined(__unix__)
#include "platform/win32/win32_api.h"
#define PATH_SEP "/"
#else
#error "no platform layer for this system"
#endif

// Every run-time file lives under this folder, relative to the working directory.
#define DATA_DIR "data" PATH_SEP

#include <GL/gl.h>
#include <GL/glu.h>

#endif
