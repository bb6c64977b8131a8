#include "tools/xmgen/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace synth {

namespace {

const double kPi = 3.14159265358979323846;
// Four times the format's base rate: drums play unaltered at C-4.
const double kDrumRate = 4 * 8363.0;
const double kMiddleC = 261.6255653;
// Samples per oscillator cycle in the tonal voices.
const int kCycle = 256;
// A short cycle for voices played with the arpeggio effect: their notes plus
// the sample's own transposition must stay inside the ten octaves the
// players' pitch tables cover, or the arpeggio's upper notes come out wrong.
const int kShortCycle = 64;

// A fixed-seed generator, so every build writes the same noise.
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_ = 0x1234567u;
};

// Noise leaning upwards: each value less `tilt` times the one before it,
// so the lows thin out as tilt nears 1.
class BrightNoise {
public:
    explicit BrightNoise(double tilt) : tilt_(tilt) {}
    double next() {
        const double n = noise_.next();
        const double v = n - tilt_ * last_;
        last_ = n;
        return v;
    }

private:
    Noise noise_;
    double tilt_;
    double last_ = 0;
};

// Scales to a peak of 90% of full range and converts to 16 bits.
std::vector<int16_t> toPcm(const std::vector<double>& wave) {
    double peak = 1e-9;
    for (double v : wave) peak = std::max(peak, std::fabs(v));
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) pcm[i] = static_cast<int16_t>(std::lround(wave[i] / peak * 29490.0));
    return pcm;
}

std::vector<double> render(double seconds, const std::function<double(double t)>& fn) {
    std::vector<double> wave(static_cast<size_t>(seconds * kDrumRate));
    for (size_t i = 0; i < wave.size(); ++i) wave[i] = fn(i / kDrumRate);
    return wave;
}

xm::Instrument drum(const char* name, std::vector<double> wave, int volume, int panning) {
    xm::Instrument ins;
    ins.name = name;
    ins.sample.data = toPcm(wave);
    ins.sample.volume = volume;
    ins.sample.panning = panning;
    ins.sample.setBaseRate(kDrumRate);
    return ins;
}

// Band-limited sawtooth: harmonics 1..count falling as 1/h^tilt.
double saw(double phase, int count, double tilt) {
    double v = 0;
    for (int h = 1; h <= count; ++h) v += std::sin(phase * h) / std::pow(h, tilt);
    return v;
}

// A loop of `cycles` cycles of one oscillator against cycles + 1 of its
// twin, so the pair beats slowly and the loop closes without a click.
xm::Instrument tonal(const char* name, int cycles, double twinLevel, const std::function<double(double)>& wave,
                     xm::Envelope envelope, int volume, int panning, int cycle = kCycle) {
    const int length = cycles * cycle;
    std::vector<double> samples(length);
    for (int i = 0; i < length; ++i) {
        const double phase = 2 * kPi * i / cycle;
        samples[i] = wave(phase) + twinLevel * wave(phase * (cycles + 1) / cycles);
    }
    xm::Instrument ins;
    ins.name = name;
    ins.sample.data = toPcm(samples);
    ins.sample.loop = true;
    ins.sample.volume = volume;
    ins.sample.panning = panning;
    ins.sample.setBaseRate(kMiddleC * cycle);
    ins.volume = std::move(envelope);
    return ins;
}

}  // namespace

xm::Instrument kick() {
    double phase = 0;
    auto wave = render(0.4, [&](double t) {
        // A fast downward sweep gives the thump; a short click gives the attack.
        const double freq = 48 + 120 * std::exp(-t / 0.025);
        phase += 2 * kPi * freq / kDrumRate;
        const double body = std::sin(phase) * std::exp(-t / 0.14);
        const double click = t < 0.003 ? (1 - t / 0.003) * 0.4 : 0;
        return std::tanh(1.6 * (body + click));
    });
    return drum("kick", wave, 64, 128);
}

xm::Instrument snare() {
    BrightNoise noise(0.6);
    auto wave = render(0.26, [&](double t) {
        const double bright = noise.next();
        const double body = std::sin(2 * kPi * 190 * t) * std::exp(-t / 0.045);
        return 0.55 * body + 0.7 * bright * std::exp(-t / 0.07);
    });
    return drum("snare", wave, 52, 120);
}

