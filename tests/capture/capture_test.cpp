// velmora-capture as a user runs it: what it refuses, what it writes, that
// its frames do not depend on how the range was asked for, and that a failed
// or interrupted run leaves nothing behind.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "scene/show_schedule.h"
#include "tests/capture/capture_run.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool emptyFolder(const fs::path& dir) { return fs::is_empty(dir); }

TEST(CaptureProgram, RefusesBadOptionsWithTheirReason) {
    ScratchFolder dir;
    const std::string video = dir / "out.mp4";
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{}, "nothing to write"},
        {{"--size", "640x", video}, "--size 640x"},
        {{"--size", "8x8", video}, "16 to 8192"},
        {{"--size", "641x480", video}, "even sides"},
        {{"--fps", "0", video}, "--fps 0"},
        {{"--fps", "60fps", video}, "--fps 60fps"},
        {{"--from", "5000", "--to", "5000", video}, "must come before"},
        {{"--to", "200000", video}, "--to 200000"},
        {{"--fps", "1", "--from", "100", "--to", "900", video}, "no frame starts"},
        {{"--from", "-1", video}, "--from -1"},
        {{"--quality", "best", video}, "low, medium or high"},
        {{"--at", "100,x", "--frames", dir / "f"}, "--at 100,x"},
        {{"--at", "100", video}, "--at writes single frames"},
        {{dir / "out.avi"}, ".mp4, .mkv or .webm"},
        {{video, dir / "second.mp4"}, "more than one OUTPUT"},
        {{"--speed", "2", video}, "unknown option --speed"},
        {{video, "--wav"}, "--wav needs a value"},
    };
    for (const auto& c : cases) {
        CaptureRun run = runCaptureProgram(c.args);
        EXPECT_EQ(2, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.says)) << run.output;
    }
    EXPECT_TRUE(emptyFolder(dir.path()));
}

TEST(CaptureProgram, OutputsItCannotWriteFailAtOnceAndLeaveNothing) {
    ScratchFolder dir;
    std::ofstream(dir / "file") << "x";
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{dir / "missing/out.mp4"}, dir / "missing/out.mp4"},
        {{"--frames", dir / "file"}, "not a folder"},
        {{"--frames", dir / "missing/frames"}, "cannot make the folder"},
        {{"--wav", dir / "file/sound.wav"}, dir / "file/sound.wav"},
        // The video opens first and is removed again when the frames fail.
        {{dir / "out.mp4", "--frames", dir / "file"}, "not a folder"},
    };
    for (const auto& c : cases) {
        CaptureRun run = runCaptureProgram(c.args);
        EXPECT_EQ(1, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.says)) << run.output;
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path().filename());
    EXPECT_EQ(std::vector<std::string>{"file"}, left);
}

TEST(CaptureProgram, InterruptedRunRemovesWhatItWrote) {
    ScratchFolder dir;
    const pid_t pid = startCaptureProgram(
        {"--size", "160x120", "--frames", dir / "frames", "--wav", dir / "sound.wav", dir / "show.mp4"});
    ASSERT_GT(pid, 0);
    // Wait for the first frames, then interrupt as Ctrl+C does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline &&
           !(fs::exists(dir / "frames") && std::distance(fs::directory_iterator(dir / "frames"),
                                                          fs::directory_iterator()) > 2))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    EXPECT_EQ(130, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_TRUE(emptyFolder(dir.path())) << "left: " << fs::directory_iterator(dir.path())->path();
}

