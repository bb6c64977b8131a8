#include <algorithm>
#include <cmath>

#include "tools/scenegen/patterns.h"
#include "tools/scenegen/show.h"

namespace {

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{1, 1, 1};
const float kPi = 3.14159265358979f;
const float kTwoPi = 2.0f * kPi;

// Skies are domes from the zenith (v = 0) to `lowest` radians below the
// horizon (v = 1); the row where the horizon lies.
float horizonRow(float lowest) { return (kPi / 2) / (kPi / 2 + lowest); }

float smoothT(float t) {
    t = std::min(1.0f, std::max(0.0f, t));
    return t * t * (3.0f - 2.0f * t);
}

// Distance from the middle of the image, 0 there and 1 at the edges' middles.
float radial(float u, float v) { return std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2.0f; }

// A number in [0, 1] for an index and a salt.
float hashUnit(int i, int salt) {
    unsigned k = static_cast<unsigned>(i) * 2654435761u ^ static_cast<unsigned>(salt) * 40503u;
    k = (k ^ (k >> 15)) * 2246822519u;
    k ^= k >> 13;
    return static_cast<float>(k & 0xffffff) / 16777215.0f;
}

// A star for some pixels: a hashed brightness, most of them none.
float starAt(int x, int y, unsigned seed, float density) {
    unsigned k = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^ seed * 83492791u;
    k = (k ^ (k >> 13)) * 1274126177u;
    float r = static_cast<float>(k & 0xffff) / 65535.0f;
    if (r > density) return 0.0f;
    return 0.25f + 0.75f * r / density;
}

// Shared by several scenes.

Image gold() {
    return verticalGradient(128, 128, Palette{{1.0f, 0.98f, 0.85f}, {1.0f, 0.78f, 0.25f}, {0.55f, 0.25f, 0.05f},
                                              {0.95f, 0.6f, 0.15f}, {1.0f, 0.9f, 0.6f}});
}

Image marble() {
    return noise(128, 4, 5, 21u, Palette{{0.95f, 0.95f, 1.0f}, {0.55f, 0.6f, 0.8f}, {0.95f, 0.9f, 0.95f},
                                         {0.3f, 0.35f, 0.6f}});
}

// Flashes are strongly coloured, so that added to a bright picture they
// brighten it without burning it to white.
Image burst() { return glow(128, Rgb{0.6f, 0.12f, 0.45f}, Rgb{0.35f, 0.03f, 0.3f}, 9.0f); }

Image goldBurst() { return glow(128, Rgb{0.6f, 0.3f, 0.02f}, Rgb{0.4f, 0.12f, 0.0f}, 9.0f); }

Image starGlow() { return glow(128, Rgb{0.55f, 0.6f, 0.7f}, Rgb{0.25f, 0.35f, 0.6f}, 30.0f); }

// Stars on a sky: how many, where, down to which row, how bright.
struct Stars {
    float density;
    unsigned seed;
    float to;
    float strength;
};

// A sky for a dome that reaches `lowest` radians below the horizon: the
// palette from the zenith to the horizon, its rows spread by `curve` (above 1
// gives the zenith's colours more room); below the horizon the palette's last
// colour times `below`, dimming by `fade` a dome's depth; and stars thinning
// out downwards.
Image sky(int width, float lowest, const Palette& above, float curve, float below, float fade, Stars stars) {
    const float horizon = horizonRow(lowest);
    const Rgb low = scale(above.at(1.0f), below);
    return paint(width, 256, [&](float u, float v) {
        Rgb c = v < horizon ? above.at(std::pow(v / horizon, curve))
                            : scale(low, std::max(0.0f, 1.0f - fade * (v - horizon) / (1.0f - horizon)));
        if (stars.density <= 0) return c;
        float star = starAt(static_cast<int>(u * width), static_cast<int>(v * 256), stars.seed, stars.density);
        return add(c, scale(Rgb{0.8f, 0.85f, 1.0f}, stars.strength * star * (1.0f - smoothT(v / stars.to))));
    });
}

// The title.

Image duskSky() {
    return sky(256, 0.12f, Palette{{0.01f, 0.01f, 0.06f}, {0.05f, 0.02f, 0.16f}, {0.2f, 0.04f, 0.3f},
                                   {0.55f, 0.1f, 0.4f}, {0.85f, 0.35f, 0.3f}},
               1.0f, 1.0f, 1.0f, Stars{0.012f, 3u, 0.85f, 1.0f});
}

// Halos are drawn on rings: v runs from the ring's inner edge (0) out.
// The sun's corona: from inside its rim (at v 0.11) fading outwards.
Image corona() {
    return paint(16, 128, [](float, float v) {
        float g = v < 0.11f ? 1.0f : falloff((v - 0.11f) / 0.89f);
        return scale(Rgb{0.55f, 0.12f, 0.3f}, g * g);
    });
}

Image sunBands() {
    Palette sun{{1.0f, 0.86f, 0.3f}, {1.0f, 0.55f, 0.25f}, {0.95f, 0.25f, 0.45f}, {0.7f, 0.1f, 0.55f}};
    return paint(64, 128, [&](float, float v) { return sun.at(v); });
}

Image grid() { return gridLines(128, 4, Rgb{0.02f, 0.0f, 0.06f}, Rgb{0.2f, 0.9f, 1.0f}); }

// Glowing grid lines on dark rock, bright along the ridge (the top rows).
Image ridge() {
    Palette rock{{0.7f, 0.2f, 0.6f}, {0.25f, 0.05f, 0.32f}, {0.1f, 0.02f, 0.18f}, {0.04f, 0.01f, 0.08f}};
    return paint(128, 128, [&](float u, float v) {
        float lu = std::fabs(std::fmod(u * 4.0f, 1.0f) - 0.5f), lv = std::fabs(std::fmod(v * 6.0f, 1.0f) - 0.5f);
        float line = std::exp(-std::pow((0.5f - std::max(lu, lv)) * 22.0f, 2.0f));
        return add(rock.at(v), scale(Rgb{0.3f, 0.75f, 1.0f}, line * (1.0f - 0.6f * v)));
    });
}

// Chrome lettering: sky above a dark horizon line, the sunset below it.
Image chrome() {
    Palette upper{{0.75f, 0.85f, 1.0f}, {0.35f, 0.5f, 0.95f}, {0.12f, 0.15f, 0.45f}};
    Palette lower{{1.0f, 0.75f, 0.35f}, {0.95f, 0.4f, 0.3f}, {0.6f, 0.12f, 0.45f}};
    return paint(64, 256, [&](float, float v) {
        if (v < 0.48f) return upper.at(v / 0.48f);
        if (v < 0.52f) return Rgb{0.9f, 0.85f, 0.95f};
        return lower.at((v - 0.52f) / 0.48f);
    });
}

// The reactor.

// Clouds of gas and stars; teal towards the horizon.
Image nebulaSky() {
    const float horizon = horizonRow(0.15f);
    Palette gas{{0.0f, 0.0f, 0.0f}, {0.06f, 0.02f, 0.14f}, {0.22f, 0.05f, 0.32f}, {0.45f, 0.12f, 0.45f},
                {0.2f, 0.45f, 0.6f}};
    return paint(256, 256, [&](float u, float v) {
        float n = fractalNoise(u, v, 4, 5, 41u);
        float rise = 1.0f - v / horizon;
        Rgb c = scale(gas.at(n * 1.3f - 0.1f), 0.5f + 0.5f * rise);
        c = add(c, scale(Rgb{0.05f, 0.22f, 0.3f}, smoothT((v - 0.6f) / (horizon - 0.6f))));
        if (v > horizon) c = scale(Rgb{0.05f, 0.22f, 0.3f}, 1.0f - (v - horizon) / (1.0f - horizon));
        float star = starAt(static_cast<int>(u * 256), static_cast<int>(v * 256), 17u, 0.02f);
        return add(c, scale(Rgb{0.85f, 0.85f, 1.0f}, star * rise));
    });
}

// Boiling plasma: ridged noise from deep magenta to gold.
Image corePlasma() {
    Palette hot{{0.35f, 0.02f, 0.3f}, {0.85f, 0.15f, 0.45f}, {1.0f, 0.5f, 0.2f}, {1.0f, 0.85f, 0.45f}};
    return paint(256, 128, [&](float u, float v) {
        float n = fractalNoise(u, v, 6, 5, 23u), m = fractalNoise(u, v, 3, 3, 29u);
        float ridge = 1.0f - std::fabs(2.0f * n - 1.0f);
        return hot.at(ridge * ridge * 0.8f + m * 0.4f);
    });
}

// A polar grid seen from above: rows are rings outwards, columns spokes;
// the core's light pools in the middle.
Image polarGrid() {
    return paint(128, 256, [](float u, float v) {
        float ring = std::fabs(std::fmod(v * 24.0f, 1.0f) - 0.5f) * 2.0f;  // 1 on a line
        float spoke = std::fabs(std::fmod(u * 4.0f, 1.0f) - 0.5f) * 2.0f;
        float line = std::max(std::pow(ring, 24.0f), std::pow(spoke, 30.0f));
        float pool = std::exp(-v * 9.0f);
        Rgb base = mix(Rgb{0.01f, 0.02f, 0.05f}, Rgb{0.25f, 0.1f, 0.35f}, pool);
        Rgb glowLine = mix(Rgb{0.05f, 0.35f, 0.5f}, Rgb{0.5f, 0.3f, 0.8f}, pool);
        return add(base, scale(glowLine, line * (0.35f + 0.65f * (1.0f - v))));
    });
}

// A halo round a ball whose edge lies at v 0.22: bright there, fading out.
Image rimGlow() {
    return paint(16, 128, [](float, float v) {
        float ring = std::exp(-std::pow((v - 0.22f) / 0.08f, 2.0f));
        float outer = v > 0.22f ? falloff((v - 0.22f) / 0.78f) : 0.0f;
        return scale(Rgb{0.55f, 0.25f, 0.7f}, 0.7f * ring + 0.35f * outer);
    });
}

// The city.

// Night falling: deep blue above, a band of orange and rose at the horizon.
Image citySky() {
    return sky(256, 0.15f, Palette{{0.0f, 0.01f, 0.05f}, {0.02f, 0.05f, 0.16f}, {0.08f, 0.14f, 0.32f},
                                   {0.45f, 0.25f, 0.4f}, {0.95f, 0.5f, 0.25f}},
               1.6f, 1.0f, 1.0f, Stars{0.015f, 5u, 0.75f, 1.0f});
}

Image pavement() { return gridLines(128, 4, Rgb{0.1f, 0.08f, 0.12f}, Rgb{0.55f, 0.35f, 0.5f}); }

// A shaft of light: bright at its foot, soft at its sides, gone at its top.
Image lightBeam() {
    return paint(64, 128, [](float u, float v) {
        float across = std::exp(-std::pow((u - 0.5f) * 4.0f, 2.0f));
        return scale(Rgb{0.35f, 0.45f, 0.55f}, across * std::pow(v, 1.5f));
    });
}

// Four columns of windows and 32 floors; about a third lit. The rows near
// the foot are darker, where the street's canyon shades them, and the top
// row is neon trim catching the sky.
Image windows() {
    return paint(64, 256, [](float u, float v) {
        int col = static_cast<int>(u * 4), floorRow = static_cast<int>(v * 32);
        float fu = u * 4 - col, fv = v * 32 - floorRow;
        bool pane = fu > 0.18f && fu < 0.82f && fv > 0.25f && fv < 0.8f;
        unsigned k = static_cast<unsigned>(col * 7919 + floorRow * 104729) * 2654435761u;
        k ^= k >> 15;
        float pick = static_cast<float>(k % 1000) / 1000.0f;
        Rgb facade = mix(Rgb{0.16f, 0.18f, 0.3f}, Rgb{0.1f, 0.1f, 0.2f}, v);
        Rgb c = facade;
        if (pane) {
            if (pick < 0.22f) c = Rgb{1.0f, 0.78f, 0.4f};
            else if (pick < 0.34f) c = Rgb{0.6f, 0.85f, 1.0f};
            else c = mix(Rgb{0.25f, 0.3f, 0.5f}, Rgb{0.45f, 0.3f, 0.45f}, fv);
        }
        float shade = 1.0f - 0.55f * smoothT((v - 0.7f) / 0.3f);
        c = scale(c, shade);
        if (v < 1.0f / 64) c = Rgb{0.3f, 0.9f, 1.0f};
        return c;
    });
}

// Glass towers banded with ribbon windows: a strip of glass on each of
// 24 floors, lit in long runs, cyan or magenta trim at the top.
Image ribbonWindows() {
    return paint(128, 256, [](float u, float v) {
        int floorRow = static_cast<int>(v * 24);
        float fv = v * 24 - floorRow;
        int run = static_cast<int>(u * 3 + hashUnit(floorRow, 5) * 3);
        bool lit = hashUnit(run * 31 + floorRow, 7) < 0.4f;
        Rgb spandrel = mix(Rgb{0.2f, 0.16f, 0.3f}, Rgb{0.1f, 0.08f, 0.18f}, v);
        Rgb glass = lit ? mix(Rgb{0.55f, 0.9f, 1.0f}, Rgb{0.95f, 0.55f, 0.9f}, hashUnit(run, floorRow))
                        : mix(Rgb{0.12f, 0.22f, 0.4f}, Rgb{0.3f, 0.2f, 0.4f}, fv);
        Rgb c = fv > 0.3f && fv < 0.85f ? glass : spandrel;
        // Mullions: thin dark lines across the glass.
        if (std::fabs(std::fmod(u * 16.0f, 1.0f) - 0.5f) > 0.45f) c = scale(c, 0.5f);
        c = scale(c, 1.0f - 0.5f * smoothT((v - 0.7f) / 0.3f));
        if (v < 1.0f / 96) c = Rgb{0.95f, 0.35f, 0.85f};
        return c;
    });
}

// Office blocks: a close grid of small windows, eight to a hundred units
// and 48 floors, lit in warm clusters.
Image officeWindows() {
    return paint(128, 256, [](float u, float v) {
        int col = static_cast<int>(u * 8), floorRow = static_cast<int>(v * 48);
        float fu = u * 8 - col, fv = v * 48 - floorRow;
        bool pane = fu > 0.2f && fu < 0.8f && fv > 0.2f && fv < 0.75f;
        float cluster = fractalNoise(col / 8.0f, floorRow / 48.0f, 4, 2, 151u);
        bool lit = hashUnit(col * 977 + floorRow, 11) < cluster * 0.9f - 0.1f;
        Rgb c = mix(Rgb{0.22f, 0.2f, 0.26f}, Rgb{0.1f, 0.1f, 0.16f}, v);
        if (pane) c = lit ? Rgb{1.0f, 0.82f, 0.5f} : Rgb{0.08f, 0.1f, 0.2f};
        c = scale(c, 1.0f - 0.5f * smoothT((v - 0.7f) / 0.3f));
        if (v < 1.0f / 96) c = Rgb{1.0f, 0.7f, 0.3f};
        return c;
    });
}

// Roofs: dark slate with a neon band along the foot.
Image roof() {
    return paint(64, 64, [](float u, float v) {
        float slate = 0.7f + 0.3f * fractalNoise(u, v, 8, 2, 157u);
        Rgb c = scale(Rgb{0.16f, 0.14f, 0.22f}, slate);
        return add(c, scale(Rgb{0.3f, 0.9f, 1.0f}, smoothT((v - 0.85f) / 0.12f)));
    });
}

// Far blocks at dusk: dark walls, a scatter of lit windows.
Image skylineWindows() {
    return paint(64, 128, [](float u, float v) {
        float lit = starAt(static_cast<int>(u * 32), static_cast<int>(v * 64), 9u, 0.12f);
        Rgb wall = mix(Rgb{0.12f, 0.1f, 0.22f}, Rgb{0.05f, 0.04f, 0.1f}, v);
        return add(wall, scale(Rgb{1.0f, 0.7f, 0.4f}, lit > 0 ? 0.5f + 0.4f * lit : 0.0f));
    });
}

// Facets of a crystal: cool and warm bands with bright seams.
Image prism() {
    Palette glass{{0.5f, 0.95f, 1.0f}, {0.35f, 0.45f, 1.0f}, {0.85f, 0.4f, 0.95f}, {1.0f, 0.75f, 0.6f}};
    return paint(128, 128, [&](float u, float v) {
        float seam = std::pow(std::fabs(std::sin(kPi * u * 8.0f)), 30.0f);
        return add(scale(glass.cyclic(v * 1.5f + 0.2f * std::sin(u * 12.0f)), 0.68f), scale(kWhite, 0.3f * seam));
    });
}

// A streak of tail and head lights: red at one end, white-gold at the other.
Image trail() {
    return paint(16, 64, [](float u, float v) {
        float across = std::pow(std::sin(kPi * u), 2.0f);
        return scale(mix(Rgb{0.7f, 0.08f, 0.05f}, Rgb{0.75f, 0.6f, 0.35f}, v), across);
    });
}

Image lamp() { return glow(32, Rgb{0.6f, 0.45f, 0.2f}, Rgb{0.3f, 0.15f, 0.05f}, 12.0f); }

// Light pooled on the ground, inner edge at the top: a soft band.
Image pool() {
    return paint(16, 64, [](float, float v) {
        return scale(Rgb{0.45f, 0.25f, 0.6f}, std::exp(-std::pow((v - 0.35f) * 3.5f, 2.0f)));
    });
}

Image beacon() { return glow(64, Rgb{0.9f, 0.2f, 0.15f}, Rgb{0.5f, 0.05f, 0.05f}, 8.0f); }

// The planet.

// Deep space: stars over faint dust.
Image space() {
    Palette dust{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.02f}, {0.05f, 0.03f, 0.12f}, {0.12f, 0.06f, 0.2f}};
    return paint(256, 256, [&](float u, float v) {
        float n = fractalNoise(u, v, 4, 5, 61u);
        float star = starAt(static_cast<int>(u * 256), static_cast<int>(v * 256), 19u, 0.025f);
        return add(dust.at(n * n * 1.4f), scale(Rgb{0.85f, 0.9f, 1.0f}, star));
    });
}

