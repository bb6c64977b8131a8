// Device contexts and WGL on SDL's GL contexts. A full-screen window draws
// into an offscreen framebuffer of its picture size; SwapBuffers scales it to
// the desktop with black bars beside it.
#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "platform/win32/internal.h"

struct HGLRC__ {
    SDL_GLContext sdl = nullptr;
    HWND window = nullptr;  // the window it was made for
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
};

namespace {

HGLRC g_current = nullptr;

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
};

bool loadFramebufferCalls(FramebufferCalls* f) {
    f->genFramebuffers = (PFNGLGENFRAMEBUFFERSPROC)SDL_GL_GetProcAddress("glGenFramebuffers");
    f->bindFramebuffer = (PFNGLBINDFRAMEBUFFERPROC)SDL_GL_GetProcAddress("glBindFramebuffer");
    f->deleteFramebuffers = (PFNGLDELETEFRAMEBUFFERSPROC)SDL_GL_GetProcAddress("glDeleteFramebuffers");
    f->genRenderbuffers = (PFNGLGENRENDERBUFFERSPROC)SDL_GL_GetProcAddress("glGenRenderbuffers");
    f->bindRenderbuffer = (PFNGLBINDRENDERBUFFERPROC)SDL_GL_GetProcAddress("glBindRenderbuffer");
    f->deleteRenderbuffers = (PFNGLDELETERENDERBUFFERSPROC)SDL_GL_GetProcAddress("glDeleteRenderbuffers");
    f->renderbufferStorage = (PFNGLRENDERBUFFERSTORAGEPROC)SDL_GL_GetProcAddress("glRenderbufferStorage");
    f->framebufferRenderbuffer =
        (PFNGLFRAMEBUFFERRENDERBUFFERPROC)SDL_GL_GetProcAddress("glFramebufferRenderbuffer");
    f->checkFramebufferStatus =
        (PFNGLCHECKFRAMEBUFFERSTATUSPROC)SDL_GL_GetProcAddress("glCheckFramebufferStatus");
    f->blitFramebuffer = (PFNGLBLITFRAMEBUFFERPROC)SDL_GL_GetProcAddress("glBlitFramebuffer");
    return f->genFramebuffers && f->bindFramebuffer && f->deleteFramebuffers && f->genRenderbuffers &&
           f->bindRenderbuffer && f->deleteRenderbuffers && f->renderbufferStorage &&
           f->framebufferRenderbuffer && f->checkFramebufferStatus && f->blitFramebuffer;
}

FramebufferCalls g_fb;

// Called with the context current.
bool makePictureFramebuffer(HGLRC rc, int width, int height) {
    if (!loadFramebufferCalls(&g_fb)) return false;
    g_fb.genRenderbuffers(1, &rc->colour);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, rc->colour);
    g_fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    g_fb.genRenderbuffers(1, &rc->depth);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, rc->depth);
    g_fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    g_fb.genFramebuffers(1, &rc->framebuffer);
    g_fb.bindFramebuffer(GL_FRAMEBUFFER, rc->framebuffer);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rc->colour);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rc->depth);
    if (g_fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        g_fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        g_fb.deleteFramebuffers(1, &rc->framebuffer);
        g_fb.deleteRenderbuffers(1, &rc->colour);
        g_fb.deleteRenderbuffers(1, &rc->depth);
        rc->framebuffer = rc->colour = rc->depth = 0;
        return false;
    }
    rc->pictureWidth = width;
    rc->pictureHeight = height;
    // As for a window, the viewport starts out covering the whole picture.
    glViewport(0, 0, width, height);
    return true;
}

// Scales the picture onto the desktop, 4:3 kept, black beside it.
void presentPicture(HGLRC rc) {
    int outW = 0, outH = 0;
    SDL_GL_GetDrawableSize(rc->window->sdl, &outW, &outH);
    int w = outW, h = outW * rc->pictureHeight / rc->pictureWidth;
    if (h > outH) {
        h = outH;
        w = outH * rc->pictureWidth / rc->pictureHeight;
    }
    int x = (outW - w) / 2, y = (outH - h) / 2;

    g_fb.bindFramebuffer(GL_READ_FRAMEBUFFER, rc->framebuffer);
    g_fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    g_fb.blitFramebuffer(0, 0, rc->pictureWidth, rc->pictureHeight, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                         GL_LINEAR);
    SDL_GL_SwapWindow(rc->window->sdl);
    g_fb.bindFramebuffer(GL_FRAMEBUFFER, rc->framebuffer);
}

