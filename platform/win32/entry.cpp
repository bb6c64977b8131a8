// The process entry: hands over to the system's WinMain, as Windows does.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/win32_api.h"

static HINSTANCE__* processInstance() {
    static char instance;
    return reinterpret_cast<HINSTANCE__*>(&instance);
}

int main(int, char**) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if (!(driver && *driver) && !(x && *x) && !(wl && *wl)) {
        std::fprintf(stderr,
                     "velmora: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Run it on a desktop, or under a virtual X server:\n"
                     "    xvfb-run -a -s \"-screen 0 1024x768x24\" ./velmora\n"
                     "or with no screen at all: SDL_VIDEODRIVER=offscreen ./velmora\n");
        return 1;
    }
    // Ctrl+C and kill end the process as usual; SDL would turn them into a
    // quit event that no window asked for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    char commandLine[] = "";
    return WinMain(processInstance(), nullptr, commandLine, SW_SHOWNORMAL);
}
