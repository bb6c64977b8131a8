// A current GL context for tests, on SDL's offscreen driver (Mesa llvmpipe).
#ifndef VELMORA_TESTS_GL_CONTEXT_H
#define VELMORA_TESTS_GL_CONTEXT_H

#include <vector>

class TestGlContext {
public:
    TestGlContext(int width = 64, int height = 64);
    ~TestGlContext();
    TestGlContext(const TestGlContext&) = delete;
    TestGlContext& operator=(const TestGlContext&) = delete;

    bool ok() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // RGB bytes of the back buffer, bottom row first, as glReadPixels gives them.
    std::vector<unsigned char> readPixels() const;

private:
    void* window_ = nullptr;
    void* context_ = nullptr;
    int width_;
    int height_;
};

#endif
