// Device contexts, pixel formats and GL contexts of the Win32 layer, on Mesa.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "platform/win32/internal.h"
#include "platform/win32/testing.h"
#include "platform/win32/win32_api.h"
#include "tests/win32/mode_request.h"

namespace {

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

PIXELFORMATDESCRIPTOR request() {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof(pfd));
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    return pfd;
}

class WglContext : public ::testing::Test {
protected:
    void SetUp() override {
        win32test::reset();
        WNDCLASSA wc;
        std::memset(&wc, 0, sizeof(wc));
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = "gl";
        ASSERT_NE(0, RegisterClassA(&wc));
    }
    void TearDown() override { win32test::reset(); }

    HWND window(DWORD style, int w, int h) {
        return CreateWindowExA(0, "gl", "gl", style, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    HGLRC currentContext(HWND w, HDC* dcOut) {
        HDC dc = GetDC(w);
        PIXELFORMATDESCRIPTOR pfd = request();
        int format = ChoosePixelFormat(dc, &pfd);
        if (!format || !SetPixelFormat(dc, format, &pfd)) return nullptr;
        HGLRC rc = wglCreateContext(dc);
        if (!rc || !wglMakeCurrent(dc, rc)) return nullptr;
        *dcOut = dc;
        return rc;
    }
};

TEST_F(WglContext, PixelFormatIsSetOnceAndNeededForAContext) {
    HWND w = window(WS_OVERLAPPEDWINDOW, 64, 64);
    HDC dc = GetDC(w);
    EXPECT_EQ(nullptr, wglCreateContext(dc));
    PIXELFORMATDESCRIPTOR pfd = request();
    int format = ChoosePixelFormat(dc, &pfd);
    ASSERT_EQ(1, format);
    EXPECT_FALSE(SetPixelFormat(dc, 2, &pfd));
    EXPECT_TRUE(SetPixelFormat(dc, format, &pfd));
    EXPECT_FALSE(SetPixelFormat(dc, 2, &pfd));

    PIXELFORMATDESCRIPTOR noGl = request();
    noGl.dwFlags = PFD_DRAW_TO_WINDOW;
    EXPECT_EQ(0, ChoosePixelFormat(dc, &noGl));
}

TEST_F(WglContext, CreatingDoesNotMakeCurrentAndReleasingUnbinds) {
    HWND w = window(WS_OVERLAPPEDWINDOW, 64, 64);
    HDC dc = GetDC(w);
    PIXELFORMATDESCRIPTOR pfd = request();
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(nullptr, rc);
    EXPECT_EQ(nullptr, glGetString(GL_VERSION));
    ASSERT_TRUE(wglMakeCurrent(dc, rc));
    EXPECT_NE(nullptr, glGetString(GL_VERSION));
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(nullptr, glGetString(GL_VERSION));
    EXPECT_TRUE(wglDeleteContext(rc));
    EXPECT_FALSE(wglDeleteContext(rc));
}

TEST_F(WglContext, WindowedContextDrawsToTheWindow) {
    HWND w = window(WS_OVERLAPPEDWINDOW, 96, 64);
    HDC dc = nullptr;
    ASSERT_NE(nullptr, currentContext(w, &dc));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(96, viewport[2]);
    EXPECT_EQ(64, viewport[3]);
    int frames = 0;
    win32test::onSwapBuffers([&] { frames++; });
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_EQ(2, frames);
}

TEST_F(WglContext, FullScreenPictureKeepsItsOwnSizeAcrossSwaps) {
    DEVMODEA mode = modeRequest(640, 480, 16);
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    HWND w = window(WS_POPUP, 640, 480);
    ShowWindow(w, SW_SHOW);
    HDC dc = nullptr;
    ASSERT_NE(nullptr, currentContext(w, &dc));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(640, viewport[2]);
    EXPECT_EQ(480, viewport[3]);

    for (int frame = 0; frame < 2; ++frame) {
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        unsigned char corner[3] = {0, 0, 0};
        glReadPixels(639, 479, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, corner);
        EXPECT_EQ(255, corner[0]);
        EXPECT_EQ(0, corner[1]);
        EXPECT_TRUE(SwapBuffers(dc));
        // The clear colour the program set survives the presentation.
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_FLOAT_EQ(1.0f, clear[0]);
        EXPECT_EQ(GL_NO_ERROR, glGetError());
    }
}

// What the desktop shows: the picture scaled to its height, its aspect kept,
// black on both sides. Read back from the window's own framebuffer after the
// swap, where the scaled picture went.
TEST_F(WglContext, FullScreenPictureIsScaledToTheDesktopWithBlackBesideIt) {
    DEVMODEA mode = modeRequest(320, 480, 16);
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    HWND w = window(WS_POPUP, 320, 480);
    ShowWindow(w, SW_SHOW);
    HDC dc = nullptr;
    ASSERT_NE(nullptr, currentContext(w, &dc));
    int desktopW = 0, desktopH = 0;
    SDL_GL_GetDrawableSize(w->sdl, &desktopW, &desktopH);
    ASSERT_GT(desktopW * 480, desktopH * 320) << "the desktop must be wider than the picture";

    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(SwapBuffers(dc));
    auto bindFramebuffer = reinterpret_cast<void (*)(GLenum, GLuint)>(SDL_GL_GetProcAddress("glBindFramebuffer"));
    ASSERT_NE(nullptr, bindFramebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_FRONT);
    std::vector<unsigned char> row(static_cast<size_t>(desktopW) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, desktopH / 2, desktopW, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
    int firstRed = -1, lastRed = -1;
    for (int x = 0; x < desktopW; ++x) {
        const bool red = row[x * 3] > 200 && row[x * 3 + 1] < 50;
        const bool black = row[x * 3] < 20 && row[x * 3 + 1] < 20 && row[x * 3 + 2] < 20;
        ASSERT_TRUE(red || black) << "x " << x;
        if (red && firstRed < 0) firstRed = x;
        if (red) lastRed = x;
    }
    // 320:480 at the desktop's height, centred.
    const int shown = desktopH * 320 / 480;
    EXPECT_NEAR(shown, lastRed - firstRed + 1, 2);
    EXPECT_NEAR((desktopW - shown) / 2, firstRed, 2);
    unsigned char top[3] = {0, 0, 0};
    glReadPixels(desktopW / 2, desktopH - 1, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, top);
    EXPECT_GT(top[0], 200) << "the picture fills the desktop's height";
}

TEST_F(WglContext, FaultsMakeEachStepFail) {
    HWND w = window(WS_OVERLAPPEDWINDOW, 64, 64);
    HDC dc = GetDC(w);
    PIXELFORMATDESCRIPTOR pfd = request();
    win32test::failNextCall("ChoosePixelFormat");
    EXPECT_EQ(0, ChoosePixelFormat(dc, &pfd));
    win32test::failNextCall("SetPixelFormat");
    EXPECT_FALSE(SetPixelFormat(dc, 1, &pfd));
    ASSERT_TRUE(SetPixelFormat(dc, 1, &pfd));
    win32test::failNextCall("wglCreateContext");
    EXPECT_EQ(nullptr, wglCreateContext(dc));
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(nullptr, rc);
    win32test::failNextCall("wglMakeCurrent");
    EXPECT_FALSE(wglMakeCurrent(dc, rc));
    EXPECT_TRUE(wglMakeCurrent(dc, rc));
    win32test::failNextCall("wglDeleteContext");
    EXPECT_FALSE(wglDeleteContext(rc));
}

}  // namespace
