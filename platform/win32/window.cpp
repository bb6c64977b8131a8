// Window classes and windows on SDL windows.
#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/internal.h"

struct HICON__ {
    int unused;
};

namespace {

// What LoadIconA and LoadCursorA hand out: handles the layer never reads.
HICON__ g_icon;
HICON__ g_arrow;

// Where the window manager adds a frame, the outer size asked for includes it,
// as on Windows; without one the client keeps the whole size.
void fitOuterSize(HWND window, int outerWidth, int outerHeight) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right) != 0) return;
    int w = outerWidth - left - right;
    int h = outerHeight - top - bottom;
    if (w > 0 && h > 0 && (w != window->clientWidth || h != window->clientHeight))
        SDL_SetWindowSize(window->sdl, w, h);
}

}  // namespace

namespace win32layer {

HWND windowFromSdl(unsigned int sdlWindowId) {
    for (HWND w : state().windows)
        if (w->sdl && SDL_GetWindowID(w->sdl) == sdlWindowId) return w;
    return nullptr;
}

void releaseWindow(HWND window) {
    State& s = state();
    if (s.focus == window) s.focus = nullptr;
    forget(s.windows, window);
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    delete window;
    if (s.windows.empty()) holdScreenSaver(false);
}

}  // namespace win32layer

using win32layer::releaseWindow;
using win32layer::state;

extern "C" ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!win32layer::enter("RegisterClassA")) return 0;
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    std::string name = wc->lpszClassName;
    auto& classes = state().classes;
    if (classes.count(name)) return 0;
    win32layer::WindowClass entry{*wc, wc->lpszMenuName ? wc->lpszMenuName : ""};
    entry.wc.lpszClassName = nullptr;  // the key owns the name
    classes[name] = entry;
    return static_cast<ATOM>(classes.size());
}

extern "C" HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR title, DWORD style, int x,
                                       int y, int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    if (!win32layer::enter("CreateWindowExA")) return nullptr;
    if (!className) return nullptr;
    auto cls = state().classes.find(className);
    if (cls == state().classes.end()) return nullptr;
    if (!win32layer::videoReady()) return nullptr;

    int modeWidth = 0, modeHeight = 0;
    bool fullScreen = (style & WS_POPUP) && win32layer::fullScreenGranted(&modeWidth, &modeHeight);

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Rect place = {x, y, width > 0 ? width : 1, height > 0 ? height : 1};
    // A full-screen window starts out covering the whole desktop, so it does
    // even where no window manager is there to make it full screen.
    if (fullScreen && SDL_GetDisplayBounds(0, &place) != 0) return nullptr;

    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", place.x, place.y, place.w, place.h, flags);
    if (!sdl) return nullptr;

    HWND window = new HWND__;
    window->sdl = sdl;
    window->proc = cls->second.wc.lpfnWndProc;
    window->style = style;
    window->fullScreen = fullScreen;
    // A full-screen window shows the granted picture size, whatever the desktop's.
    window->clientWidth = fullScreen ? modeWidth : width;
    window->clientHeight = fullScreen ? modeHeight : height;
    window->dc.window = window;
    state().windows.push_back(window);

    if (win32layer::sendMessage(window, WM_CREATE, 0, 0) == -1) {
        releaseWindow(window);
        return nullptr;
    }
    win32layer::sendMessage(window, WM_SIZE, SIZE_RESTORED,
                            MAKELPARAM(window->clientWidth, window->clientHeight));
    return window;
}

extern "C" BOOL WINAPI DestroyWindow(HWND window) {
    if (!win32layer::enter("DestroyWindow")) return FALSE;
    if (!win32layer::liveWindow(window)) return FALSE;
    win32layer::sendMessage(window, WM_DESTROY, 0, 0);
    if (win32layer::liveWindow(window)) releaseWindow(window);
    return TRUE;
}

extern "C" BOOL WINAPI ShowWindow(HWND window, int command) {
    win32layer::enter("ShowWindow");
    if (!win32layer::liveWindow(window) || !window->sdl) return FALSE;
    bool wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE) {
        SDL_HideWindow(window->sdl);
        return wasVisible;
    }
    SDL_ShowWindow(window->sdl);
    if (window->fullScreen) SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!wasVisible) {
        if (!window->fullScreen) fitOuterSize(window, window->clientWidth, window->clientHeight);
        // The screen saver stays off unless the procedure passes this on to
        // DefWindowProcA, which lets it run.
        win32layer::holdScreenSaver(true);
        win32layer::sendMessage(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    }
    return wasVisible;
}

extern "C" BOOL WINAPI SetForegroundWindow(HWND window) {
    win32layer::enter("SetForegroundWindow");
    if (!win32layer::liveWindow(window)) return FALSE;
    SDL_RaiseWindow(window->sdl);
    return TRUE;
}

extern "C" HWND WINAPI SetFocus(HWND window) {
    win32layer::enter("SetFocus");
    HWND before = state().focus;
    if (!window) {
        state().focus = nullptr;
        return before;
    }
    if (!win32layer::liveWindow(window)) return nullptr;
    state().focus = window;
    return before;
}

extern "C" HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return &g_icon; }
extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return &g_arrow; }

extern "C" int WINAPI ShowCursor(BOOL show) {
    win32layer::enter(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)");
    int& count = state().cursorCount;
    count += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count;
}
