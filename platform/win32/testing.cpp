// The testing interface of the Win32 layer: the seams filled in, the call
// log, faults, captured boxes and the desktop mode. Linked into
// tests only (velmora_win32_testing).
#include "platform/win32/testing.h"

#include <SDL.h>

#include "platform/host/clock.h"
#include "platform/win32/internal.h"
#include "platform/win32/testing_state.h"

namespace win32test {

TestState& testState() {
    static TestState s;
    return s;
}

}  // namespace win32test

namespace {

using win32test::testState;

bool enter(const char* name) {
    win32test::TestState& s = testState();
    s.log.emplace_back(name);
    for (size_t i = 0; i < s.faults.size(); ++i) {
        if (s.faults[i] == name) {
            s.faults.erase(s.faults.begin() + static_cast<long>(i));
            return false;
        }
    }
    return true;
}

bool desktopMode(int* width, int* height) {
    const win32test::TestState& s = testState();
    if (s.desktopWidth <= 0 || s.desktopHeight <= 0) return false;
    *width = s.desktopWidth;
    *height = s.desktopHeight;
    return true;
}

bool messageBox(const char* caption, const char* text, UINT style) {
    if (!testState().captureBoxes) return false;
    testState().boxes.push_back({caption ? caption : "", text ? text : "", style});
    return true;
}

bool dialog(const DialogTemplate* dialogTemplate, DLGPROC proc, LPARAM param, INT_PTR* result) {
    win32test::TestState& s = testState();
    if (!s.dialogScripted) return false;
    s.dialogScripted = false;
    std::vector<win32test::DialogInput> script;
    script.swap(s.dialogScript);
    *result = win32test::runDialogScript(dialogTemplate, proc, param, script);
    return true;
}

void beforeSwap() {
    // Copy first: the hook may replace itself.
    std::function<void()> hook = testState().swapHook;
    if (hook) hook();
}

const win32layer::Seams kSeams = {enter, desktopMode, messageBox, dialog, beforeSwap};

// In place before main(): a test program logs every call from its first.
struct InstallSeams {
    InstallSeams() { win32layer::seams = &kSeams; }
} installSeams;

}  // namespace

namespace win32test {

void reset() {
    win32layer::State& s = win32layer::state();
    while (!s.contexts.empty()) win32layer::releaseContext(s.contexts.back());
    while (!s.windows.empty()) win32layer::releaseWindow(s.windows.back());
    s = win32layer::State();
    win32layer::closeSignalled = 0;
    testState() = TestState();
    hostclock::release();
}

void captureMessageBoxes(bool on) { testState().captureBoxes = on; }
const std::vector<MessageBoxRecord>& messageBoxes() { return testState().boxes; }

void failNextCall(const std::string& name) { testState().faults.push_back(name); }

const std::vector<std::string>& callLog() { return testState().log; }
void clearCallLog() { testState().log.clear(); }

void onSwapBuffers(std::function<void()> hook) { testState().swapHook = std::move(hook); }

void setDesktopMode(int width, int height) {
    testState().desktopWidth = width;
    testState().desktopHeight = height;
}

void postKey(HWND window, int key) {
    win32layer::queueInput(window, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    win32layer::queueInput(window, WM_KEYUP, static_cast<WPARAM>(key), 1 | (static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16));
}

void postCloseRequest(HWND window) { win32layer::queueInput(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void postResize(HWND window, int clientWidth, int clientHeight) {
    if (win32layer::liveWindow(window) && !window->fullScreen) {
        window->clientWidth = clientWidth;
        window->clientHeight = clientHeight;
    }
    win32layer::queueInput(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
}

int cursorCount() { return win32layer::state().cursorCount; }
bool screenSaverHeldOff() { return win32layer::state().screenSaverOff; }

bool windowIsFullScreen(HWND window) { return win32layer::liveWindow(window) && window->fullScreen; }

bool windowIsVisible(HWND window) {
    return win32layer::liveWindow(window) && window->sdl &&
           (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
}

}  // namespace win32test
