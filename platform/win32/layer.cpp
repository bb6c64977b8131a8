// The layer's shared services: call log, test faults, SDL video start-up and
// the testing interface.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/clock.h"
#include "platform/win32/internal.h"
#include "platform/win32/testing.h"

namespace {

struct LayerState {
    std::vector<std::string> log;
    std::vector<std::string> faults;
    bool captureBoxes = false;
    std::vector<win32test::MessageBoxRecord> boxes;
    std::function<void()> swapHook;
    int desktopWidth = 0;
    int desktopHeight = 0;
    bool screenSaverOff = false;
};

LayerState& state() {
    static LayerState s;
    return s;
}

}  // namespace

namespace win32layer {

bool enter(const char* name) {
    LayerState& s = state();
    s.log.emplace_back(name);
    for (size_t i = 0; i < s.faults.size(); ++i) {
        if (s.faults[i] == name) {
            s.faults.erase(s.faults.begin() + static_cast<long>(i));
            return false;
        }
    }
    return true;
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

bool screenSaverHeldOff() { return state().screenSaverOff; }

void runSwapHook() {
    // Copy first: the hook may replace itself.
    std::function<void()> hook = state().swapHook;
    if (hook) hook();
}

bool desktopOverride(int* width, int* height) {
    if (state().desktopWidth <= 0 || state().desktopHeight <= 0) return false;
    *width = state().desktopWidth;
    *height = state().desktopHeight;
    return true;
}

bool recordMessageBox(const char* caption, const char* text, UINT style) {
    if (!state().captureBoxes) return false;
    state().boxes.push_back({caption ? caption : "", text ? text : "", style});
    return true;
}

}  // namespace win32layer

namespace win32test {

void reset() {
    win32layer::resetGl();
    win32layer::resetWindows();
    win32layer::resetMessages();
    win32layer::resetDisplay();
    win32layer::resetDialogs();
    win32clock::release();
    LayerState& s = state();
    s = LayerState();
}

void captureMessageBoxes(bool on) { state().captureBoxes = on; }
const std::vector<MessageBoxRecord>& messageBoxes() { return state().boxes; }

void setClock(DWORD ms) { win32clock::drive(ms); }
void releaseClock() { win32clock::release(); }

void failNextCall(const std::string& name) { state().faults.push_back(name); }

const std::vector<std::string>& callLog() { return state().log; }
void clearCallLog() { state().log.clear(); }

void onSwapBuffers(std::function<void()> hook) { state().swapHook = std::move(hook); }

bool screenSaverHeldOff() { return win32layer::screenSaverHeldOff(); }

void setDesktopMode(int width, int height) {
    state().desktopWidth = width;
    state().desktopHeight = height;
}

}  // namespace win32test
