// The Win32 layer's windows, messages and display modes, headless.
#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>

#include <cstring>
#include <vector>

#include "platform/host/clock.h"
#include "platform/win32/internal.h"
#include "platform/win32/testing.h"
#include "platform/win32/win32_api.h"
#include "tests/win32/mode_request.h"

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;
bool g_passScreenSaver = false;

LRESULT CALLBACK recordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    g_seen.push_back({m, wp, lp});
    if (m == WM_SYSCOMMAND && wp == SC_SCREENSAVE && !g_passScreenSaver) return 0;
    return DefWindowProcA(w, m, wp, lp);
}

class Win32Layer : public ::testing::Test {
protected:
    void SetUp() override {
        win32test::reset();
        win32test::captureMessageBoxes(true);
        g_seen.clear();
        g_passScreenSaver = false;
        WNDCLASSA wc;
        std::memset(&wc, 0, sizeof(wc));
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = recordingProc;
        wc.lpszClassName = "test";
        ASSERT_NE(0, RegisterClassA(&wc));
    }
    void TearDown() override { win32test::reset(); }

    HWND makeWindow(DWORD style = WS_OVERLAPPEDWINDOW, int w = 320, int h = 240) {
        return CreateWindowExA(0, "test", "t", style, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    bool sawMessage(UINT m) const {
        for (const Seen& s : g_seen)
            if (s.message == m) return true;
        return false;
    }
};

TEST_F(Win32Layer, ClassNamesAreRegisteredOnce) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = "test";
    EXPECT_EQ(0, RegisterClassA(&wc));
    EXPECT_EQ(nullptr, CreateWindowExA(0, "unknown", "t", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Win32Layer, CreationSendsCreateAndFirstSizeAndLeavesTheWindowHidden) {
    HWND w = makeWindow(WS_OVERLAPPEDWINDOW, 320, 240);
    ASSERT_NE(nullptr, w);
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(WM_CREATE, g_seen[0].message);
    EXPECT_EQ(WM_SIZE, g_seen[1].message);
    EXPECT_EQ(320, LOWORD(g_seen[1].lParam));
    EXPECT_EQ(240, HIWORD(g_seen[1].lParam));
    EXPECT_FALSE(win32test::windowIsVisible(w));
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(win32test::windowIsVisible(w));
    EXPECT_TRUE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_EQ(WM_DESTROY, g_seen.back().message);
    EXPECT_FALSE(DestroyWindow(w));
}

TEST_F(Win32Layer, PostedMessagesComeBeforeQuitAndQuitBeforeInput) {
    HWND w = makeWindow();
    g_seen.clear();
    win32test::postKey(w, VK_ESCAPE);
    PostQuitMessage(3);
    ASSERT_TRUE(PostMessageA(w, WM_CLOSE, 0, 0));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_CLOSE, m.message);
    EXPECT_EQ(w, m.hwnd);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(WM_QUIT, m.message);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, m.message);
    EXPECT_EQ(3u, m.wParam);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_KEYDOWN, m.message);
    EXPECT_EQ(static_cast<WPARAM>(VK_ESCAPE), m.wParam);
    DispatchMessageA(&m);
    EXPECT_EQ(WM_KEYDOWN, g_seen.back().message);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_KEYUP, m.message);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Layer, CloseRequestBecomesSysCommandThenCloseThenDestroy) {
    HWND w = makeWindow();
    g_seen.clear();
    win32test::postCloseRequest(w);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_SYSCOMMAND, m.message);
    EXPECT_EQ(static_cast<WPARAM>(SC_CLOSE), m.wParam);
    DispatchMessageA(&m);
    // The recording procedure passes everything on, so the default handling
    // closes and destroys the window.
    ASSERT_EQ(3u, g_seen.size());
    EXPECT_EQ(WM_SYSCOMMAND, g_seen[0].message);
    EXPECT_EQ(WM_CLOSE, g_seen[1].message);
    EXPECT_EQ(WM_DESTROY, g_seen[2].message);
    EXPECT_FALSE(win32test::windowIsVisible(w));
}

// Ctrl+C and kill close the show as the close box does: every window, once,
// even when the signal comes before there is a window; a second Ctrl+C is left
// to end the process.
TEST_F(Win32Layer, InterruptAndTerminateSignalsCloseEveryWindowOnce) {
    struct sigaction oldInt, oldTerm;
    sigaction(SIGINT, nullptr, &oldInt);
    sigaction(SIGTERM, nullptr, &oldTerm);
    win32layer::closeOnSignals();
    auto closesSeen = [] {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        int n = 0;
        for (const Seen& s : g_seen) n += s.message == WM_CLOSE;
        g_seen.clear();
        return n;
    };

    raise(SIGINT);
    EXPECT_EQ(0, closesSeen());
    makeWindow();
    makeWindow();
    g_seen.clear();
    EXPECT_EQ(2, closesSeen());
    makeWindow();
    g_seen.clear();
    EXPECT_EQ(0, closesSeen());
    struct sigaction now;
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(SIG_DFL, now.sa_handler);

    raise(SIGTERM);
    EXPECT_EQ(1, closesSeen());

    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
}

