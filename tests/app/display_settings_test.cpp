// Opening, GL set-up, release and the window procedure, through the layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/globals.h"
#include "platform/win32/testing.h"

namespace {

class Display : public ::testing::Test {
protected:
    void SetUp() override {
        win32test::reset();
        win32test::captureMessageBoxes(true);
        g_settings = &settings;
    }
    void TearDown() override {
        win32test::reset();
        g_settings = nullptr;
    }

    // Index of the first log entry named `name` at or after `from`, or -1.
    static int logIndex(const std::string& name, int from = 0) {
        const auto& log = win32test::callLog();
        for (size_t i = static_cast<size_t>(from); i < log.size(); ++i)
            if (log[i] == name) return static_cast<int>(i);
        return -1;
    }
    static std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const auto& b : win32test::messageBoxes()) texts.push_back(b.text);
        return texts;
    }

    DisplaySettings settings;
};

TEST_F(Display, StartsFullScreenAt640By480) {
    EXPECT_EQ(1, settings.fullScreen);
    EXPECT_EQ(640, settings.width);
    EXPECT_EQ(480, settings.height);
    EXPECT_EQ(nullptr, settings.dc);
}

TEST_F(Display, ErrorBoxHasItsCaptionAndIcon) {
    EXPECT_EQ(IDOK, settings.reportError("something"));
    ASSERT_EQ(1u, win32test::messageBoxes().size());
    EXPECT_EQ("Error !", win32test::messageBoxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), win32test::messageBoxes()[0].style);
}

TEST_F(Display, FullScreenOpensHiddenWithAContextAndReleasesInOrder) {
    HWND w = settings.openWindow(nullptr);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(win32test::windowIsFullScreen(w));
    EXPECT_FALSE(win32test::windowIsVisible(w));
    EXPECT_EQ(-1, win32test::cursorCount());
    EXPECT_EQ(640, settings.width);  // the first WM_SIZE: the picture's size
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    ASSERT_EQ(1, settings.enableGL(w, &dc, &rc));
    EXPECT_EQ(dc, settings.dc);
    EXPECT_NE(nullptr, glGetString(GL_VERSION));

    win32test::clearCallLog();
    EXPECT_EQ(1, settings.shutdown(w, dc, rc));
    std::vector<std::string> expected = {"ChangeDisplaySettingsA(restore)", "ShowCursor(TRUE)",
                                         "wglMakeCurrent(none)", "wglDeleteContext", "ReleaseDC",
                                         "DestroyWindow"};
    EXPECT_EQ(expected, win32test::callLog());
    EXPECT_EQ(0, win32test::cursorCount());
    EXPECT_TRUE(win32test::messageBoxes().empty());
}

TEST_F(Display, WindowModeUsesAnOrdinaryWindowAndFollowsResizes) {
    settings.fullScreen = 0;
    HWND w = settings.openWindow(nullptr);
    ASSERT_NE(nullptr, w);
    EXPECT_FALSE(win32test::windowIsFullScreen(w));
    EXPECT_EQ(0, win32test::cursorCount());
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    ASSERT_EQ(1, settings.enableGL(w, &dc, &rc));
    for (auto size : {std::pair<int, int>{800, 600}, {0, 0}, {632, 446}}) {
        windowProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.first, size.second));
        EXPECT_EQ(size.first, settings.width);
        EXPECT_EQ(size.second, settings.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(size.first, viewport[2]);
        EXPECT_EQ(size.second, viewport[3]);
    }
    win32test::clearCallLog();
    settings.shutdown(w, dc, rc);
    EXPECT_EQ(-1, logIndex("ChangeDisplaySettingsA(restore)"));
    EXPECT_EQ(-1, logIndex("ShowCursor(TRUE)"));
}

TEST_F(Display, RegistrationFailureIsReported) {
    win32test::failNextCall("RegisterClassA");
    EXPECT_EQ(nullptr, settings.openWindow(nullptr));
    EXPECT_EQ(std::vector<std::string>{"Failed To Register The Window Class."}, boxTexts());
    EXPECT_EQ(-1, logIndex("ChangeDisplaySettingsA"));
}

