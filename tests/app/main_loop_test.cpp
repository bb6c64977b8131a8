// WinMain and its main loop, driven through the layer with the clock set.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/globals.h"
#include "platform/host/clock.h"
#include "scene/show_schedule.h"
#include "platform/sound/testing.h"
#include "platform/win32/dialog_testing.h"
#include "platform/win32/testing.h"
#include "tests/support/paths.h"
#include "timeline/timeline.h"

namespace {

// Added to the show's timeline from the first frame on; records what each
// later frame saw.
class Recorder : public Effect {
public:
    int render(int elapsedMs, int) override {
        elapsed.push_back(elapsedMs);
        widths.push_back(g_settings->width);
        const auto& sound = soundtest::callLog();
        musicStopped.push_back(std::find(sound.begin(), sound.end(), "FMUSIC_StopSong") != sound.end());
        glVersionSeen = glVersionSeen || glGetString(GL_VERSION) != nullptr;
        return 1;
    }
    std::vector<int> elapsed;
    std::vector<int> widths;
    std::vector<bool> musicStopped;  // when each frame was drawn
    bool glVersionSeen = false;
};

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override {
        // The show's data folder lies in the build folder.
        std::string data = builtDataDir();
        std::string buildDir = data.substr(0, data.rfind('/'));
        ASSERT_EQ(0, chdir(buildDir.c_str()));
        win32test::reset();
        win32test::captureMessageBoxes(true);
        soundtest::reset();
        g_done = 0;
    }
    void TearDown() override {
        win32test::reset();
        soundtest::reset();
    }

    // Position of the first `name` in the sound layer's log, or -1.
    static int soundCall(const std::string& name) {
        const auto& log = soundtest::callLog();
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i] == name) return static_cast<int>(i);
        return -1;
    }

    // Runs WinMain; `perFrame(n)` runs inside the n-th SwapBuffers (from 1).
    int run(std::function<void(int)> perFrame) {
        swaps = 0;
        win32test::onSwapBuffers([this, perFrame] {
            ++swaps;
            if (swaps == 1) g_timeline->add(&recorder, 0, 500000);
            perFrame(swaps);
        });
        return WinMain(nullptr, nullptr, nullptr, SW_SHOW);
    }

    static int countInLog(const std::string& name) {
        int n = 0;
        for (const auto& e : win32test::callLog()) n += e == name;
        return n;
    }

    Recorder recorder;
    int swaps = 0;
};

TEST_F(MainLoop, RunsUntilTheFirstFramePastTheRunningTime) {
    const DWORD t0 = 1000;
    hostclock::drive(t0);
    int result = run([&](int frame) {
        if (frame == 1) hostclock::drive(t0 + SHOW_LENGTH_MS - 1);
        if (frame == 2) hostclock::drive(t0 + SHOW_LENGTH_MS);  // exactly the running time: goes on
        if (frame == 3) hostclock::drive(t0 + SHOW_LENGTH_MS + 1);  // past it: drawn, shown, then the end
        ASSERT_LE(frame, 4) << "the loop should have ended";
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, g_done);
    EXPECT_EQ((std::vector<int>{SHOW_LENGTH_MS - 1, SHOW_LENGTH_MS, SHOW_LENGTH_MS + 1}), recorder.elapsed);
    // The music stops before the frame past the end is drawn, not after it.
    EXPECT_EQ((std::vector<bool>{false, false, true}), recorder.musicStopped);
    EXPECT_EQ(4, swaps);
    EXPECT_TRUE(recorder.glVersionSeen);
    // The end releases the display after the last frame.
    const auto& log = win32test::callLog();
    int lastSwap = -1, destroy = -1;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i] == "SwapBuffers") lastSwap = static_cast<int>(i);
        if (log[i] == "DestroyWindow") destroy = static_cast<int>(i);
    }
    EXPECT_LT(lastSwap, destroy);
}

