// velmora-capture: the show, headless, to a video file with its sound.
#include <cstdio>
#include <string>

#include "app/show.h"
#include "capture/capture.h"
#include "capture/options.h"

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
    return runCapture(options);
}