// The planet's rings, inner edge at the top: bands and gaps.
Image ringBands() {
    return paint(32, 256, [](float, float v) {
        float n = fractalNoise(0.5f, v, 32, 4, 71u);
        float gap = (v > 0.42f && v < 0.47f) ? 0.08f : 1.0f;
        float edge = smoothT(v / 0.05f) * smoothT((1.0f - v) / 0.1f);
        Rgb c = mix(Rgb{0.35f, 0.28f, 0.22f}, Rgb{0.7f, 0.6f, 0.45f}, n);
        return scale(c, gap * edge * (0.35f + 0.65f * n));
    });
}

// Bands of cloud round a gas giant, stirred by noise, a storm in one band.
Image gasBands() {
    Palette band{{0.55f, 0.35f, 0.2f}, {0.9f, 0.75f, 0.55f}, {0.7f, 0.45f, 0.3f}, {0.95f, 0.85f, 0.7f},
                 {0.5f, 0.3f, 0.25f}};
    return paint(256, 128, [&](float u, float v) {
        float swirl = fractalNoise(u, v, 8, 4, 83u) - 0.5f;
        float t = v * 3.0f + 0.18f * swirl + 0.05f * std::sin(u * kTwoPi * 3.0f);
        Rgb c = band.cyclic(t);
        float du = (u - 0.3f) * 4.0f, dv = (v - 0.62f) * 12.0f;
        float storm = std::exp(-(du * du + dv * dv));
        return mix(c, Rgb{0.85f, 0.35f, 0.2f}, storm * 0.8f);
    });
}

