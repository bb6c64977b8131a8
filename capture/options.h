// The capture's command line.
#ifndef VELMORA_CAPTURE_OPTIONS_H
#define VELMORA_CAPTURE_OPTIONS_H

#include <string>
#include <vector>

enum class Quality { Low, Medium, High };

struct CaptureOptions {
    std::string output;     // video file; empty when only frames or sound are written
    std::string framesDir;  // --frames: numbered PNG files
    std::string wavPath;    // --wav
    int width = 640;
    int height = 480;
    int fps = 60;
    int fromMs = 0;
    int toMs = 0;  // set to the show's length when not given
    std::vector<int> atMs;  // --at: only the frames at these moments
    Quality quality = Quality::Medium;
    bool help = false;
    bool version = false;
};

// Parses argv; false with a one-line message in *error. showLengthMs bounds
// the range.
bool parseOptions(int argc, char** argv, int showLengthMs, CaptureOptions* options, std::string* error);

const char* usageText();

#endif
