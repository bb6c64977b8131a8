#include "app/display_settings.h"

#include <string.h>

#include "app/globals.h"

static const char* const kClassName = "mainframe";
static const char* const kWindowTitle = "Velmora by Zorv!";

DisplaySettings::DisplaySettings() : fullScreen(1), width(640), height(480), dc(0) {}

int DisplaySettings::reportError(const char* text) {
    return MessageBoxA(0, text, "Error !", MB_OK | MB_ICONERROR);
}

static void shutdownError(const char* text) {
    MessageBoxA(0, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

HWND DisplaySettings::openWindow(HINSTANCE instance) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(0, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(0, IDC_ARROW);
    wc.hbrBackground = 0;
    wc.lpszMenuName = 0;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        reportError("Failed To Register The Window Class.");
        return 0;
    }

    DWORD exStyle;
    DWORD style;
    if (fullScreen == 1) {
        DEVMODEA mode;
        memset(&mode, 0, sizeof(mode));
        mode.dmSize = DEVMODE_RECORD_SIZE;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmBitsPerPel = 16;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        // Many displays no longer offer 16 bits: then the same size at the
        // desktop's own depth. Only when that is refused too does the run end,
        // and the viewer is told why.
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            DEVMODEA desktop;
            memset(&desktop, 0, sizeof(desktop));
            desktop.dmSize = DEVMODE_RECORD_SIZE;
            int granted = 0;
            if (EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &desktop)) {
                mode.dmBitsPerPel = desktop.dmBitsPerPel;
                granted = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
            }
            if (!granted) {
                reportError("Can't Set The 640x480 Full Screen Mode.");
                return 0;
            }
        }
        ShowCursor(FALSE);
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    } else {
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }

    // The size is the outer size: in a window the frame takes its share.
    HWND window = CreateWindowExA(exStyle, kClassName, kWindowTitle, style, 0, 0, width, height, 0, 0,
                                  instance, 0);
    if (!window) {
        shutdown(0, 0, 0);
        reportError("Window Creation Error");
        return 0;
    }
    return window;
}

int DisplaySettings::enableGL(HWND window, HDC* deviceContext, HGLRC* context) {
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof(pfd));
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;

    // Every failure tears down first, so the desktop is back before the box.
    *deviceContext = GetDC(window);
    if (!*deviceContext) {
        shutdown(window, 0, 0);
        reportError("Can't Create A GL Device Context.");
        return 0;
    }
    int format = ChoosePixelFormat(*deviceContext, &pfd);
    if (!format) {
        shutdown(window, *deviceContext, 0);
        reportError("Can't Find A Suitable PixelFormat.");
        return 0;
    }
    if (!SetPixelFormat(*deviceContext, format, &pfd)) {
        shutdown(window, *deviceContext, 0);
        reportError("Can't Set The PixelFormat.");
        return 0;
    }
    *context = wglCreateContext(*deviceContext);
    if (!*context) {
        shutdown(window, *deviceContext, 0);
        reportError("Can't Create A GL Rendering Context.");
        return 0;
    }
    if (!wglMakeCurrent(*deviceContext, *context)) {
        shutdown(window, *deviceContext, *context);
        reportError("Can't Activate The GL Rendering Context.");
        return 0;
    }
    dc = *deviceContext;
    return 1;
}

int DisplaySettings::resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    // Harmless before a context is current: the first one covers the window.
    glViewport(0, 0, newWidth, newHeight);
    return 1;
}

int DisplaySettings::shutdown(HWND window, HDC deviceContext, HGLRC context) {
    // Every step runs, whatever failed before it.
    if (fullScreen == 1) {
        ChangeDisplaySettingsA(0, 0);
        ShowCursor(TRUE);
    }
    if (context) {
        if (!wglMakeCurrent(0, 0)) shutdownError("Release Of DC And RC Failed.");
        if (!wglDeleteContext(context)) shutdownError("Release Rendering Context Failed.");
    }
    if (deviceContext && !ReleaseDC(window, deviceContext)) shutdownError("Release Device Context Failed.");
    if (window && !DestroyWindow(window)) shutdownError("Could Not Release hWnd.");
    return 1;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_ACTIVATE:
        return 0;
    case WM_SIZE:
        g_settings->resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            PostQuitMessage(0);
        }
        return 0;
    case WM_CLOSE:
        // The window lives on until shutdown destroys it.
        PostQuitMessage(0);
        return 0;
    case WM_SYSCOMMAND:
        // Swallowed: no screen saver, no monitor power-saving during the show.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