// Grey rock with craters: rims lighter, floors darker.
Image moon() {
    return paint(128, 64, [](float u, float v) {
        float n = fractalNoise(u, v, 8, 5, 91u);
        float shade = 0.6f + 0.5f * n;
        for (int i = 0; i < 14; i++) {
            float cu = hashUnit(i, 1), cv = 0.15f + 0.7f * hashUnit(i, 2), size = 0.04f + 0.06f * hashUnit(i, 3);
            float du = std::remainder(u - cu, 1.0f) / size * 0.5f, dv = (v - cv) / size;
            float d = std::sqrt(du * du + dv * dv);
            if (d < 0.85f) shade *= 0.8f;
            else if (d < 1.1f) shade *= 1.15f;
        }
        return scale(Rgb{0.62f, 0.6f, 0.58f}, std::min(shade, 1.3f));
    });
}

// Air round the planet, whose edge lies at v 0.32: a blue rim fading out.
Image atmosphere() {
    return paint(16, 128, [](float, float v) {
        float inner = std::exp(-std::pow((v - 0.32f) / 0.1f, 2.0f));
        float outer = v > 0.32f ? falloff((v - 0.32f) / 0.68f) : 0.0f;
        return scale(Rgb{0.22f, 0.38f, 0.8f}, 0.5f * inner + 0.3f * outer);
    });
}

