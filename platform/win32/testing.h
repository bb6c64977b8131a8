// Testing interface of the Win32 layer: tests drive the real layer through it.
#ifndef VELMORA_PLATFORM_WIN32_TESTING_H
#define VELMORA_PLATFORM_WIN32_TESTING_H

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"

namespace win32test {

struct MessageBoxRecord {
    std::string caption;
    std::string text;
    UINT style;
};

// Puts the layer back as at process start: windows destroyed, classes,
// queue, faults, log, captured boxes and hooks cleared, the
// clock released (tests drive it with hostclock::drive).
void reset();

// Message boxes are recorded here instead of shown, and answer IDOK.
void captureMessageBoxes(bool on);
const std::vector<MessageBoxRecord>& messageBoxes();

// The next call of the named function (for example "GetDC",
// "ChangeDisplaySettingsA", "wglMakeCurrent") fails as Windows would let it.
void failNextCall(const std::string& name);

// The named calls made since the last reset, in order, as "Name" entries.
const std::vector<std::string>& callLog();
void clearCallLog();

// Input as the window system would deliver it to the focused window.
void postKey(HWND window, int virtualKey);
void postCloseRequest(HWND window);
void postResize(HWND window, int clientWidth, int clientHeight);

// Called at the start of every SwapBuffers, so a test can move the clock or
// post input frame by frame.
void onSwapBuffers(std::function<void()> hook);

// State tests may look at.
int cursorCount();
bool screenSaverHeldOff();
bool windowIsFullScreen(HWND window);
bool windowIsVisible(HWND window);

// The desktop mode EnumDisplaySettingsA reports; 0 x 0 asks SDL again.
void setDesktopMode(int width, int height);

}  // namespace win32test

#endif
