#include "tests/sound/sound_files.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path dir;
    Scratch() {
        // Relative to the test's working folder: paths stay short wherever the build is.
        dir = fs::path("velmora-sound-" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

}  // namespace

std::string scratchDir() {
    static Scratch scratch;
    return scratch.dir.string();
}

std::string writeBytes(const std::string& name, const std::vector<char>& bytes) {
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string writeTone(const std::string& name, int format, int rate, int channels, double seconds, double hz) {
    const std::string path = scratchDir() + "/" + name;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return "";
    const int frames = static_cast<int>(seconds * rate);
    std::vector<float> data(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) data[i * channels + c] = 0.5f * std::sin(2 * M_PI * hz * i / rate);
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
    return path;
}

float peak(const std::vector<float>& samples) {
    float p = 0;
    for (float s : samples) p = std::max(p, std::fabs(s));
    return p;
}

double frequencyOf(const std::vector<float>& stereo, int rate) {
    int first = -1, last = -1, crossings = 0;
    for (size_t i = 2; i < stereo.size(); i += 2) {
        if (stereo[i - 2] < 0 && stereo[i] >= 0) {
            const int frame = static_cast<int>(i / 2);
            if (first < 0) first = frame;
            last = frame;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * static_cast<double>(rate) / (last - first);
}