// The tunnel.

// Tube walls, along v: panels with glowing seams and a few lit lamps.
Image tubeWall(Rgb base, Rgb seam, Rgb lamp, unsigned seed) {
    return paint(128, 128, [=](float u, float v) {
        float su = std::fabs(std::fmod(u * 8.0f, 1.0f) - 0.5f) * 2.0f, sv = std::fabs(std::fmod(v * 4.0f, 1.0f) - 0.5f) * 2.0f;
        float line = std::max(std::pow(su, 16.0f), std::pow(sv, 10.0f));
        float panel = 0.6f + 0.4f * fractalNoise(u, v, 8, 2, seed);
        int cu = static_cast<int>(u * 8), cv = static_cast<int>(v * 4);
        bool lit = starAt(cu, cv, seed, 0.18f) > 0;
        float spot = lit ? falloff(std::sqrt((1 - su) * (1 - su) + (1 - sv) * (1 - sv)) * 1.6f) : 0.0f;
        return add(add(scale(base, panel), scale(seam, line)), scale(lamp, spot));
    });
}

Image tubeCold() { return tubeWall(Rgb{0.04f, 0.07f, 0.16f}, Rgb{0.15f, 0.55f, 0.75f}, Rgb{0.5f, 0.2f, 0.6f}, 101u); }