TEST_F(Display, RefusedSixteenBitModeIsAskedAgainAtTheDesktopDepth) {
    win32test::failNextCall("ChangeDisplaySettingsA");
    HWND w = settings.openWindow(nullptr);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(win32test::windowIsFullScreen(w));
    EXPECT_TRUE(win32test::messageBoxes().empty());
    int first = logIndex("ChangeDisplaySettingsA");
    int desktop = logIndex("EnumDisplaySettingsA", first);
    ASSERT_NE(-1, desktop);
    EXPECT_LT(desktop, logIndex("ChangeDisplaySettingsA", first + 1));
    EXPECT_LT(logIndex("ChangeDisplaySettingsA", first + 1), logIndex("CreateWindowExA"));
}

TEST_F(Display, FullScreenRefusedAtEveryDepthIsReportedAndOpensNothing) {
    for (const char* refused : {"ChangeDisplaySettingsA", "EnumDisplaySettingsA"}) {
        win32test::reset();
        win32test::captureMessageBoxes(true);
        win32test::failNextCall("ChangeDisplaySettingsA");
        win32test::failNextCall(refused);
        EXPECT_EQ(nullptr, settings.openWindow(nullptr)) << refused;
        EXPECT_EQ(std::vector<std::string>{"Can't Set The 640x480 Full Screen Mode."}, boxTexts());
        EXPECT_EQ(-1, logIndex("CreateWindowExA"));
        EXPECT_EQ(0, win32test::cursorCount()) << "the cursor stays as it was";
    }
}

TEST_F(Display, WindowCreationFailureRestoresTheDesktopBeforeTheBox) {
    win32test::failNextCall("CreateWindowExA");
    EXPECT_EQ(nullptr, settings.openWindow(nullptr));
    EXPECT_EQ(std::vector<std::string>{"Window Creation Error"}, boxTexts());
    int restore = logIndex("ChangeDisplaySettingsA(restore)");
    ASSERT_NE(-1, restore);
    EXPECT_LT(restore, logIndex("MessageBoxA"));
    EXPECT_EQ(0, win32test::cursorCount());
}

struct GlFailure {
    const char* call;
    const char* text;
    std::vector<std::string> teardown;  // what shutdown releases before the box
};

void PrintTo(const GlFailure& f, std::ostream* os) { *os << f.call; }

class GlFailures : public Display, public ::testing::WithParamInterface<GlFailure> {};

TEST_P(GlFailures, TearDownComesBeforeTheBox) {
    const GlFailure& f = GetParam();
    HWND w = settings.openWindow(nullptr);
    ASSERT_NE(nullptr, w);
    win32test::clearCallLog();
    win32test::failNextCall(f.call);
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    EXPECT_EQ(0, settings.enableGL(w, &dc, &rc));
    EXPECT_EQ(std::vector<std::string>{f.text}, boxTexts());
    EXPECT_EQ("Error !", win32test::messageBoxes()[0].caption);

    int failed = logIndex(f.call);
    ASSERT_NE(-1, failed);
    int box = logIndex("MessageBoxA");
    int at = logIndex("ChangeDisplaySettingsA(restore)", failed);
    EXPECT_NE(-1, at);
    for (const std::string& step : f.teardown) {
        int next = logIndex(step, at);
        EXPECT_NE(-1, next) << step;
        at = next;
    }
    EXPECT_LT(at, box);
    EXPECT_FALSE(win32test::windowIsVisible(w));
    EXPECT_EQ(0, win32test::cursorCount());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, GlFailures,
    ::testing::Values(
        GlFailure{"GetDC", "Can't Create A GL Device Context.", {"DestroyWindow"}},
        GlFailure{"ChoosePixelFormat", "Can't Find A Suitable PixelFormat.", {"ReleaseDC", "DestroyWindow"}},
        GlFailure{"SetPixelFormat", "Can't Set The PixelFormat.", {"ReleaseDC", "DestroyWindow"}},
        GlFailure{"wglCreateContext", "Can't Create A GL Rendering Context.", {"ReleaseDC", "DestroyWindow"}},
        GlFailure{"wglMakeCurrent",
                  "Can't Activate The GL Rendering Context.",
                  {"wglMakeCurrent(none)", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}}),
    [](const ::testing::TestParamInfo<GlFailure>& info) { return std::string(info.param.call); });