TEST_F(MainLoop, MusicStartsWithTheClockStopsInTheLastFrameAndIsReleasedAtTheEnd) {
    const DWORD t0 = 1000;
    hostclock::drive(t0);
    bool playingWhenDrawn = false;
    int stopsBeforeLastFrame = -1;
    run([&](int frame) {
        if (frame == 1) {
            playingWhenDrawn = soundCall("FMUSIC_PlaySong") != -1;
            stopsBeforeLastFrame = soundCall("FMUSIC_StopSong");
            hostclock::drive(t0 + 200000);
        }
        if (frame == 2) stopsBeforeLastFrame = soundCall("FMUSIC_StopSong");
    });
    EXPECT_TRUE(playingWhenDrawn);
    EXPECT_NE(-1, stopsBeforeLastFrame);  // stopped, then the last frame drawn
    EXPECT_EQ(1u, recorder.elapsed.size());
    int stop = soundCall("FMUSIC_StopSong");
    int freeSong = soundCall("FMUSIC_FreeSong");
    int close = soundCall("FSOUND_Close");
    EXPECT_LT(soundCall("FMUSIC_LoadSong"), soundCall("FMUSIC_PlaySong"));
    EXPECT_LT(stop, freeSong);
    EXPECT_LT(freeSong, close);
}

TEST_F(MainLoop, QuitDoesNotStopTheSongButReleasesIt) {
    hostclock::drive(5000);
    run([&](int frame) {
        if (frame == 2) PostQuitMessage(0);
    });
    EXPECT_EQ(-1, soundCall("FMUSIC_StopSong"));
    EXPECT_NE(-1, soundCall("FMUSIC_FreeSong"));
    EXPECT_NE(-1, soundCall("FSOUND_Close"));
}

TEST_F(MainLoop, PlaybackThatCannotStartEndsTheRunRightAfterLoading) {
    soundtest::failNextCall("FMUSIC_PlaySong", 5);
    hostclock::drive(5000);
    EXPECT_EQ(0, run([](int) {}));
    EXPECT_EQ(0, swaps);
    EXPECT_NE(-1, soundCall("FSOUND_Close"));
    int shown = 0;
    for (const auto& box : win32test::messageBoxes()) shown += box.caption == "ERROR!";
    EXPECT_EQ(0, shown);  // no message of its own
    EXPECT_EQ(1, countInLog("DestroyWindow"));
}

TEST_F(MainLoop, MissingMusicFileIsShownBeforeTheWindowAndEndsTheRun) {
    ASSERT_EQ(0, chdir("/"));
    hostclock::drive(5000);
    EXPECT_EQ(0, run([](int) {}));
    ASSERT_FALSE(win32test::messageBoxes().empty());
    EXPECT_EQ("ERROR!", win32test::messageBoxes()[0].caption);
    EXPECT_EQ("File not found", win32test::messageBoxes()[0].text);
    EXPECT_EQ(0, swaps);
}

TEST_F(MainLoop, QuitInTheDialogEndsBeforeAnyWindowOrModeChange) {
    win32test::scriptNextDialog({win32test::dialogClick(IDCANCEL)});
    EXPECT_EQ(0, run([](int) {}));
    EXPECT_EQ(1, g_done);
    EXPECT_EQ(0, countInLog("RegisterClassA"));
    EXPECT_EQ(0, countInLog("ChangeDisplaySettingsA"));
    EXPECT_EQ(0, countInLog("CreateWindowExA"));
    EXPECT_NE(-1, soundCall("FSOUND_Close"));
}

TEST_F(MainLoop, DialogChoiceOfAWindowIsKept) {
    win32test::scriptNextDialog({win32test::dialogClick(1033), win32test::dialogKey(VK_RETURN)});
    hostclock::drive(5000);
    bool fullScreen = true;
    run([&](int frame) {
        fullScreen = win32test::windowIsFullScreen(g_window);
        if (frame == 2) PostQuitMessage(0);
    });
    EXPECT_EQ(0, g_settings->fullScreen);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(0, countInLog("ChangeDisplaySettingsA"));
}