Image tubeHot() { return tubeWall(Rgb{0.16f, 0.04f, 0.04f}, Rgb{0.8f, 0.4f, 0.1f}, Rgb{0.7f, 0.5f, 0.1f}, 103u); }

Image hall() { return tubeWall(Rgb{0.14f, 0.1f, 0.16f}, Rgb{0.75f, 0.55f, 0.25f}, Rgb{0.35f, 0.6f, 0.85f}, 107u); }

// A hoop's band, inner edge at the top: a bright line fading to both edges.
Image hoopBand(Rgb colour) {
    return paint(16, 64, [=](float, float v) { return scale(colour, std::exp(-std::pow((v - 0.5f) * 5.0f, 2.0f))); });
}

Image hoopA() { return hoopBand(Rgb{0.9f, 0.3f, 0.7f}); }

Image hoopB() { return hoopBand(Rgb{0.3f, 0.8f, 0.9f}); }

// Brushed steel, lighter in streaks.
Image steel() {
    return paint(128, 128, [](float u, float v) {
        float streak = fractalNoise(u, v * 0.05f + 0.3f, 16, 3, 113u);
        return scale(Rgb{0.75f, 0.78f, 0.85f}, 0.6f + 0.4f * streak);
    });
}

// The probe's hull: gold plates with dark seams, a band of cyan lights
// round its middle and rivets at the plates' corners.
Image probeHull() {
    return paint(128, 128, [](float u, float v) {
        float su = std::fabs(std::fmod(u * 4.0f, 1.0f) - 0.5f) * 2.0f, sv = std::fabs(std::fmod(v * 4.0f, 1.0f) - 0.5f) * 2.0f;
        float seam = std::max(std::pow(su, 24.0f), std::pow(sv, 24.0f));
        float plate = 0.55f + 0.45f * fractalNoise(u, v, 6, 3, 131u);
        Rgb c = scale(mix(Rgb{0.95f, 0.62f, 0.18f}, Rgb{1.0f, 0.88f, 0.55f}, 1.0f - v), plate * (1.0f - 0.85f * seam));
        float rivet = falloff(std::sqrt((1 - su) * (1 - su) + (1 - sv) * (1 - sv)) * 7.0f);
        c = add(c, scale(Rgb{0.6f, 0.5f, 0.4f}, rivet));
        float band = std::exp(-std::pow((v - 0.5f) * 14.0f, 2.0f));
        float lamps = 0.5f + 0.5f * std::cos(u * kTwoPi * 16.0f);
        return mix(c, Rgb{0.2f, 0.9f, 1.0f}, band * (0.45f + 0.55f * lamps));
    });
}