TEST(CaptureProgram, FramesDoNotDependOnHowTheRangeIsAskedAndRepeatByteForByte) {
    ScratchFolder dir;
    // Six frames across the first cut (at 17143 ms), and their sound.
    const std::vector<std::string> range = {"--size", "160x120", "--from", "17100", "--to", "17200"};
    auto withOutputs = [&](const std::string& name) {
        std::vector<std::string> args = range;
        args.insert(args.end(), {"--frames", dir / name, "--wav", dir / (name + ".wav")});
        return args;
    };
    ASSERT_EQ(0, runCaptureProgram(withOutputs("a")).exitCode);
    ASSERT_EQ(0, runCaptureProgram(withOutputs("b")).exitCode);
    CaptureRun at = runCaptureProgram({"--size", "160x120", "--frames", dir / "at", "--at", "17150,17100"});
    ASSERT_EQ(0, at.exitCode) << at.output;

    // Frames 1026 (17100 ms) to 1031 (17183 ms) at 60 a second.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir / "a")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(6u, names.size());
    EXPECT_EQ("frame_001026.png", names.front());
    for (const std::string& name : names) EXPECT_EQ(contents(dir / "a" / name), contents(dir / "b" / name)) << name;
    EXPECT_EQ(contents(dir / "a.wav"), contents(dir / "b.wav"));
    for (const char* name : {"frame_001026.png", "frame_001029.png"})
        EXPECT_EQ(contents(dir / "a" / name), contents(dir / "at" / name)) << name << " alone differs";
    EXPECT_NE(contents(dir / "a/frame_001028.png"), contents(dir / "a/frame_001029.png")) << "the cut shows";

    // The sound is exactly the frames' share of 44100 a second.
    SF_INFO info{};
    SNDFILE* wav = sf_open((dir / "a.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(nullptr, wav);
    sf_close(wav);
    EXPECT_EQ(6 * 735, info.frames);
    EXPECT_EQ(2, info.channels);
}

// Streams, codecs and lengths as a player sees them.
struct Probe {
    std::vector<std::string> codecs;
    std::vector<double> seconds;
};

// A stream's length: from its first packet to the end of its last, read
// packet by packet (Matroska keeps no length per stream).
Probe probe(const std::string& path) {
    Probe p;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return p;
    avformat_find_stream_info(format, nullptr);
    std::vector<int64_t> first(format->nb_streams, INT64_MAX), end(format->nb_streams, INT64_MIN);
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        const int i = packet->stream_index;
        first[i] = std::min(first[i], packet->pts);
        end[i] = std::max(end[i], packet->pts + packet->duration);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* s = format->streams[i];
        p.codecs.push_back(avcodec_get_name(s->codecpar->codec_id));
        p.seconds.push_back((end[i] - first[i]) * av_q2d(s->time_base));
    }
    avformat_close_input(&format);
    return p;
}

TEST(CaptureProgram, VideoFilesHoldPictureAndSoundOfTheRangesLength) {
    ScratchFolder dir;
    const struct {
        const char* name;
        std::vector<std::string> codecs;
    } files[] = {{"show.mp4", {"h264", "aac"}}, {"show.webm", {"vp9", "opus"}}};
    for (const auto& f : files) {
        CaptureRun run = runCaptureProgram({"--size", "160x120", "--fps", "30", "--from", "40000", "--to", "41000",
                                            dir / f.name});
        ASSERT_EQ(0, run.exitCode) << run.output;
        Probe p = probe(dir / f.name);
        ASSERT_EQ(f.codecs, p.codecs) << f.name;
        EXPECT_NEAR(1.0, p.seconds[0], 1.0 / 30) << f.name << ": 30 frames";
        EXPECT_NEAR(1.0, p.seconds[1], 0.03) << f.name << ": its sound";
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"show.mp4", "show.webm"}), left) << "no temporary file stays";
}

// 44100 / 24 is not whole: frames take 1837 or 1838 samples, never a rounded
// 1838 each, so a second of frames holds a second of sound exactly.
TEST(CaptureProgram, At24FpsASecondOfFramesHoldsExactlyASecondOfSound) {
    ScratchFolder dir;
    CaptureRun run = runCaptureProgram(
        {"--size", "32x32", "--fps", "24", "--from", "1000", "--to", "2000", "--wav", dir / "sound.wav"});
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("24 frames")) << run.output;
    SF_INFO info{};
    SNDFILE* wav = sf_open((dir / "sound.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(nullptr, wav);
    sf_close(wav);
    EXPECT_EQ(44100, info.frames);
}

// The show's last frames outlast its song by a few ms: the sound ends with
// the song, the picture goes on to the end of the range.
TEST(CaptureProgram, ARangePastTheSongsEndEndsItsSoundWithTheSong) {
    ScratchFolder dir;
    const int from = SHOW_LENGTH_MS - 1000;
    CaptureRun run = runCaptureProgram({"--size", "32x32", "--fps", "30", "--from", std::to_string(from),
                                        "--wav", dir / "sound.wav", dir / "end.mkv"});
    ASSERT_EQ(0, run.exitCode) << run.output;
    SF_INFO info{};
    SNDFILE* wav = sf_open((dir / "sound.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(nullptr, wav);
    std::vector<short> samples(static_cast<size_t>(info.frames) * 2);
    sf_readf_short(wav, samples.data(), info.frames);
    sf_close(wav);
    const int64_t rangeSamples = (SHOW_LENGTH_MS - from) * 441 / 10;
    EXPECT_LT(info.frames, rangeSamples) << "sound past the song's end";
    EXPECT_GT(info.frames, rangeSamples - 44100 / 10);
    Probe p = probe(dir / "end.mkv");
    ASSERT_EQ(2u, p.seconds.size());
    EXPECT_NEAR(1.0, p.seconds[0], 1.0 / 30) << "the picture runs to the end of the range";
    EXPECT_LE(p.seconds[1], p.seconds[0] + 0.03);
}

}  // namespace
