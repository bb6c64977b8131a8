// The capture's parts on their own: its outputs as one record, the writer,
// the options and the frame arithmetic.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "capture/options.h"
#include "capture/outputs.h"
#include "capture/timing.h"
#include "capture/writer.h"
#include "scene/show_schedule.h"
#include "tests/capture/capture_run.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

CaptureOptions smallVideo(const ScratchFolder& dir) {
    CaptureOptions o;
    o.output = dir / "show.mp4";
    o.width = 32;
    o.height = 32;
    o.fps = 30;
    return o;
}

// Two frames of grey with their sound, through the writer.
bool writeTwoFrames(CaptureOutputs& outputs, const CaptureOptions& o, std::string* error) {
    CaptureWriter writer(outputs.video(), outputs.frames(), outputs.wav(), o.width, o.height);
    for (int frame = 0; frame < 2; ++frame) {
        std::unique_ptr<CaptureJob> job = writer.take();
        job->frame = frame;
        std::fill(job->pixels.begin(), job->pixels.end(), 128);
        job->sound.assign(1470 * 2, 0.25f);
        writer.submit(std::move(job));
    }
    return writer.drain(error);
}

TEST(CaptureOutputs, AWavThatCannotBeFinishedTakesTheFinishedVideoWithIt) {
    ScratchFolder dir;
    CaptureOptions o = smallVideo(dir);
    // The WAV's name is taken by a folder: it is written, but cannot be renamed into place.
    fs::create_directory(dir / "sound.wav");
    o.wavPath = dir / "sound.wav";
    std::string error;
    CaptureOutputs outputs;
    ASSERT_TRUE(outputs.open(o, 44100, &error)) << error;
    ASSERT_TRUE(writeTwoFrames(outputs, o, &error)) << error;
    EXPECT_FALSE(outputs.finish(&error));
    EXPECT_NE(std::string::npos, error.find("sound.wav")) << error;
    EXPECT_EQ(std::vector<std::string>{"sound.wav"}, namesIn(dir.path())) << "the video stays behind";
}

TEST(CaptureOutputs, LeaveEverythingWhenFinishedAndNothingWhenNot) {
    ScratchFolder dir;
    CaptureOptions o = smallVideo(dir);
    o.framesDir = dir / "frames";
    o.wavPath = dir / "sound.wav";
    std::string error;
    {
        CaptureOutputs outputs;
        ASSERT_TRUE(outputs.open(o, 44100, &error)) << error;
        ASSERT_TRUE(writeTwoFrames(outputs, o, &error)) << error;
    }
    EXPECT_TRUE(fs::is_empty(dir.path())) << namesIn(dir.path()).front();

    CaptureOutputs outputs;
    ASSERT_TRUE(outputs.open(o, 44100, &error)) << error;
    ASSERT_TRUE(writeTwoFrames(outputs, o, &error)) << error;
    ASSERT_TRUE(outputs.finish(&error)) << error;
    EXPECT_EQ((std::vector<std::string>{"frames", "show.mp4", "sound.wav"}), namesIn(dir.path()));
    EXPECT_EQ((std::vector<std::string>{"frame_000000.png", "frame_000001.png"}), namesIn(dir / "frames"));
    SF_INFO info{};
    SNDFILE* wav = sf_open((dir / "sound.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(nullptr, wav);
    sf_close(wav);
    EXPECT_EQ(2 * 1470, info.frames);
}

TEST(CaptureWriter, AFailedWriteStopsTheRunWithItsReason) {
    ScratchFolder dir;
    FrameFolder frames;
    std::string error;
    ASSERT_TRUE(frames.open(dir / "frames", &error));
    CaptureWriter writer(nullptr, &frames, nullptr, 16, 16);
    fs::remove(dir / "frames");  // gone under the writer's feet
    for (int frame = 0; frame < 3; ++frame) {
        std::unique_ptr<CaptureJob> job = writer.take();
        job->frame = frame;
        writer.submit(std::move(job));
    }
    EXPECT_FALSE(writer.drain(&error));
    EXPECT_TRUE(writer.failed());
    EXPECT_NE(std::string::npos, error.find("frame_000000.png")) << error;
}

TEST(CaptureOptions, TheRangeDefaultsToTheWholeShowAndStopsAtItsEnd) {
    auto parse = [](std::vector<std::string> args, CaptureOptions* o, std::string* error) {
        args.insert(args.begin(), "velmora-capture");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        return parseOptions(static_cast<int>(argv.size()), argv.data(), SHOW_LENGTH_MS, o, error);
    };
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"out.webm"}, &o, &error)) << error;
    EXPECT_EQ(0, o.fromMs);
    EXPECT_EQ(SHOW_LENGTH_MS, o.toMs);
    EXPECT_EQ(60, o.fps);
    ASSERT_TRUE(parse({"--to", std::to_string(SHOW_LENGTH_MS), "--fps", "24", "out.mkv"}, &o, &error)) << error;
    EXPECT_EQ(24, o.fps);
    EXPECT_FALSE(parse({"--to", std::to_string(SHOW_LENGTH_MS + 1), "out.mkv"}, &o, &error));
    EXPECT_FALSE(parse({"--from", std::to_string(SHOW_LENGTH_MS), "out.mkv"}, &o, &error));
}

// At 24 fps a frame holds 1837.5 samples: they alternate 1837 and 1838, and
// any second of frames, wherever it starts, holds exactly 44100.
TEST(CaptureTiming, SoundPerFrameIsNeverRoundedAwayOverTheWholeShow) {
    for (int fps : {24, 25, 30, 60, 144}) {
        const int64_t lastFrame = firstFrameFrom(SHOW_LENGTH_MS, fps);
        for (int64_t start : {int64_t{0}, int64_t{1}, int64_t{7}, lastFrame - fps}) {
            EXPECT_EQ(44100, samplesBefore(start + fps, 44100, fps) - samplesBefore(start, 44100, fps))
                << fps << " fps from frame " << start;
        }
        EXPECT_EQ(int64_t{44100} * 3600, samplesBefore(int64_t{fps} * 3600, 44100, fps)) << fps << " fps";
    }
    EXPECT_EQ(1837, samplesBefore(1, 44100, 24));
    EXPECT_EQ(1838, samplesBefore(2, 44100, 24) - samplesBefore(1, 44100, 24));
}

}  // namespace
