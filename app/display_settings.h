// The viewer's display choice and everything between the demo and the display:
// window, optional full-screen mode, GL context, viewport, release, error box.
#ifndef VELMORA_APP_DISPLAY_SETTINGS_H
#define VELMORA_APP_DISPLAY_SETTINGS_H

#include "platform/win32.h"

// dmSize of every display-mode record the demo passes: the ANSI record as the
// target's headers lay it out, ending with dmReserved2.
#define DEVMODE_RECORD_SIZE 148

class DisplaySettings {
public:
    DisplaySettings();

    HWND openWindow(HINSTANCE instance);
    int enableGL(HWND window, HDC* dc, HGLRC* context);
    int resize(int newWidth, int newHeight);
    int shutdown(HWND window, HDC deviceContext, HGLRC context);
    int reportError(const char* text);

    int fullScreen;
    int width;
    int height;
    HDC dc;
};

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