xm::Instrument hat() {
    BrightNoise noise(1.0);  // only the top of the noise
    auto wave = render(0.09, [&](double t) { return noise.next() * std::exp(-t / 0.02); });
    return drum("hat", wave, 30, 165);
}

xm::Instrument crash() {
    BrightNoise noise(0.85);
    auto wave = render(1.8, [&](double t) {
        const double high = noise.next();
        const double shimmer = 0.25 * std::sin(2 * kPi * 3150 * t) * std::sin(2 * kPi * 4570 * t);
        return (high + shimmer) * std::exp(-t / 0.55) * (1 - std::exp(-t / 0.002));
    });
    return drum("crash", wave, 64, 100);
}

xm::Instrument openHat() {
    BrightNoise noise(0.95);
    auto wave = render(0.32, [&](double t) {
        return noise.next() * std::exp(-t / 0.09) * (1 - std::exp(-t / 0.001));
    });
    return drum("open hat", wave, 26, 90);
}

xm::Instrument riser() {
    // A whole second of noise loops without an audible seam.
    Noise noise;
    double low = 0;
    auto wave = render(1.0, [&](double) {
        const double n = noise.next();
        low += 0.12 * (n - low);
        return low + 0.08 * n;
    });
    xm::Instrument ins = drum("riser", wave, 40, 128);
    ins.sample.loop = true;
    return ins;
}

xm::Instrument bass() {
    xm::Envelope env{{{0, 64}, {6, 56}, {24, 44}, {60, 34}, {120, 20}, {200, 0}}, -1};
    return tonal("bass", 200, 0.6, [](double p) { return saw(p, 18, 1.4) + 0.8 * std::sin(p); }, env, 56, 128);
}

xm::Instrument lead() {
    // Held notes sing on until key off; the release is short.
    xm::Envelope env{{{0, 0}, {2, 64}, {10, 52}, {40, 44}}, 3};
    xm::Instrument ins = tonal(
        "lead", 150, 0.5,
        [](double p) {
            // Odd harmonics, hollow like a square, with a trace of the even ones.
            double v = 0;
            for (int h = 1; h <= 11; ++h) v += std::sin(p * h) / h * (h % 2 ? 1.0 : 0.25);
            return v;
        },
        env, 50, 140);
    // No vibrato of its own: players start its phase differently, so the
    // score sways held notes with vibrato commands instead.
    ins.fadeout = 1500;
    return ins;
}

xm::Instrument pad() {
    // Held until key off, then released over about two seconds.
    xm::Envelope env{{{0, 0}, {20, 40}, {60, 44}}, 2};
    xm::Instrument ins = tonal("pad", 128, 0.9, [](double p) { return saw(p, 14, 1.6); }, env, 26, 128);
    ins.fadeout = 600;
    return ins;
}

xm::Instrument pluck() {
    xm::Envelope env{{{0, 64}, {6, 34}, {18, 14}, {42, 0}}, -1};
    return tonal("pluck", 100, 0.3,
                 [](double p) { return std::sin(p) + 0.5 * std::sin(2 * p) + 0.3 * std::sin(3 * p); }, env, 30, 96);
}

xm::Instrument chip() {
    xm::Envelope env{{{0, 64}, {4, 46}, {14, 28}, {40, 0}}, -1};
    return tonal(
        "chip", 60, 0.25,
        [](double p) {
            // A pulse of a quarter duty: harmonics weighted by sin(pi h / 4) / h.
            double v = 0;
            for (int h = 1; h <= 24; ++h) v += std::sin(kPi * h / 4) / h * std::cos(p * h);
            return v;
        },
        env, 30, 128, kShortCycle);
}

xm::Instrument flute() {
    xm::Envelope env{{{0, 0}, {4, 64}, {16, 50}, {48, 44}}, 3};
    xm::Instrument ins = tonal(
        "flute", 120, 0.35,
        [](double p) { return std::sin(p) + 0.35 * std::sin(2 * p) + 0.15 * std::sin(3 * p) + 0.06 * std::sin(4 * p); },
        env, 40, 110);
    ins.vibratoDepth = 4;
    ins.vibratoRate = 6;
    ins.fadeout = 900;
    return ins;
}

}  // namespace synth
