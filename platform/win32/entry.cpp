// The process entry: hands over to the system's WinMain, as Windows does.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/host/data_home.h"
#include "platform/win32/internal.h"
#include "platform/win32/win32_api.h"

static HINSTANCE__* processInstance() {
    static char instance;
    return reinterpret_cast<HINSTANCE__*>(&instance);
}

int main(int, char** argv) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if (!(driver && *driver) && !(x && *x) && !(wl && *wl)) {
        std::fprintf(stderr,
                     "velmora: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Run it on a desktop, or under a virtual X server:\n"
                     "    xvfb-run -a -s \"-screen 0 1024x768x24\" %s\n"
                     "or with no screen at all: SDL_VIDEODRIVER=offscreen %s\n",
                     argv[0], argv[0]);
        return 1;
    }
    // Ctrl+C and kill close the show as its window's close box does, so it
    // shuts down in order and exits 0, within half a second even while a box,
    // the dialog or a load holds it; a second one ends the process at once.
    // SDL would turn them into a quit event that no window asked for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    win32layer::closeOnSignals();
    win32layer::endStuckRunsOnSignals(500);
    // Installed, the show runs from its installed data wherever it is started.
    datahome::enterInstalledDataHome();
    char commandLine[] = "";
    return WinMain(processInstance(), nullptr, commandLine, SW_SHOWNORMAL);
}
