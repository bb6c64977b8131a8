// State shared by the files of the Win32 layer; not for the system's folders.
#ifndef VELMORA_PLATFORM_WIN32_INTERNAL_H
#define VELMORA_PLATFORM_WIN32_INTERNAL_H

#include <signal.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"

struct SDL_Window;
struct DialogState;     // owned by the dialog files
struct DialogTemplate;  // platform/win32/dialog_template.h

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

// Masks Windows documents without naming them. The four low bits of a
// WM_SYSCOMMAND wParam are the system's own; a keystroke message's lParam
// holds the scan code in bits 16-23, below the KF_* flags of its high word.
#define SC_COMMAND_MASK 0xFFF0
#define KEYSTROKE_SCANCODE_MASK 0xff
#define KEYSTROKE_SCANCODE_SHIFT 16

namespace win32layer {

struct WindowClass {
    WNDCLASSA wc;  // lpszClassName cleared: the class's key owns the name
    std::string menuName;
};

// Everything the layer holds between calls, in one place: a fresh State is
// the layer as at process start. (The program's dialog templates, registered
// when it starts, are its resources and live apart.)
struct State {
    // Windows (window.cpp).
    std::map<std::string, WindowClass> classes;
    std::vector<HWND> windows;
    HWND focus = nullptr;
    int cursorCount = 0;        // ShowCursor's counter
    bool screenSaverOff = false;

    // The thread's message queue (messages.cpp).
    std::deque<MSG> posted;  // PostMessageA
    std::deque<MSG> input;   // translated from the window system
    bool quit = false;       // PostQuitMessage was called
    int quitCode = 0;

    // Display mode (display.cpp): a granted full-screen picture size.
    bool fullScreenGranted = false;
    int pictureWidth = 0;
    int pictureHeight = 0;

    // GL contexts (glcontext.cpp).
    std::vector<HGLRC> contexts;
    HGLRC current = nullptr;

    // Dialogs alive now (dialog.cpp); modal dialogs may nest.
    std::vector<DialogState*> dialogs;
};
State& state();

// Where a test may step in. Null in the program, so every call goes straight
// through: no log, no lookup, no allocation. The testing library
// (velmora_win32_testing) fills it when it is linked in.
struct Seams {
    // On entry to the named call; false makes the call fail.
    bool (*enter)(const char* name);
    // Each returns true when the test supplies the result.
    bool (*desktopMode)(int* width, int* height);
    bool (*messageBox)(const char* caption, const char* text, UINT style);
    bool (*dialog)(const DialogTemplate* dialogTemplate, DLGPROC proc, LPARAM param, INT_PTR* result);
    // At the start of every SwapBuffers.
    void (*beforeSwap)();
};
extern const Seams* seams;

// Says whether the named call may go on (a test may make it fail).
inline bool enter(const char* name) { return !seams || seams->enter(name); }
// A desktop mode set by a test; false when none.
inline bool desktopOverride(int* width, int* height) { return seams && seams->desktopMode(width, height); }
// True when a test captured the box instead of it being shown.
inline bool recordMessageBox(const char* caption, const char* text, UINT style) {
    return seams && seams->messageBox(caption, text, style);
}
inline void runSwapHook() {
    if (seams) seams->beforeSwap();
}

// SDL video is up; false when there is no display to use.
bool videoReady();
// True when no display can show a box or a dialog.
bool headless();
// The window a handle names, or null when it is not a live window.
HWND liveWindow(HWND window);
// Sends a message straight to a window's procedure, as SendMessage does.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window an SDL window belongs to, or null.
HWND windowFromSdl(unsigned int sdlWindowId);
// Queues a message as input from the window system.
void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Each backend's: moves what its window system has for the queue into it.
void pumpWindowSystem();
// Each backend's: minimises, maximises or restores a window (SC_MINIMIZE...).
void changeWindowState(HWND window, WPARAM command);
// Asks every window to close, as its close box does; false when there is none.
bool queueCloseRequests();
// Ctrl+C and kill (SIGINT, SIGTERM) make the next pump of the window system
// ask every window to close; a second one ends the process at once.
void closeOnSignals();
// From then on, a run where such a signal has not reached a window within
// graceMs (held by a modal box, the start-up dialog or a load) exits 0 from
// another thread. For programs, not tests.
void endStuckRunsOnSignals(int graceMs);
// Set by that signal handler, cleared once a window has been asked.
extern volatile sig_atomic_t closeSignalled;
// A full-screen picture of this size was granted by ChangeDisplaySettingsA.
bool fullScreenGranted(int* width, int* height);
// The screen saver is held off until a window procedure lets it run.
void holdScreenSaver(bool off);
// Drops item from list, where it is there.
template <typename T>
void forget(std::vector<T>& list, T item) {
    auto at = std::find(list.begin(), list.end(), item);
    if (at != list.end()) list.erase(at);
}

// Frees a window or a GL context and drops it from the state.
void releaseWindow(HWND window);
void releaseContext(HGLRC context);

}  // namespace win32layer

#endif
