// velmora-capture: the show, headless, to a video file with its sound.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/show.h"
#include "capture/capture.h"
#include "capture/options.h"
#include "platform/host/data_home.h"

namespace {

// Output paths are the user's, relative to where the command was given.
void makeAbsolute(std::string* path) {
    if (!path->empty()) *path = std::filesystem::absolute(*path).lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseOptions(argc, argv, SHOW_LENGTH_MS, &options, &error)) {
        std::fprintf(stderr, "velmora-capture: %s\n(velmora-capture --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("velmora-capture %s\n", VELMORA_VERSION);
        return 0;
    }
    makeAbsolute(&options.output);
    makeAbsolute(&options.framesDir);
    makeAbsolute(&options.wavPath);
    // Installed, the show's data lies in its own folder; in a build folder, here.
    datahome::enterInstalledDataHome();
    return runCapture(options);
}
