// Frames of the show at chosen moments against reference pictures: a wrong
// camera, a missing texture, a lost additive pass or scenes out of order all
// change far more of the picture than the tolerance allows.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "scene/show_schedule.h"
#include "tests/capture/capture_run.h"
#include "tests/capture/image_compare.h"

namespace {

// Small enough to render fast, large enough that a lost glow or texture
// covers hundreds of pixels.
const char* const kSize = "160x120";
// Another Mesa release rounds a channel by a few steps and moves a polygon
// edge by a pixel here and there; neither comes near these limits.
const int kChannelTolerance = 24;
const double kMaxDifferingShare = 0.005;

// Each scene's first frame, from the schedule, and the moments listed.
std::vector<int> moments() {
    std::set<int> list;
    int start = 0;
#define SCENE_START(file, ms, row) list.insert(start), start += (ms);
    SHOW_SCHEDULE(SCENE_START)
#undef SCENE_START
    std::ifstream in(GOLDEN_DIR "/moments.txt");
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') list.insert(std::stoi(line));
    return std::vector<int>(list.begin(), list.end());
}

class GoldenFrame : public ::testing::TestWithParam<int> {};

TEST_P(GoldenFrame, MatchesItsReference) {
    const std::string ms = std::to_string(GetParam());
    RgbImage expected;
    ASSERT_TRUE(readRgbPng(GOLDEN_DIR "/frame_" + ms + ".png", &expected))
        << "no reference picture for " << ms << " ms: scripts/update-golden-frames.sh renders them";

    ScratchFolder out;
    CaptureRun run = runCaptureProgram({"--size", kSize, "--frames", out.path().string(), "--at", ms});
    ASSERT_EQ(0, run.exitCode) << run.output;
    // The program names the file that holds the moment first on its line.
    const std::string path = run.output.substr(0, run.output.find(' '));
    RgbImage actual;
    ASSERT_TRUE(readRgbPng(path, &actual)) << run.output;

    ImageDifference d = compareImages(actual, expected, kChannelTolerance);
    ASSERT_TRUE(d.sameSize) << "the frame is " << actual.width << "x" << actual.height;
    if (d.differingShare > kMaxDifferingShare) {
        // Kept beside the test's output for a person to look at.
        writeRgbPng("golden_" + ms + "_actual.png", actual);
        writeRgbPng("golden_" + ms + "_diff.png", d.picture);
        ADD_FAILURE() << d.differingPixels << " pixels (" << d.differingShare * 100
                      << " %) differ from the reference; see golden_" << ms << "_actual.png and golden_" << ms
                      << "_diff.png in " << std::filesystem::current_path().string();
    }
}

INSTANTIATE_TEST_SUITE_P(Show, GoldenFrame, ::testing::ValuesIn(moments()),
                         [](const ::testing::TestParamInfo<int>& info) { return "at_" + std::to_string(info.param); });

}  // namespace
