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

// Pixel centre in [0, 1).
static float coord(int i, int size) { return (static_cast<float>(i) + 0.5f) / static_cast<float>(size); }

Image checker(int size, int cells, Rgb a, Rgb b) {
    Image img(size, size);
    int cell = size / cells;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) img.set(x, y, ((x / cell + y / cell) & 1) ? b : a);
    return img;
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

Image rings(int size, float count, const Palette& palette) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float d = centreDistance(x, y, size);
            if (d >= 1.0f) continue;
            float wave = 0.5f + 0.5f * std::cos(2.0f * kPi * d * count);
            float fade = std::sqrt(1.0f - d);
            img.set(x, y, scale(palette.cyclic(d * count / 3.0f), wave * wave * fade));
        }
    return img;
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

Image stripes(int size, int bands, const Palette& palette, float edge) {
    Image img(size, size);
    for (int y = 0; y < size; y++) {
        float f = coord(y, size) * static_cast<float>(bands);
        int band = static_cast<int>(f);
        float within = f - static_cast<float>(band);
        Rgb c = palette.cyclic(static_cast<float>(band) / static_cast<float>(bands));
        float rim = std::fabs(within - 0.5f) * 2.0f;  // 0 in the middle, 1 at the edges
        float bright = rim > 1.0f - edge ? 1.0f : 0.35f + 0.4f * (1.0f - rim);
        Rgb row = rim > 1.0f - edge ? mix(c, Rgb{1, 1, 1}, 0.6f) : scale(c, bright);
        for (int x = 0; x < size; x++) {
            // A faint seam across the band keeps the walls from looking flat.
            float seam = 0.85f + 0.15f * std::cos(2.0f * kPi * 4.0f * coord(x, size));
            img.set(x, y, scale(row, seam));
        }
    }
    return img;
}

Image plasma(int size, const Palette& palette, float turns) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float u = 2.0f * kPi * coord(x, size), v = 2.0f * kPi * coord(y, size);
            float s = std::sin(u) + std::sin(2.0f * v + 1.0f) + std::sin(u + v) +
                      std::sin(3.0f * u - v + 2.0f);
            img.set(x, y, palette.cyclic(s / 8.0f * turns + 0.5f));
        }
    return img;
}

Image bricks(int size, int rows, int columns, Rgb brick, Rgb mortar, unsigned seed) {
    Image img(size, size);
    int rowHeight = size / rows, width = size / columns;
    int joint = size / 64 > 1 ? size / 64 : 1;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int row = y / rowHeight;
            int shifted = (x + ((row & 1) ? width / 2 : 0)) % size;
            int column = shifted / width;
            bool isJoint = (y % rowHeight) < joint || (shifted % width) < joint;
            if (isJoint) {
                img.set(x, y, mortar);
                continue;
            }
            float shade = 0.75f + 0.25f * unit(hash(column, row, seed));
            float grain = 0.9f + 0.1f * fractalNoise(coord(x, size), coord(y, size), 16, 2, seed);
            img.set(x, y, scale(brick, shade * grain));
        }
    return img;
}

Image starfield(int size, int stars, unsigned seed) {
    Image img(size, size);
    for (int i = 0; i < stars; i++) {
        int x = static_cast<int>(hash(i, 1, seed) % static_cast<uint32_t>(size));
        int y = static_cast<int>(hash(i, 2, seed) % static_cast<uint32_t>(size));
        float b = 0.3f + 0.7f * unit(hash(i, 3, seed));
        float tint = unit(hash(i, 4, seed));
        Rgb c = scale(mix(Rgb{0.7f, 0.8f, 1.0f}, Rgb{1.0f, 0.9f, 0.7f}, tint), b);
        img.addAt(x, y, c);
        if (b > 0.85f) {  // the brightest get a small cross
            Rgb arm = scale(c, 0.4f);
            img.addAt((x + 1) % size, y, arm);
            img.addAt((x + size - 1) % size, y, arm);
            img.addAt(x, (y + 1) % size, arm);
            img.addAt(x, (y + size - 1) % size, arm);
        }
    }
    return img;
}

Image waves(int size, const Palette& palette, unsigned seed) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float u = 2.0f * kPi * coord(x, size), v = 2.0f * kPi * coord(y, size);
            float s = 0.35f * std::sin(3.0f * u + 2.0f * v) + 0.25f * std::sin(5.0f * v - u + 1.3f) +
                      0.2f * std::sin(7.0f * u + 0.5f) +
                      0.6f * (fractalNoise(coord(x, size), coord(y, size), 8, 3, seed) - 0.5f);
            img.set(x, y, palette.at(0.5f + 0.5f * s));
        }
    return img;
}

Image caustics(int size, Rgb colour, unsigned seed) {
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float n = fractalNoise(coord(x, size), coord(y, size), 6, 3, seed);
            float line = 1.0f - std::fabs(n - 0.5f) * 14.0f;
            if (line <= 0.0f) continue;
            img.set(x, y, scale(colour, line * line));
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

Image fadeEdges(const Image& image, float power) {
    Image img(image.width(), image.height());
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++) {
            float dx = coord(x, image.width()) * 2.0f - 1.0f, dy = coord(y, image.height()) * 2.0f - 1.0f;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d >= 1.0f) continue;
            img.set(x, y, scale(image.at(x, y), std::pow(1.0f - d, power)));
        }
    return img;
}
