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

// The last few milliseconds faded out, so a drum ends at silence instead of
// stopping mid-wave with a click.
void fadeTail(std::vector<double>& wave) {
    const size_t tail = std::min(wave.size(), static_cast<size_t>(0.006 * kDrumRate));
    for (size_t i = 0; i < tail; ++i) {
        const double k = static_cast<double>(i + 1) / tail;  // 1/tail .. 1
        wave[wave.size() - tail + i] *= 0.5 + 0.5 * std::cos(kPi * k);
    }
}

xm::Instrument drum(const char* name, std::vector<double> wave, int volume, int panning) {
    fadeTail(wave);
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

// The phase in [0, 2 pi) where a periodic wave crosses zero most gently:
// there, the samples either side of the crossing lie closest to zero.
double gentlestZero(const std::function<double(double)>& wave) {
    const int steps = 4096;
    double best = 0, bestStep = 1e30;
    double previous = wave(0);
    for (int k = 1; k <= steps; ++k) {
        const double p = 2 * kPi * k / steps, v = wave(p);
        if ((previous <= 0) != (v <= 0) && std::fabs(v - previous) < bestStep) {
            bestStep = std::fabs(v - previous);
            best = p - 2 * kPi / steps * v / (v - previous);  // where the line between them crosses
        }
        previous = v;
    }
    return best;
}

// The index i in [from, to) where wave[i] and wave[i + 1] straddle zero
// with both nearest to it.
size_t quietestCrossing(const std::vector<double>& wave, size_t from, size_t to) {
    size_t best = from;
    double bestSize = 1e30;
    for (size_t i = from; i < to && i + 1 < wave.size(); ++i) {
        const double size = std::max(std::fabs(wave[i]), std::fabs(wave[i + 1]));
        if ((wave[i] <= 0) != (wave[i + 1] <= 0) && size < bestSize) {
            best = i;
            bestSize = size;
        }
    }
    return best;
}

// A loop of `cycles` cycles of one oscillator against cycles + 1 of its
// twin, so the pair beats slowly and the loop closes without a click.
// `wave` takes the phase and a brightness, 0 for the loop's own timbre. An
// attack of `attackCycles` cycles before the loop goes from brightness 1 to
// 0: played once, it opens each note bright and lets it settle darker, as a
// closing filter would.
xm::Instrument tonal(const char* name, int cycles, double twinLevel, const std::function<double(double, double)>& wave,
                     xm::Envelope envelope, int volume, int panning, int cycle = kCycle, int attackCycles = 0) {
    const int attack = attackCycles * cycle;
    const int length = attack + cycles * cycle;
    // The loop's last sample falls on the gentlest zero crossing of its wave,
    // and so does the sample's end.
    const double zero = gentlestZero([&wave](double p) { return wave(p, 0.0); });
    std::vector<double> samples(length);
    for (int i = 0; i < length; ++i) {
        // Phases count from the loop's start, so the attack runs into it seamlessly.
        const double phase = 2 * kPi * (i - attack + 1) / cycle;
        const double bright = i < attack ? std::pow(1.0 - static_cast<double>(i) / attack, 2.0) : 0.0;
        samples[i] = wave(phase + zero, bright) + twinLevel * wave(phase * (cycles + 1) / cycles + zero, bright);
    }
    xm::Instrument ins;
    ins.name = name;
    ins.sample.data = toPcm(samples);
    ins.sample.loop = true;
    ins.sample.loopStart = attack;
    ins.sample.volume = volume;
    ins.sample.panning = panning;
    ins.sample.setBaseRate(kMiddleC * cycle);
    ins.volume = std::move(envelope);
    return ins;
}

// The same with one timbre throughout.
xm::Instrument tonal(const char* name, int cycles, double twinLevel, const std::function<double(double)>& wave,
                     xm::Envelope envelope, int volume, int panning, int cycle = kCycle) {
    return tonal(name, cycles, twinLevel, [&wave](double p, double) { return wave(p); }, std::move(envelope), volume,
                 panning, cycle);
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
    double low = 0, high = 0;
    auto wave = render(0.26, [&](double t) {
        // The drum's body: two modes of the head, bent down a little as they ring.
        const double bend = 1 + 0.35 * std::exp(-t / 0.012);
        low += 2 * kPi * 185 * bend / kDrumRate;
        high += 2 * kPi * 330 * bend / kDrumRate;
        const double body = (std::sin(low) + 0.5 * std::sin(high)) * std::exp(-t / 0.06);
        // The wires: noise, strongest at the hit.
        const double wires = noise.next() * (0.8 * std::exp(-t / 0.06) + 0.3 * std::exp(-t / 0.012));
        return std::tanh(1.4 * (0.7 * body + wires));
    });
    return drum("snare", wave, 54, 120);
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
    // Trimmed to run from just after one quiet zero crossing to just before
    // another, so the loop's seam neither clicks nor jumps.
    const size_t quarter = wave.size() / 4;
    const size_t first = quietestCrossing(wave, 0, quarter);
    const size_t last = quietestCrossing(wave, wave.size() - quarter, wave.size() - 1);
    std::vector<double> loop(wave.begin() + static_cast<long>(first) + 1, wave.begin() + static_cast<long>(last) + 1);
    xm::Instrument ins;
    ins.name = "riser";
    ins.sample.data = toPcm(loop);
    ins.sample.loop = true;
    ins.sample.volume = 40;
    ins.sample.setBaseRate(kDrumRate);
    return ins;
}

xm::Instrument bass() {
    xm::Envelope env{{{0, 64}, {6, 56}, {24, 44}, {60, 34}, {120, 20}, {200, 0}}, -1};
    return tonal("bass", 200, 0.6, [](double p) { return saw(p, 18, 1.4) + 0.8 * std::sin(p); }, env, 56, 128);
}

xm::Instrument lead() {
    // Held notes sing on until key off; the release is short.
    xm::Envelope env{{{0, 0}, {1, 64}, {8, 54}, {30, 46}}, 3};
    xm::Instrument ins = tonal(
        "lead", 150, 0.5,
        [](double p, double bright) {
            // A sawtooth whose upper harmonics fall away as the attack ends,
            // with a square's hollow added to the settled tone.
            double v = 0;
            for (int h = 1; h <= 20; ++h)
                v += std::sin(p * h) / std::pow(h, 0.95 - 0.3 * bright) * (h % 2 ? 1.0 : 0.75 + 0.25 * bright);
            return v;
        },
        env, 48, 140, kCycle, 24);
    // No vibrato of its own: players start its phase differently, so the
    // score sways held notes with vibrato commands instead.
    ins.fadeout = 1500;
    return ins;
}

xm::Instrument pad() {
    // Held until key off, then released over about two seconds.
    xm::Envelope env{{{0, 0}, {20, 40}, {60, 44}}, 2};
    xm::Instrument ins = tonal("pad", 128, 0.9, [](double p) { return saw(p, 14, 1.35); }, env, 26, 128);
    ins.fadeout = 600;
    return ins;
}

xm::Instrument pluck() {
    xm::Envelope env{{{0, 64}, {6, 34}, {18, 14}, {42, 0}}, -1};
    // Struck bright, a sawtooth's edge dying into a rounder tone.
    return tonal(
        "pluck", 100, 0.3,
        [](double p, double bright) {
            double v = std::sin(p) + 0.5 * std::sin(2 * p) + 0.3 * std::sin(3 * p);
            for (int h = 4; h <= 14; ++h) v += bright * std::sin(p * h) / h;
            return v;
        },
        env, 30, 96, kCycle, 6);
}

xm::Instrument chip() {
    xm::Envelope env{{{0, 64}, {4, 46}, {14, 28}, {40, 0}}, -1};
    return tonal(
        "chip", 60, 0.25,
        [](double p) {
            // A pulse of a quarter duty: harmonics weighted by sin(pi h / 4) / h.
            double v = 0;
            for (int h = 1; h <= 24; ++h) v += std::sin(kPi * h / 4) / h * std::sin(p * h);
            return v;
        },
        env, 30, 128, kShortCycle);
}

xm::Instrument flute() {
    xm::Envelope env{{{0, 0}, {4, 64}, {16, 50}, {48, 44}}, 3};
    xm::Instrument ins = tonal(
        "flute", 120, 0.35,
        [](double p) {
            return std::sin(p) + 0.35 * std::sin(2 * p) + 0.2 * std::sin(3 * p) + 0.1 * std::sin(4 * p) +
                   0.06 * std::sin(5 * p) + 0.04 * std::sin(6 * p);
        },
        env, 40, 110);
    ins.vibratoDepth = 4;
    ins.vibratoRate = 6;
    ins.fadeout = 900;
    return ins;
}

}  // namespace synth
