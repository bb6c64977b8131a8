// A display-mode request as the show makes it: size and depth, zero elsewhere.
#ifndef VELMORA_TESTS_WIN32_MODE_REQUEST_H
#define VELMORA_TESTS_WIN32_MODE_REQUEST_H

#include <cstring>

#include "platform/win32/win32_api.h"

inline DEVMODEA modeRequest(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    mode.dmSize = 148;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return mode;
}

#endif