TEST_F(Win32Layer, AltF4IsACloseCommand) {
    HWND w = makeWindow();
    g_seen.clear();
    DefWindowProcA(w, WM_SYSKEYDOWN, VK_F4, MAKELPARAM(1, KF_ALTDOWN));
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(WM_SYSCOMMAND, g_seen[0].message);
    EXPECT_EQ(static_cast<WPARAM>(SC_CLOSE), g_seen[0].wParam);
    EXPECT_EQ(WM_CLOSE, g_seen[1].message);
    g_seen.clear();
    HWND other = makeWindow();
    g_seen.clear();
    DefWindowProcA(other, WM_SYSKEYDOWN, VK_F4, 1);  // F4 without Alt
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(Win32Layer, ResizeInputCarriesTheClientSize) {
    HWND w = makeWindow();
    win32test::postResize(w, 800, 600);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_SIZE, m.message);
    EXPECT_EQ(800, LOWORD(m.lParam));
    EXPECT_EQ(600, HIWORD(m.lParam));
}

TEST_F(Win32Layer, ScreenSaverStaysOffOnlyWhileTheProcedureSwallowsIt) {
    HWND w = makeWindow();
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(sawMessage(WM_SYSCOMMAND));
    EXPECT_TRUE(win32test::screenSaverHeldOff());
    DestroyWindow(w);
    EXPECT_FALSE(win32test::screenSaverHeldOff());

    g_passScreenSaver = true;
    HWND passing = makeWindow();
    ShowWindow(passing, SW_SHOW);
    EXPECT_FALSE(win32test::screenSaverHeldOff());
}

TEST_F(Win32Layer, FullScreenRequestIsGrantedWithoutChangingTheDesktop) {
    DEVMODEA before;
    std::memset(&before, 0, sizeof(before));
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &before));

    DEVMODEA mode = modeRequest(640, 480, 16);
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));

    HWND w = makeWindow(WS_POPUP, 640, 480);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(win32test::windowIsFullScreen(w));
    EXPECT_EQ(WM_SIZE, g_seen[1].message);
    EXPECT_EQ(640, LOWORD(g_seen[1].lParam));
    EXPECT_EQ(480, HIWORD(g_seen[1].lParam));

    DEVMODEA after;
    std::memset(&after, 0, sizeof(after));
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &after));
    EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
    EXPECT_EQ(before.dmPelsHeight, after.dmPelsHeight);

    // Restored: the next popup window is an ordinary one.
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(nullptr, 0));
    HWND plain = makeWindow(WS_POPUP, 200, 100);
    EXPECT_FALSE(win32test::windowIsFullScreen(plain));
}

TEST_F(Win32Layer, UnservableModesAreRefused) {
    DEVMODEA mode = modeRequest(640, 480, 7);
    EXPECT_NE(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    mode.dmBitsPerPel = 16;
    mode.dmPelsWidth = 0;
    EXPECT_NE(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    mode.dmPelsWidth = 640;
    EXPECT_NE(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, 0));  // never a lasting change
    win32test::failNextCall("ChangeDisplaySettingsA");
    EXPECT_NE(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
}

TEST_F(Win32Layer, DesktopModeCanBeSetByTests) {
    win32test::setDesktopMode(1920, 1080);
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(1920u, mode.dmPelsWidth);
    EXPECT_EQ(1080u, mode.dmPelsHeight);
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 0, &mode));
}

TEST_F(Win32Layer, CursorCountsLikeWindows) {
    EXPECT_EQ(-1, ShowCursor(FALSE));
    EXPECT_EQ(-2, ShowCursor(FALSE));
    EXPECT_EQ(-1, ShowCursor(TRUE));
    EXPECT_EQ(0, ShowCursor(TRUE));
}

TEST_F(Win32Layer, ClockIsSettableAndOtherwiseMovesForward) {
    hostclock::drive(0xFFFFFFFFu);
    EXPECT_EQ(0xFFFFFFFFu, timeGetTime());
    hostclock::release();
    // Released, it is the monotonic clock's milliseconds cut to 32 bits:
    // bracketed by readings of that clock taken around it.
    auto monotonicMs = [] {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
    };
    const DWORD before = monotonicMs();
    const DWORD now = timeGetTime();
    const DWORD after = monotonicMs();
    EXPECT_LE(static_cast<DWORD>(now - before), static_cast<DWORD>(after - before));
}

TEST_F(Win32Layer, MessageBoxesAreCapturedOrWrittenToStandardError) {
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "text", "caption", MB_OK | MB_ICONERROR));
    ASSERT_EQ(1u, win32test::messageBoxes().size());
    EXPECT_EQ("caption", win32test::messageBoxes()[0].caption);
    EXPECT_EQ("text", win32test::messageBoxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), win32test::messageBoxes()[0].style);

    // Headless and not captured: standard error, answered as OK.
    win32test::captureMessageBoxes(false);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "no display here", "Error !", MB_OK | MB_ICONERROR));
    EXPECT_EQ("Error !: no display here\n", ::testing::internal::GetCapturedStderr());
}

TEST_F(Win32Layer, CallLogAndFaultsFollowTheCallsInOrder) {
    win32test::clearCallLog();
    HWND w = makeWindow();
    win32test::failNextCall("GetDC");
    EXPECT_EQ(nullptr, GetDC(w));
    HDC dc = GetDC(w);
    EXPECT_NE(nullptr, dc);
    EXPECT_EQ(dc, GetDC(w));  // a window's own device context
    EXPECT_EQ(1, ReleaseDC(w, dc));
    std::vector<std::string> expected = {"CreateWindowExA", "GetDC", "GetDC", "GetDC", "ReleaseDC"};
    EXPECT_EQ(expected, win32test::callLog());
}

}  // namespace
