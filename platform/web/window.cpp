// Window classes, the window (the page's canvas) and the input the page hands
// over to the message queue.
#include <emscripten/emscripten.h>

#include "platform/web/page.h"
#include "platform/win32/internal.h"

struct HICON__ {
    int unused;
};

using win32layer::state;

namespace {

// What LoadIconA and LoadCursorA hand out: handles the layer never reads.
HICON__ g_icon;
HICON__ g_arrow;

// The page has one canvas: the one window shown on it.
HWND shownWindow() {
    for (HWND w : state().windows)
        if (w->clientWidth > 0) return w;
    return state().windows.empty() ? nullptr : state().windows.front();
}

}  // namespace

namespace win32layer {

void releaseWindow(HWND window) {
    forget(state().windows, window);
    if (state().focus == window) state().focus = nullptr;
    velmora_page_hide_canvas();
    delete window;
}

}  // namespace win32layer

// --- what the page hands over ---

// A key on the page, as a virtual key; down 1 for a press. Only while the
// window is shown: the dialog and the boxes take their own keys.
extern "C" EMSCRIPTEN_KEEPALIVE void velmora_web_key(int virtualKey, int down, int alt) {
    HWND window = shownWindow();
    if (!window || !virtualKey) return;
    UINT message = alt || virtualKey == VK_MENU ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP)
                                                : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1 | (alt ? (1L << 29) : 0);
    if (!down) lParam |= (1L << 30) | (1L << 31);
    win32layer::queueInput(window, message, static_cast<WPARAM>(virtualKey), lParam);
}

// The canvas's element changed size: the window's client area follows it,
// unless the program keeps its own full-screen picture size.
extern "C" EMSCRIPTEN_KEEPALIVE void velmora_web_resize(int width, int height) {
    HWND window = shownWindow();
    if (!window || window->fullScreen || width <= 0 || height <= 0) return;
    if (width == window->clientWidth && height == window->clientHeight) return;
    window->clientWidth = width;
    window->clientHeight = height;
    win32layer::queueInput(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

// The page is being left: as the window's close box.
extern "C" EMSCRIPTEN_KEEPALIVE void velmora_web_close(void) { win32layer::queueCloseRequests(); }

// --- window classes and windows ---

extern "C" ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!win32layer::enter("RegisterClassA") || !wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    std::string name = wc->lpszClassName;
    if (state().classes.count(name)) return 0;
    win32layer::WindowClass& c = state().classes[name];
    c.wc = *wc;
    c.wc.lpszClassName = nullptr;
    return static_cast<ATOM>(state().classes.size());
}

extern "C" HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD style, int, int, int width,
                                       int height, HWND, HMENU, HINSTANCE, LPVOID) {
    if (!win32layer::enter("CreateWindowExA") || !className) return nullptr;
    auto it = state().classes.find(className);
    if (it == state().classes.end() || width <= 0 || height <= 0) return nullptr;
    HWND window = new HWND__();
    window->proc = it->second.wc.lpfnWndProc;
    window->style = style;
    int pictureW = 0, pictureH = 0;
    window->fullScreen = (style & WS_POPUP) && win32layer::fullScreenGranted(&pictureW, &pictureH);
    // The page draws no frame: the client keeps the whole size.
    window->clientWidth = window->fullScreen ? pictureW : width;
    window->clientHeight = window->fullScreen ? pictureH : height;
    if (!velmora_page_show_canvas(window->clientWidth, window->clientHeight, window->fullScreen)) {
        delete window;
        return nullptr;
    }
    window->dc.window = window;
    state().windows.push_back(window);
    win32layer::sendMessage(window, WM_CREATE, 0, 0);
    win32layer::sendMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->clientWidth, window->clientHeight));
    return window;
}

extern "C" BOOL WINAPI DestroyWindow(HWND window) {
    if (!win32layer::enter("DestroyWindow")) return FALSE;
    HWND w = win32layer::liveWindow(window);
    if (!w) return FALSE;
    win32layer::sendMessage(w, WM_DESTROY, 0, 0);
    win32layer::releaseWindow(w);
    return TRUE;
}

extern "C" BOOL WINAPI ShowWindow(HWND window, int) { return win32layer::liveWindow(window) != nullptr; }

extern "C" BOOL WINAPI SetForegroundWindow(HWND window) { return win32layer::liveWindow(window) != nullptr; }

extern "C" HWND WINAPI SetFocus(HWND window) {
    HWND before = state().focus;
    state().focus = win32layer::liveWindow(window);
    return before;
}

extern "C" HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return &g_icon; }
extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return &g_arrow; }

extern "C" int WINAPI ShowCursor(BOOL show) {
    state().cursorCount += show ? 1 : -1;
    return state().cursorCount;
}

namespace win32layer {

// The page hands its input over as it comes (velmora_web_key...); nothing waits.
void pumpWindowSystem() {}

// A canvas is never minimised or maximised.
void changeWindowState(HWND, WPARAM) {}

}  // namespace win32layer
