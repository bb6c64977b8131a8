#include "capture/options.h"

#include "capture/timing.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number in [low, high]; nothing else on the text.
bool parseInt(const std::string& text, long low, long high, int* out) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-')) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end != '\0' || v < low || v > high) return false;
    *out = static_cast<int>(v);
    return true;
}

bool parseSize(const std::string& text, int* w, int* h) {
    size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return parseInt(text.substr(0, x), 16, 8192, w) && parseInt(text.substr(x + 1), 16, 8192, h);
}

bool endsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

}  // namespace

const char* usageText() {
    return "usage: velmora-capture [options] [OUTPUT]\n"
           "Renders the show headless, frame by frame at exact moments, with its music.\n"
           "  OUTPUT          video file: .mp4 or .mkv (H.264 + AAC), .webm (VP9 + Opus)\n"
           "  --frames DIR    also write every frame as DIR/frame_NNNNNN.png (N: frame number)\n"
           "  --wav FILE      also write the sound as 16-bit stereo WAV\n"
           "  --size WxH      picture size, drawn at that size (default 640x480)\n"
           "  --fps N         frames per second, 1 to 240 (default 60)\n"
           "  --from MS       start at this moment of the show, in ms (default 0)\n"
           "  --to MS         end before this moment (default: the end of the show)\n"
           "  --at MS,MS...   with --frames only: just the frames drawn at these moments\n"
           "  --quality Q     low, medium or high (default medium)\n"
           "  --help          this text\n"
           "  --version       the program's version\n"
           "Installed, it finds the show's data itself; in a build folder, run it from there.\n";
}

bool parseOptions(int argc, char** argv, int showLengthMs, CaptureOptions* o, std::string* error) {
    *o = CaptureOptions();
    bool toGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o->help = true;
            return true;
        }
        if (arg == "--version") {
            o->version = true;
            return true;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            static const char* const kWithValue[] = {"--frames", "--wav", "--size", "--fps",
                                                     "--from", "--to", "--at", "--quality"};
            if (std::find_if(std::begin(kWithValue), std::end(kWithValue),
                             [&](const char* k) { return arg == k; }) == std::end(kWithValue)) {
                *error = "unknown option " + arg;
                return false;
            }
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            std::string value = argv[++i];
            bool ok = true;
            if (arg == "--frames") {
                ok = !value.empty();
                o->framesDir = value;
            } else if (arg == "--wav") {
                ok = !value.empty();
                o->wavPath = value;
            } else if (arg == "--size") {
                ok = parseSize(value, &o->width, &o->height);
                if (!ok) {
                    *error = "--size " + value + ": expected WxH, each side 16 to 8192 pixels";
                    return false;
                }
            } else if (arg == "--fps") {
                ok = parseInt(value, 1, 240, &o->fps);
            } else if (arg == "--from") {
                ok = parseInt(value, 0, showLengthMs - 1, &o->fromMs);
            } else if (arg == "--to") {
                ok = parseInt(value, 1, showLengthMs, &o->toMs);
                toGiven = ok;
            } else if (arg == "--at") {
                size_t start = 0;
                while (ok && start <= value.size()) {
                    size_t comma = value.find(',', start);
                    if (comma == std::string::npos) comma = value.size();
                    int ms = 0;
                    ok = parseInt(value.substr(start, comma - start), 0, showLengthMs - 1, &ms);
                    o->atMs.push_back(ms);
                    start = comma + 1;
                }
            } else if (arg == "--quality") {
                if (value == "low")
                    o->quality = Quality::Low;
                else if (value == "medium")
                    o->quality = Quality::Medium;
                else if (value == "high")
                    o->quality = Quality::High;
                else
                    ok = false;
            }
            if (!ok) {
                *error = arg + " " + value + ": ";
                if (arg == "--fps") *error += "expected a whole number from 1 to 240";
                else if (arg == "--from" || arg == "--to" || arg == "--at")
                    *error += "expected ms within the show, 0 to " + std::to_string(showLengthMs);
                else if (arg == "--quality") *error += "expected low, medium or high";
                else *error += "expected a path";
                return false;
            }
            continue;
        }
        if (!o->output.empty()) {
            *error = "more than one OUTPUT: " + o->output + " and " + arg;
            return false;
        }
        o->output = arg;
    }

    if (!toGiven) o->toMs = showLengthMs;
    if (o->output.empty() && o->framesDir.empty() && o->wavPath.empty()) {
        *error = "nothing to write: give an OUTPUT video file, --frames DIR or --wav FILE";
        return false;
    }
    if (!o->output.empty() && !endsWith(o->output, ".mp4") && !endsWith(o->output, ".mkv") &&
        !endsWith(o->output, ".webm")) {
        *error = o->output + ": the video file must end in .mp4, .mkv or .webm";
        return false;
    }
    if (o->fromMs >= o->toMs) {
        *error = "--from " + std::to_string(o->fromMs) + " must come before --to " + std::to_string(o->toMs);
        return false;
    }
    if (firstFrameFrom(o->fromMs, o->fps) >= firstFrameFrom(o->toMs, o->fps)) {
        *error = "no frame starts between --from " + std::to_string(o->fromMs) + " and --to " +
                 std::to_string(o->toMs) + " at " + std::to_string(o->fps) + " frames a second";
        return false;
    }
    if (!o->atMs.empty() && (o->framesDir.empty() || !o->output.empty() || !o->wavPath.empty())) {
        *error = "--at writes single frames: use it with --frames DIR and no video or --wav";
        return false;
    }
    // 4:2:0 video halves each side.
    if (!o->output.empty() && (o->width % 2 || o->height % 2)) {
        *error = "--size " + std::to_string(o->width) + "x" + std::to_string(o->height) +
                 ": a video needs even sides";
        return false;
    }
    return true;
}
