#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <SDL.h>

TestGlContext::TestGlContext(int width, int height) : width_(width), height_(height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* w = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) return;
    SDL_GLContext c = SDL_GL_CreateContext(w);
    if (!c) {
        SDL_DestroyWindow(w);
        return;
    }
    SDL_GL_MakeCurrent(w, c);
    glViewport(0, 0, width, height);
    window_ = w;
    context_ = c;
}

TestGlContext::~TestGlContext() {
    if (context_) {
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    }
    if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<unsigned char> TestGlContext::readPixels() const {
    std::vector<unsigned char> pixels(static_cast<size_t>(width_) * height_ * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
