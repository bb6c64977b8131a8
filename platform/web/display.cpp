// The display mode, device contexts and WGL in the page: full screen is the
// Fullscreen API with the picture scaled, the GL context is WebGL 2 on the
// canvas, and SwapBuffers hands the browser its frame.
#include <emscripten/html5.h>

#include <cstring>

#include "platform/web/gl11.h"
#include "platform/web/page.h"
#include "platform/win32/internal.h"

struct HGLRC__ {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
    HWND window = nullptr;
};

using win32layer::state;

namespace win32layer {

bool fullScreenGranted(int* width, int* height) {
    if (!state().fullScreenGranted) return false;
    *width = state().pictureWidth;
    *height = state().pictureHeight;
    return true;
}

void releaseContext(HGLRC context) {
    forget(state().contexts, context);
    if (state().current == context) state().current = nullptr;
    if (context->webgl) emscripten_webgl_destroy_context(context->webgl);
    delete context;
}

}  // namespace win32layer

// --- display mode ---

extern "C" LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
    if (!win32layer::enter("ChangeDisplaySettingsA")) return DISP_CHANGE_FAILED;
    if (!mode) {
        state().fullScreenGranted = false;
        velmora_page_full_screen(0);
        return DISP_CHANGE_SUCCESSFUL;
    }
    int width = (mode->dmFields & DM_PELSWIDTH) ? static_cast<int>(mode->dmPelsWidth) : 0;
    int height = (mode->dmFields & DM_PELSHEIGHT) ? static_cast<int>(mode->dmPelsHeight) : 0;
    if (width <= 0 || height <= 0) return DISP_CHANGE_BADMODE;
    // Any depth is shown: the browser composes the picture at its own.
    if (!velmora_page_full_screen(1)) return DISP_CHANGE_FAILED;
    state().fullScreenGranted = true;
    state().pictureWidth = width;
    state().pictureHeight = height;
    return DISP_CHANGE_SUCCESSFUL;
}

extern "C" BOOL WINAPI EnumDisplaySettingsA(LPCSTR, DWORD modeNum, DEVMODEA* mode) {
    if (!win32layer::enter("EnumDisplaySettingsA") || !mode || modeNum != ENUM_CURRENT_SETTINGS) return FALSE;
    int width = 0, height = 0, depth = 0;
    velmora_page_screen(&width, &height, &depth);
    if (width <= 0 || height <= 0) return FALSE;
    mode->dmPelsWidth = static_cast<DWORD>(width);
    mode->dmPelsHeight = static_cast<DWORD>(height);
    mode->dmBitsPerPel = static_cast<DWORD>(depth);
    mode->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    return TRUE;
}

// --- device contexts and WGL ---

extern "C" HDC WINAPI GetDC(HWND window) {
    if (!win32layer::enter("GetDC")) return nullptr;
    HWND w = win32layer::liveWindow(window);
    return w ? &w->dc : nullptr;
}

extern "C" int WINAPI ReleaseDC(HWND window, HDC dc) {
    if (!win32layer::enter("ReleaseDC")) return 0;
    HWND w = win32layer::liveWindow(window);
    return w && dc == &w->dc ? 1 : 0;
}

// One format serves every request: RGBA, depth, double buffered.
extern "C" int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    if (!win32layer::enter("ChoosePixelFormat") || !dc || !pfd) return 0;
    return 1;
}

extern "C" BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!win32layer::enter("SetPixelFormat") || !dc || format != 1) return FALSE;
    HWND w = win32layer::liveWindow(dc->window);
    if (!w || w->pixelFormat) return FALSE;
    w->pixelFormat = format;
    return TRUE;
}

extern "C" HGLRC WINAPI wglCreateContext(HDC dc) {
    if (!win32layer::enter("wglCreateContext") || !dc) return nullptr;
    HWND w = win32layer::liveWindow(dc->window);
    if (!w || !w->pixelFormat) return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    // The picture is the native one: no smoothing of edges the native program does not do.
    attributes.antialias = EM_FALSE;
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_HIGH_PERFORMANCE;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context("#velmora-canvas", &attributes);
    if (webgl <= 0) return nullptr;
    HGLRC context = new HGLRC__();
    context->webgl = webgl;
    context->window = w;
    state().contexts.push_back(context);
    return context;
}

extern "C" BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    if (!win32layer::enter("wglMakeCurrent")) return FALSE;
    if (!context) {
        if (state().current) gl11::stop();
        emscripten_webgl_make_context_current(0);
        state().current = nullptr;
        return TRUE;
    }
    auto& list = state().contexts;
    if (std::find(list.begin(), list.end(), context) == list.end() || !dc || dc->window != context->window)
        return FALSE;
    if (emscripten_webgl_make_context_current(context->webgl) != EMSCRIPTEN_RESULT_SUCCESS) return FALSE;
    if (state().current != context && !gl11::start()) return FALSE;
    state().current = context;
    return TRUE;
}

extern "C" BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (!win32layer::enter("wglDeleteContext")) return FALSE;
    auto& list = state().contexts;
    if (!context || std::find(list.begin(), list.end(), context) == list.end()) return FALSE;
    if (state().current == context) gl11::stop();
    win32layer::releaseContext(context);
    return TRUE;
}

// The frame is shown when the program yields: it waits for the browser's next
// paint, which paces the show to the display as vertical sync does.
extern "C" BOOL WINAPI SwapBuffers(HDC dc) {
    if (!dc || !win32layer::liveWindow(dc->window)) return FALSE;
    win32layer::runSwapHook();
    velmora_page_next_frame();
    return TRUE;
}