TEST_F(MainLoop, ElapsedTimeSurvivesTheClockWrapping) {
    const DWORD t0 = 0xFFFFFFFFu - 100;
    hostclock::drive(t0);
    run([&](int frame) {
        if (frame == 1) hostclock::drive(t0 + SHOW_LENGTH_MS);  // wrapped past zero
        if (frame == 2) hostclock::drive(t0 + SHOW_LENGTH_MS + 1);
        ASSERT_LE(frame, 3);
    });
    EXPECT_EQ((std::vector<int>{SHOW_LENGTH_MS, SHOW_LENGTH_MS + 1}), recorder.elapsed);
}

TEST_F(MainLoop, EachPassHandlesOneMessageAndDrawsNoFrame) {
    hostclock::drive(5000);
    run([&](int frame) {
        if (frame == 1)
            for (int width : {101, 102, 103}) win32test::postResize(g_window, width, 77);
        if (frame == 3) PostQuitMessage(0);
    });
    // Frame 2 already saw the last of the three sizes: no frame between them.
    EXPECT_EQ((std::vector<int>{103, 103}), recorder.widths);
}

TEST_F(MainLoop, QuitMessageEndsTheLoopWithoutAFrame) {
    hostclock::drive(5000);
    run([&](int frame) {
        if (frame == 3) PostQuitMessage(0);
    });
    EXPECT_EQ(3, swaps);
    EXPECT_EQ(2u, recorder.elapsed.size());
    EXPECT_EQ(1, g_done);
}

TEST_F(MainLoop, EscEndsTheShowAndReleasesEverything) {
    hostclock::drive(5000);
    int result = run([&](int frame) {
        if (frame == 2) win32test::postKey(g_window, VK_ESCAPE);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(2, swaps);
    EXPECT_EQ(1, countInLog("DestroyWindow"));
    EXPECT_EQ(1, countInLog("ChangeDisplaySettingsA(restore)"));
    EXPECT_EQ(0, win32test::cursorCount());
}

TEST_F(MainLoop, RefusedDisplayModesEndTheRunAfterItsBoxWithoutAWindow) {
    win32test::failNextCall("ChangeDisplaySettingsA");
    win32test::failNextCall("ChangeDisplaySettingsA");
    EXPECT_EQ(0, run([](int) {}));
    EXPECT_EQ(0, countInLog("CreateWindowExA"));
    EXPECT_EQ(0, swaps);
    int shown = 0;
    for (const auto& box : win32test::messageBoxes())
        shown += box.caption == "Error !" && box.text == "Can't Set The 640x480 Full Screen Mode.";
    EXPECT_EQ(1, shown);
}

TEST_F(MainLoop, GlFailureEndsTheRunAfterItsBox) {
    win32test::failNextCall("wglCreateContext");
    EXPECT_EQ(0, run([](int) {}));
    EXPECT_EQ(0, swaps);
    bool shown = false;
    for (const auto& box : win32test::messageBoxes()) shown = shown || box.text == "Can't Create A GL Rendering Context.";
    EXPECT_TRUE(shown);
    EXPECT_EQ(1, countInLog("DestroyWindow"));
}

TEST_F(MainLoop, HeadlessShowRunsOnTheRealClockUntilEsc) {
    hostclock::release();
    int result = run([&](int frame) {
        if (frame == 20) win32test::postKey(g_window, VK_ESCAPE);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(20, swaps);
    EXPECT_TRUE(recorder.glVersionSeen);
    ASSERT_FALSE(recorder.elapsed.empty());
    EXPECT_GE(recorder.elapsed.front(), 0);
    for (size_t i = 1; i < recorder.elapsed.size(); ++i) EXPECT_GE(recorder.elapsed[i], recorder.elapsed[i - 1]);
}

}  // namespace
