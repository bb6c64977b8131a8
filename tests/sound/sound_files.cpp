#include "tests/sound/sound_files.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/xmgen/xm_writer.h"

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

std::string writeTestModule(const std::string& name) {
    xm::Module module("test", 2, 6, 125);
    for (int pan : {48, 208}) {
        xm::Instrument tone;
        for (int i = 0; i < 64; ++i) tone.sample.data.push_back(static_cast<int16_t>(16000 * std::sin(i * 2 * M_PI / 64)));
        tone.sample.loop = true;
        tone.sample.panning = pan;
        module.addInstrument(tone);
    }
    xm::Pattern pattern(64, 2);
    pattern.at(0, 0) = xm::Event{xm::note("C-4"), 1, -1, 0, 0};
    pattern.at(0, 1) = xm::Event{xm::note("E-4"), 2, -1, 0, 0};
    module.appendToOrder(pattern);
    const std::vector<uint8_t> bytes = module.bytes();
    return writeBytes(name, std::vector<char>(bytes.begin(), bytes.end()));
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