// A swirl of hot light, dark at its rim: the way out of the hall.
Image portal() {
    return paint(128, 128, [](float u, float v) {
        float d = radial(u, v), a = std::atan2(v - 0.5f, u - 0.5f);
        float arms = 0.5f + 0.5f * std::sin(a * 4.0f + d * 14.0f);
        float body = falloff(d);
        return scale(mix(Rgb{0.6f, 0.15f, 0.05f}, Rgb{0.9f, 0.55f, 0.2f}, arms), body * (0.4f + 0.5f * arms));
    });
}

// The islands.

// Late afternoon: deep blue overhead and warm haze at the horizon; below
// it a dimmer haze, to which the far cloud sea adds its own light.
Image daySky() {
    // Below the horizon the haze goes on, fading out most of the way down:
    // the cloud sea fades into it.
    return sky(128, 0.2f, Palette{{0.08f, 0.2f, 0.5f}, {0.2f, 0.4f, 0.75f}, {0.5f, 0.6f, 0.75f}, {0.75f, 0.58f, 0.36f}},
               1.4f, 0.85f, 1.2f, Stars{0.0f, 0u, 0.0f, 0.0f});
}

Image sunGlow() { return glow(128, Rgb{0.5f, 0.4f, 0.25f}, Rgb{0.45f, 0.3f, 0.15f}, 20.0f); }

// The cloud sea from above: sunlit puffs, violet shade between them.
Image clouds() {
    // Blue stays low enough that cloud and haze added together never burn to white.
    Palette cloud{{0.2f, 0.22f, 0.38f}, {0.4f, 0.38f, 0.5f}, {0.76f, 0.64f, 0.55f}, {0.86f, 0.75f, 0.58f}};
    return paint(256, 256, [&](float u, float v) {
        float n = fractalNoise(u, v, 4, 6, 131u);
        float billow = 1.0f - std::fabs(2.0f * fractalNoise(u, v, 8, 3, 137u) - 1.0f);
        return cloud.at(smoothT(n * 1.5f - 0.3f) * 0.8f + billow * 0.25f);
    });
}

// The cloud sea's far ring, seen from its middle: v runs outwards from the
// clouds' average colour, which is what the sea's own image shrinks to in
// the distance, to nothing at the rim, so the sea melts into the haze.
Image cloudEdge() {
    const Image sea = clouds();
    Rgb mean{0, 0, 0};
    for (int y = 0; y < sea.height(); y++)
        for (int x = 0; x < sea.width(); x++) mean = add(mean, scale(sea.at(x, y), 1.0f / (sea.width() * sea.height())));
    // Few rows, so that seen edge on far away it is not shrunk to its mean.
    return paint(64, 16, [=](float u, float v) {
        float swell = 0.9f + 0.1f * fractalNoise(u, v, 4, 2, 141u);
        return scale(mean, swell * (1.0f - smoothT(v * 1.05f)));
    });
}

