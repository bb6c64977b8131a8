// Device contexts and WGL on SDL's GL contexts. A full-screen window draws
// into an offscreen framebuffer of its picture size; SwapBuffers scales it to
// the desktop with black bars beside it.
#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "platform/win32/internal.h"

namespace {

// The framebuffer calls GL 3.0 added, looked up for each context that
// presents a full-screen picture.
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

}  // namespace

struct HGLRC__ {
    SDL_GLContext sdl = nullptr;
    HWND window = nullptr;  // the window it was made for
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    FramebufferCalls fb{};
};

using win32layer::state;

namespace {

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

// Scales the picture onto the desktop's back buffer, 4:3 kept, black beside it.
void scalePicture(HGLRC rc) {
    const FramebufferCalls& fb = rc->fb;
    int outW = 0, outH = 0;
    SDL_GL_GetDrawableSize(rc->window->sdl, &outW, &outH);
    int w = outW, h = outW * rc->pictureHeight / rc->pictureWidth;
    if (h > outH) {
        h = outH;
        w = outH * rc->pictureWidth / rc->pictureHeight;
    }
    int x = (outW - w) / 2, y = (outH - h) / 2;

    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, rc->framebuffer);
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Black bars only where the picture leaves some: a software GL pays for
    // every pixel cleared.
    if (w < outW || h < outH) {
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
    }
    fb.blitFramebuffer(0, 0, rc->pictureWidth, rc->pictureHeight, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                         GL_LINEAR);
}

// Called with the context current.
bool makePictureFramebuffer(HGLRC rc, int width, int height) {
    FramebufferCalls& fb = rc->fb;
    if (!loadFramebufferCalls(&fb)) return false;
    fb.genRenderbuffers(1, &rc->colour);
    fb.bindRenderbuffer(GL_RENDERBUFFER, rc->colour);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    fb.genRenderbuffers(1, &rc->depth);
    fb.bindRenderbuffer(GL_RENDERBUFFER, rc->depth);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    fb.genFramebuffers(1, &rc->framebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, rc->framebuffer);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rc->colour);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rc->depth);
    if (fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        fb.deleteFramebuffers(1, &rc->framebuffer);
        fb.deleteRenderbuffers(1, &rc->colour);
        fb.deleteRenderbuffers(1, &rc->depth);
        rc->framebuffer = rc->colour = rc->depth = 0;
        return false;
    }
    rc->pictureWidth = width;
    rc->pictureHeight = height;
    // A software GL prepares the scaling the first time it runs, which would
    // hold up the first frame shown; it runs once here, into the unseen back
    // buffer, which every present clears.
    scalePicture(rc);
    fb.bindFramebuffer(GL_FRAMEBUFFER, rc->framebuffer);
    // As for a window, the viewport starts out covering the whole picture.
    glViewport(0, 0, width, height);
    return true;
}

void presentPicture(HGLRC rc) {
    scalePicture(rc);
    SDL_GL_SwapWindow(rc->window->sdl);
    rc->fb.bindFramebuffer(GL_FRAMEBUFFER, rc->framebuffer);
}

}  // namespace

namespace win32layer {

void releaseContext(HGLRC rc) {
    State& s = state();
    if (s.current == rc) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        s.current = nullptr;
    }
    forget(s.contexts, rc);
    // The framebuffer goes with the context.
    if (rc->sdl) SDL_GL_DeleteContext(rc->sdl);
    delete rc;
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
    state().contexts.push_back(rc);
    return rc;
}

extern "C" BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc) {
    if (!win32layer::enter(rc ? "wglMakeCurrent" : "wglMakeCurrent(none)")) return FALSE;
    win32layer::State& s = state();
    if (!rc) {
        if (s.current) SDL_GL_MakeCurrent(nullptr, nullptr);
        s.current = nullptr;
        return TRUE;
    }
    if (!dc || !win32layer::liveWindow(dc->window)) return FALSE;
    bool known = false;
    for (HGLRC c : s.contexts) known = known || c == rc;
    if (!known || rc->window != dc->window) return FALSE;
    if (SDL_GL_MakeCurrent(dc->window->sdl, rc->sdl) != 0) return FALSE;
    s.current = rc;
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    HWND w = dc->window;
    if (w->fullScreen && !rc->framebuffer && !makePictureFramebuffer(rc, w->clientWidth, w->clientHeight)) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        s.current = nullptr;
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI wglDeleteContext(HGLRC rc) {
    if (!win32layer::enter("wglDeleteContext")) return FALSE;
    for (HGLRC c : state().contexts) {
        if (c == rc) {
            win32layer::releaseContext(rc);
            return TRUE;
        }
    }
    return FALSE;
}

extern "C" BOOL WINAPI SwapBuffers(HDC dc) {
    win32layer::runSwapHook();
    if (!win32layer::enter("SwapBuffers")) return FALSE;
    if (!dc || !win32layer::liveWindow(dc->window)) return FALSE;
    HGLRC current = state().current;
    if (current && current->window == dc->window && current->framebuffer)
        presentPicture(current);
    else
        SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}
