// State shared by the files of the Win32 layer; not for the system's folders.
#ifndef VELMORA_PLATFORM_WIN32_INTERNAL_H
#define VELMORA_PLATFORM_WIN32_INTERNAL_H

#include <string>

#include "platform/win32/win32_api.h"

struct SDL_Window;
struct DialogState;  // owned by the dialog files

struct HDC__ {
    HWND window;
};

struct HWND__ {
    // A top-level window made by CreateWindowExA ...
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    bool fullScreen = false;  // presented scaled, full screen on the desktop
    int clientWidth = 0;
    int clientHeight = 0;
    int pixelFormat = 0;  // set once by SetPixelFormat
    HDC__ dc{};
    // ... or a dialog made by DialogBoxParamA.
    DialogState* dialog = nullptr;
};

namespace win32layer {

// Logs the call by name and says whether a test asked it to fail.
bool enter(const char* name);
// SDL video is up; false when there is no display to use.
bool videoReady();
// True when a test captures boxes or when no display can show them.
bool headless();
// The window a handle names, or null when it is not a live window.
HWND liveWindow(HWND window);
// Sends a message straight to a window's procedure, as SendMessage does.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window an SDL window belongs to, or null.
HWND windowFromSdl(unsigned int sdlWindowId);
// Queues a message as input from the window system.
void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A full-screen picture of this size was granted by ChangeDisplaySettingsA.
bool fullScreenGranted(int* width, int* height);
// The screen saver is held off until a window procedure lets it run.
void holdScreenSaver(bool off);
bool screenSaverHeldOff();
// Runs the test's per-frame hook, if any.
void runSwapHook();
// Desktop mode set by tests; false when none.
bool desktopOverride(int* width, int* height);
// Whether message boxes are captured, and the capture itself.
bool recordMessageBox(const char* caption, const char* text, UINT style);

// Each file's part of win32test::reset().
void resetWindows();
void resetMessages();
void resetDisplay();
void resetGl();
void resetDialogs();

}  // namespace win32layer

#endif