// Falling water: streaks down the image, thinning out at the bottom.
Image falls() {
    return paint(64, 128, [](float u, float v) {
        float streak = fractalNoise(u, v * 0.1f, 16, 2, 139u);
        float edge = std::pow(std::sin(kPi * u), 0.7f);
        return scale(Rgb{0.55f, 0.7f, 0.85f}, edge * (0.3f + 0.7f * streak) * (1.0f - 0.8f * v));
    });
}

Image grass() {
    return paint(128, 128, [](float u, float v) {
        float n = fractalNoise(u, v, 8, 4, 149u);
        return mix(Rgb{0.2f, 0.45f, 0.12f}, Rgb{0.6f, 0.75f, 0.3f}, n);
    });
}

// Strata of warm rock, sunlit under the rim, darkening towards the tip.
Image cliff() {
    return paint(128, 128, [](float u, float v) {
        float strata = 0.5f + 0.5f * std::sin(v * 40.0f + 3.0f * fractalNoise(u, v, 4, 3, 151u));
        Rgb rock = mix(Rgb{0.55f, 0.38f, 0.25f}, Rgb{0.8f, 0.6f, 0.4f}, strata * 0.6f + 0.4f * fractalNoise(u, v, 16, 2, 157u));
        return mix(rock, Rgb{0.2f, 0.15f, 0.25f}, smoothT(v * 1.1f - 0.1f));
    });
}

Image fir() {
    return paint(64, 64, [](float u, float v) {
        return mix(Rgb{0.1f, 0.3f, 0.15f}, Rgb{0.25f, 0.5f, 0.25f}, fractalNoise(u, v, 8, 2, 163u) * (1.0f - v));
    });
}

Image orb() {
    Palette light{{0.6f, 1.0f, 0.95f}, {0.3f, 0.7f, 1.0f}, {0.7f, 0.5f, 1.0f}};
    return paint(128, 64, [&](float u, float v) { return light.cyclic(u * 2.0f + fractalNoise(u, v, 4, 3, 167u)); });
}

Image orbGlow() { return glow(128, Rgb{0.25f, 0.45f, 0.55f}, Rgb{0.15f, 0.3f, 0.5f}, 12.0f); }

Image mote() { return glow(32, Rgb{0.1f, 0.45f, 0.5f}, Rgb{0.05f, 0.2f, 0.3f}, 10.0f); }

// The sea.

// Sunset: violet overhead, rose and orange down to a golden horizon.
Image sunsetSky() {
    return sky(128, 0.1f, Palette{{0.06f, 0.03f, 0.18f}, {0.25f, 0.08f, 0.35f}, {0.65f, 0.2f, 0.4f},
                                  {0.95f, 0.45f, 0.25f}, {1.0f, 0.7f, 0.35f}},
               1.3f, 1.0f, 0.7f, Stars{0.01f, 23u, 0.5f, 0.6f});
}

Image sunsetGlow() { return glow(128, Rgb{0.6f, 0.42f, 0.18f}, Rgb{0.5f, 0.2f, 0.1f}, 14.0f); }

// The sea at sunset: violet swell with rose and gold light on the crests.
Image sea() {
    Palette swell{{0.05f, 0.03f, 0.14f}, {0.15f, 0.07f, 0.25f}, {0.4f, 0.15f, 0.3f}, {0.85f, 0.45f, 0.3f}};
    return paint(256, 256, [&](float u, float v) {
        float s = 0.2f * std::sin(kTwoPi * (3 * u + 2 * v)) + 0.15f * std::sin(kTwoPi * (5 * v - u) + 1.3f) +
                  0.9f * (fractalNoise(u, v, 8, 5, 173u) - 0.5f);
        return swell.at(0.45f + 0.45f * s);
    });
}

// Sparkles of sun on the water: bright dashes thinning out near the camera.
Image glitter() {
    return paint(64, 256, [](float u, float v) {
        float spark = starAt(static_cast<int>(u * 64), static_cast<int>(v * 256), 29u, 0.12f);
        float across = std::exp(-std::pow((u - 0.5f) * 3.0f, 2.0f));
        return scale(Rgb{0.8f, 0.5f, 0.25f}, spark * across * (0.4f + 0.6f * (1.0f - v)));
    });
}