TEST_F(Display, ShutdownWithNothingInWindowModeDoesNothing) {
    settings.fullScreen = 0;
    win32test::clearCallLog();
    EXPECT_EQ(1, settings.shutdown(nullptr, nullptr, nullptr));
    EXPECT_TRUE(win32test::callLog().empty());
}

TEST_F(Display, FailedReleasesEachShowABoxAndTheNextStepRuns) {
    HWND w = settings.openWindow(nullptr);
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    ASSERT_EQ(1, settings.enableGL(w, &dc, &rc));
    win32test::failNextCall("wglMakeCurrent(none)");
    win32test::failNextCall("wglDeleteContext");
    win32test::failNextCall("ReleaseDC");
    win32test::failNextCall("DestroyWindow");
    EXPECT_EQ(1, settings.shutdown(w, dc, rc));
    std::vector<std::string> expected = {"Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                                         "Release Device Context Failed.", "Could Not Release hWnd."};
    EXPECT_EQ(expected, boxTexts());
    for (const auto& b : win32test::messageBoxes()) {
        EXPECT_EQ("SHUTDOWN ERROR", b.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), b.style);
    }
}

TEST_F(Display, WindowProcedureHandlesItsMessages) {
    settings.fullScreen = 0;
    HWND w = settings.openWindow(nullptr);
    ASSERT_NE(nullptr, w);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }

    for (UINT quiet : {WM_CREATE, WM_DESTROY, WM_ACTIVATE}) EXPECT_EQ(0, windowProc(w, quiet, 0, 0));
    EXPECT_EQ(0, windowProc(w, WM_KEYDOWN, 'A', 0));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));

    // Screen saver and monitor power-saving are swallowed, so they stay held off.
    ShowWindow(w, SW_SHOW);
    ASSERT_TRUE(win32test::screenSaverHeldOff());
    EXPECT_EQ(0, windowProc(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0));
    EXPECT_EQ(0, windowProc(w, WM_SYSCOMMAND, SC_MONITORPOWER, 2));
    EXPECT_TRUE(win32test::screenSaverHeldOff());

    // Esc: WM_CLOSE posted, then the quit request.
    EXPECT_EQ(0, windowProc(w, WM_KEYDOWN, VK_ESCAPE, 0));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_CLOSE, m.message);
    EXPECT_EQ(w, m.hwnd);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, m.message);
    EXPECT_EQ(0u, m.wParam);

    // WM_CLOSE asks to quit and leaves the window alive.
    EXPECT_EQ(0, windowProc(w, WM_CLOSE, 0, 0));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, m.message);
    EXPECT_TRUE(DestroyWindow(w));
}

TEST_F(Display, CloseButtonEndsLikeEscAndKeepsTheWindow) {
    settings.fullScreen = 0;
    HWND w = settings.openWindow(nullptr);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(0, windowProc(w, WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, m.message);
    EXPECT_TRUE(DestroyWindow(w));  // still there until shutdown
}

TEST_F(Display, ScreenSaverIsHeldOffWhileTheShowWindowIsUp) {
    HWND w = settings.openWindow(nullptr);
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(win32test::screenSaverHeldOff());
    settings.shutdown(w, nullptr, nullptr);
    EXPECT_FALSE(win32test::screenSaverHeldOff());
}

TEST_F(Display, ResizeBeforeAnyContextIsHarmless) {
    EXPECT_EQ(1, settings.resize(320, 200));
    EXPECT_EQ(320, settings.width);
    EXPECT_EQ(200, settings.height);
}

}  // namespace
