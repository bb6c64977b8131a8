#include "tools/scenegen/patterns.h"

#include <cmath>
#include <cstdint>

static const float kPi = 3.14159265358979f;

Palette::Palette(std::initializer_list<Rgb> stops) : stops_(stops) {}

Rgb Palette::at(float t) const {
    if (stops_.size() == 1 || t <= 0.0f) return stops_.front();
    if (t >= 1.0f) return stops_.back();
    float f = t * static_cast<float>(stops_.size() - 1);
    size_t i = static_cast<size_t>(f);
    return mix(stops_[i], stops_[i + 1], f - static_cast<float>(i));
}

Rgb Palette::cyclic(float t) const {
    t -= std::floor(t);
    float f = t * static_cast<float>(stops_.size());
    size_t i = static_cast<size_t>(f) % stops_.size();
    return mix(stops_[i], stops_[(i + 1) % stops_.size()], f - std::floor(f));
}

static uint32_t hash(int x, int y, unsigned seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

static float unit(uint32_t h) { return static_cast<float>(h & 0xffffff) / 16777215.0f; }

static float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Value noise on a lattice that repeats every `period` cells.
static float valueNoise(float x, float y, int period, unsigned seed) {
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    float fx = smooth(x - static_cast<float>(x0));
    float fy = smooth(y - static_cast<float>(y0));
    auto lattice = [&](int ix, int iy) {
        ix = ((ix % period) + period) % period;
        iy = ((iy % period) + period) % period;
        return unit(hash(ix, iy, seed));
    };
    float a = lattice(x0, y0), b = lattice(x0 + 1, y0);
    float c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fractalNoise(float x, float y, int cells, int octaves, unsigned seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    int period = cells;
    for (int o = 0; o < octaves; o++) {
        sum += valueNoise(x * static_cast<float>(period), y * static_cast<float>(period), period,
                          seed + static_cast<unsigned>(o) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

static float lattice3(int x, int y, int z, unsigned seed) {
    return unit(hash(x, y * 7919 + z * 104729, seed));
}

static float valueNoise3(Vec3 p, unsigned seed) {
    int x0 = static_cast<int>(std::floor(p.x)), y0 = static_cast<int>(std::floor(p.y)),
        z0 = static_cast<int>(std::floor(p.z));
    float fx = smooth(p.x - static_cast<float>(x0)), fy = smooth(p.y - static_cast<float>(y0)),
          fz = smooth(p.z - static_cast<float>(z0));
    auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
    float layer[2];
    for (int k = 0; k < 2; k++) {
        float a = lattice3(x0, y0, z0 + k, seed), b = lattice3(x0 + 1, y0, z0 + k, seed);
        float c = lattice3(x0, y0 + 1, z0 + k, seed), d = lattice3(x0 + 1, y0 + 1, z0 + k, seed);
        layer[k] = lerp(lerp(a, b, fx), lerp(c, d, fx), fy);
    }
    return lerp(layer[0], layer[1], fz);
}

float fractalNoise3(Vec3 p, int octaves, unsigned seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves; o++) {
        sum += valueNoise3(p, seed + static_cast<unsigned>(o) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
        p = p * 2.0f;
    }
    return sum / total;
}

// Pixel centre in [0, 1).
static float coord(int i, int size) { return (static_cast<float>(i) + 0.5f) / static_cast<float>(size); }

Image paint(int width, int height, const std::function<Rgb(float u, float v)>& colour) {
    Image img(width, height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) img.set(x, y, colour(coord(x, width), coord(y, height)));
    return img;
}

float falloff(float d) {
    if (d >= 1.0f) return 0.0f;
    if (d <= 0.0f) return 1.0f;
    float t = 1.0f - d;
    return t * t * (3.0f - 2.0f * t);
}


Image verticalGradient(int width, int height, const Palette& palette) {
    Image img(width, height);
    for (int y = 0; y < height; y++) {
        Rgb c = palette.at(static_cast<float>(y) / static_cast<float>(height - 1));
        for (int x = 0; x < width; x++) img.set(x, y, c);
    }
    return img;
}

Image noise(int size, int cells, int octaves, unsigned seed, const Palette& palette) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            img.set(x, y, palette.at(fractalNoise(coord(x, size), coord(y, size), cells, octaves, seed)));
    return img;
}

static float centreDistance(int x, int y, int size) {
    float dx = coord(x, size) * 2.0f - 1.0f;
    float dy = coord(y, size) * 2.0f - 1.0f;
    return std::sqrt(dx * dx + dy * dy);
}


Image glow(int size, Rgb core, Rgb halo, float sharpness) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float d = centreDistance(x, y, size);
            if (d >= 1.0f) continue;
            float h = (1.0f - d) * (1.0f - d);
            float c = std::exp(-d * d * sharpness);
            img.set(x, y, add(scale(halo, h), scale(core, c)));
        }
    return img;
}







Image gridLines(int size, int cells, Rgb floor, Rgb line) {
    Image img(size, size);
    float cell = static_cast<float>(size) / static_cast<float>(cells);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float fx = std::fmod(static_cast<float>(x) + 0.5f, cell) / cell;
            float fy = std::fmod(static_cast<float>(y) + 0.5f, cell) / cell;
            float dx = std::fmin(fx, 1.0f - fx), dy = std::fmin(fy, 1.0f - fy);
            float d = std::fmin(dx, dy) * cell;  // pixels to the nearest line
            float g = std::exp(-d * d * 0.35f);
            img.set(x, y, mix(floor, line, g));
        }
    return img;
}