// Rock by the sea: warm light on top, dark and wet at the foot.
Image seaStone() {
    return paint(128, 128, [](float u, float v) {
        float n = fractalNoise(u, v, 8, 4, 179u);
        Rgb top = mix(Rgb{0.55f, 0.35f, 0.3f}, Rgb{0.9f, 0.6f, 0.4f}, n);
        return mix(top, Rgb{0.12f, 0.08f, 0.15f}, smoothT((v - 0.35f) / 0.5f));
    });
}

// Sparks in colours that stand out against the sunset's orange.
Image sparkViolet() { return glow(32, Rgb{0.3f, 0.3f, 0.8f}, Rgb{0.1f, 0.1f, 0.4f}, 8.0f); }
Image sparkRose() { return glow(32, Rgb{0.5f, 0.1f, 0.6f}, Rgb{0.25f, 0.02f, 0.3f}, 8.0f); }
Image sparkCyan() { return glow(32, Rgb{0.05f, 0.55f, 0.7f}, Rgb{0.0f, 0.25f, 0.35f}, 8.0f); }

// The finale's hoops: gold bands round the tube between rose neon stripes,
// a row of lamps along the inner side (v near 0.5 faces the hoop's middle).
Image hoopGold() {
    return paint(64, 64, [](float u, float v) {
        float band = std::fabs(std::fmod(u * 4.0f, 1.0f) - 0.5f) * 2.0f;
        Rgb gold = mix(Rgb{1.0f, 0.85f, 0.45f}, Rgb{0.75f, 0.45f, 0.1f}, std::fabs(std::sin(v * kPi * 2.0f)));
        Rgb c = band > 0.85f ? Rgb{0.95f, 0.3f, 0.6f} : gold;
        float lamp = falloff(std::sqrt(std::pow(std::fmod(u * 16.0f, 1.0f) - 0.5f, 2.0f) + std::pow((v - 0.5f) * 8.0f, 2.0f)) * 2.5f);
        return mix(c, Rgb{1.0f, 0.95f, 0.8f}, lamp);
    });
}

Image black() { return paint(64, 64, [](float, float) { return kBlack; }); }

}  // namespace

const std::vector<ShowTexture>& showTextures() {
    static const std::vector<ShowTexture> textures{
        // Shared by several scenes.
        {"gold.png", gold},
        {"marble.png", marble},
        {"burst.png", burst},
        {"goldburst.png", goldBurst},
        {"starglow.png", starGlow},
        // The title.
        {"dusksky.png", duskSky},
        {"corona.png", corona},
        {"sunbands.png", sunBands},
        {"grid.png", grid},
        {"ridge.png", ridge},
        {"chrome.png", chrome},
        // The reactor.
        {"nebsky.png", nebulaSky},
        {"coreplasma.png", corePlasma},
        {"polar.png", polarGrid},
        {"rimglow.png", rimGlow},
        // The city.
        {"citysky.png", citySky},
        {"pavement.png", pavement},
        {"beam.png", lightBeam},
        {"windows.png", windows},
        {"ribbons.png", ribbonWindows},
        {"offices.png", officeWindows},
        {"roof.png", roof},
        {"skyline.png", skylineWindows},
        {"prism.png", prism},
        {"trail.png", trail},
        {"lamp.png", lamp},
        {"pool.png", pool},
        {"beacon.png", beacon},
        // The planet.
        {"space.png", space},
        {"ringbands.png", ringBands},
        {"gasbands.png", gasBands},
        {"moon.png", moon},
        {"atmo.png", atmosphere},
        // The tunnel.
        {"tubecold.png", tubeCold},
        {"tubehot.png", tubeHot},
        {"hall.png", hall},
        {"hoopa.png", hoopA},
        {"hoopb.png", hoopB},
        {"steel.png", steel},
        {"portal.png", portal},
        {"probe.png", probeHull},
        // The islands.
        {"daysky.png", daySky},
        {"sunglow.png", sunGlow},
        {"clouds.png", clouds},
        {"cloudedge.png", cloudEdge},
        {"falls.png", falls},
        {"grass.png", grass},
        {"cliff.png", cliff},
        {"fir.png", fir},
        {"orb.png", orb},
        {"orbglow.png", orbGlow},
        {"mote.png", mote},
        // The sea.
        {"sunsetsky.png", sunsetSky},
        {"sunsetglow.png", sunsetGlow},
        {"sea.png", sea},
        {"glitter.png", glitter},
        {"seastone.png", seaStone},
        {"black.png", black},
        {"hoopgold.png", hoopGold},
        {"sparkviolet.png", sparkViolet},
        {"sparkrose.png", sparkRose},
        {"sparkcyan.png", sparkCyan},
    };
    return textures;
}