void destroyContext(HGLRC rc) {
    if (g_current == rc) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        g_current = nullptr;
    }
    // The framebuffer goes with the context.
    if (rc->sdl) SDL_GL_DeleteContext(rc->sdl);
    delete rc;
}

std::vector<HGLRC>& contexts() {
    static std::vector<HGLRC> c;
    return c;
}

}  // namespace

namespace win32layer {

void resetGl() {
    while (!contexts().empty()) {
        destroyContext(contexts().back());
        contexts().pop_back();
    }
    g_current = nullptr;
}

}  // namespace win32layer

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

extern "C" int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    if (!win32layer::enter("ChoosePixelFormat")) return 0;
    if (!dc || !win32layer::liveWindow(dc->window) || !pfd) return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((pfd->dwFlags & needed) != needed || pfd->iPixelType != PFD_TYPE_RGBA) return 0;
    // One format: RGBA, double-buffered, with depth; at least what is asked.
    return 1;
}

extern "C" BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!win32layer::enter("SetPixelFormat")) return FALSE;
    if (!dc || !win32layer::liveWindow(dc->window) || format != 1) return FALSE;
    HWND w = dc->window;
    if (w->pixelFormat && w->pixelFormat != format) return FALSE;
    w->pixelFormat = format;
    return TRUE;
}

extern "C" HGLRC WINAPI wglCreateContext(HDC dc) {
    if (!win32layer::enter("wglCreateContext")) return nullptr;
    if (!dc || !win32layer::liveWindow(dc->window) || !dc->window->pixelFormat) return nullptr;
    SDL_Window* prevWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext prevContext = SDL_GL_GetCurrentContext();
    SDL_GLContext sdl = SDL_GL_CreateContext(dc->window->sdl);
    // Creating a context must not change which one is current.
    SDL_GL_MakeCurrent(prevWindow, prevContext);
    if (!sdl) return nullptr;
    HGLRC rc = new HGLRC__;
    rc->sdl = sdl;
    rc->window = dc->window;
    contexts().push_back(rc);
    return rc;
}

extern "C" BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc) {
    if (!win32layer::enter(rc ? "wglMakeCurrent" : "wglMakeCurrent(none)")) return FALSE;
    if (!rc) {
        if (g_current) SDL_GL_MakeCurrent(nullptr, nullptr);
        g_current = nullptr;
        return TRUE;
    }
    if (!dc || !win32layer::liveWindow(dc->window)) return FALSE;
    bool known = false;
    for (HGLRC c : contexts()) known = known || c == rc;
    if (!known || rc->window != dc->window) return FALSE;
    if (SDL_GL_MakeCurrent(dc->window->sdl, rc->sdl) != 0) return FALSE;
    g_current = rc;
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    HWND w = dc->window;
    if (w->fullScreen && !rc->framebuffer && !makePictureFramebuffer(rc, w->clientWidth, w->clientHeight)) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        g_current = nullptr;
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI wglDeleteContext(HGLRC rc) {
    if (!win32layer::enter("wglDeleteContext")) return FALSE;
    auto& all = contexts();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == rc) {
            all.erase(all.begin() + static_cast<long>(i));
            destroyContext(rc);
            return TRUE;
        }
    }
    return FALSE;
}

extern "C" BOOL WINAPI SwapBuffers(HDC dc) {
    win32layer::runSwapHook();
    if (!win32layer::enter("SwapBuffers")) return FALSE;
    if (!dc || !win32layer::liveWindow(dc->window)) return FALSE;
    if (g_current && g_current->window == dc->window && g_current->framebuffer)
        presentPicture(g_current);
    else
        SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}
