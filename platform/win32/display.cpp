// Display modes. The desktop's mode is never changed: a granted full-screen
// request makes the next WS_POPUP window present that picture size scaled to
// the whole desktop, its aspect kept.
#include <SDL.h>

#include <cstring>

#include "platform/win32/internal.h"

namespace win32layer {

bool fullScreenGranted(int* width, int* height) {
    const State& s = state();
    if (!s.fullScreenGranted) return false;
    *width = s.pictureWidth;
    *height = s.pictureHeight;
    return true;
}

}  // namespace win32layer

extern "C" LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (!win32layer::enter(mode ? "ChangeDisplaySettingsA" : "ChangeDisplaySettingsA(restore)"))
        return DISP_CHANGE_FAILED;
    win32layer::State& s = win32layer::state();
    if (!mode) {
        s.fullScreenGranted = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    // Only full-screen requests are served; a lasting desktop change never is.
    if (!(flags & CDS_FULLSCREEN)) return DISP_CHANGE_BADMODE;
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT)) return DISP_CHANGE_BADMODE;
    int width = static_cast<int>(mode->dmPelsWidth);
    int height = static_cast<int>(mode->dmPelsHeight);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return DISP_CHANGE_BADMODE;
    if (mode->dmFields & DM_BITSPERPEL) {
        DWORD bits = mode->dmBitsPerPel;
        if (bits != 16 && bits != 24 && bits != 32) return DISP_CHANGE_BADMODE;
    }
    if (!win32layer::videoReady() || SDL_GetNumVideoDisplays() < 1) return DISP_CHANGE_FAILED;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0)
        return DISP_CHANGE_FAILED;
    s.fullScreenGranted = true;
    s.pictureWidth = width;
    s.pictureHeight = height;
    return DISP_CHANGE_SUCCESSFUL;
}

extern "C" BOOL WINAPI EnumDisplaySettingsA(LPCSTR, DWORD modeNum, DEVMODEA* mode) {
    if (!win32layer::enter("EnumDisplaySettingsA")) return FALSE;
    if (!mode || modeNum != ENUM_CURRENT_SETTINGS) return FALSE;
    int width = 0, height = 0, bits = 32, rate = 60;
    if (!win32layer::desktopOverride(&width, &height)) {
        if (!win32layer::videoReady()) return FALSE;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return FALSE;
        width = desktop.w;
        height = desktop.h;
        if (desktop.refresh_rate > 0) rate = desktop.refresh_rate;
        if (SDL_BITSPERPIXEL(desktop.format) == 16) bits = 16;
    }
    mode->dmPelsWidth = static_cast<DWORD>(width);
    mode->dmPelsHeight = static_cast<DWORD>(height);
    mode->dmBitsPerPel = static_cast<DWORD>(bits);
    mode->dmDisplayFrequency = static_cast<DWORD>(rate);
    mode->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    return TRUE;
}
