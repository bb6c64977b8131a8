// The layer's shared services: its state, SDL video start-up, the screen
// saver and whether anything can be shown.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/win32/internal.h"

namespace win32layer {

const Seams* seams = nullptr;

State& state() {
    static State s;
    return s;
}

bool videoReady() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // Ctrl+C should end the process as usual, not become a window message.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The layer decides when the screen saver may run.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool headless() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return true;
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return !(x && *x) && !(wl && *wl);
}

void holdScreenSaver(bool off) {
    state().screenSaverOff = off;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (off)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

}  // namespace win32layer
