// The title: the name drops letter by letter onto a neon grid under a
// striped sunset, between glowing mountains, and then dances to the beat.
#include <algorithm>
#include <cmath>

#include "tools/scenegen/patterns.h"
#include "tools/scenegen/show_parts.h"

namespace {

// The sun stands on the floor: the floor is additive and cannot hide what
// lies below it, so only the mountains may cover the sun's lower bands.
const Vec3 kSunAt{0, 8200, 1600};
const float kSunRadius = 1600.0f;

// The sun as a disc of horizontal bands, the gaps widening downwards.
MeshData bandedSun(const char* material) {
    MeshData sun(material);
    const float gaps[][2] = {{-0.04f, 0.018f}, {-0.2f, 0.03f}, {-0.36f, 0.042f},
                             {-0.52f, 0.055f}, {-0.68f, 0.068f}, {-0.84f, 0.08f}};
    float top = 1.0f;
    for (int band = 0; band <= 6; band++) {
        float bottom = band < 6 ? gaps[band][0] + gaps[band][1] : -1.0f;
        int rows = std::max(2, static_cast<int>((top - bottom) * 24));
        MeshData strip(material);
        for (int r = 0; r <= rows; r++) {
            float z = top + (bottom - top) * r / rows;
            float w = std::sqrt(std::max(0.0f, 1.0f - z * z));
            for (int c = 0; c <= 24; c++) {
                float x = -w + 2 * w * c / 24;
                strip.addPoint(Vec3{x, 0, z} * kSunRadius, Uv{0.5f + x * 0.5f, 0.5f - z * 0.5f});
            }
        }
        for (int r = 0; r < rows; r++)
            for (int c = 0; c < 24; c++) {
                int a = r * 25 + c;
                strip.addFaceFacing(a, a + 1, a + 26, Vec3{0, -1, 0});
                strip.addFaceFacing(a, a + 26, a + 25, Vec3{0, -1, 0});
            }
        sun.append(strip, kOrigin);
        if (band < 6) top = gaps[band][0] - gaps[band][1];
    }
    return sun;
}

// A ring of mountains leaning back from the middle, low where the sun sets.
MeshData mountains(const char* material, float radius, int columns, float height, unsigned seed) {
    const int rows = 3;
    MeshData ridge(material);
    for (int r = 0; r <= rows; r++)
        for (int c = 0; c <= columns; c++) {
            float theta = kTwoPi * c / columns;
            // Ridged noise: sharp peaks, rounded valleys.
            float n = fractalNoise(static_cast<float>(c % columns) / columns, 0.3f, 12, 5, seed);
            float sharp = 1.0f - std::fabs(2.0f * n - 1.0f);
            float peak = height * (0.15f + 0.85f * sharp * sharp);
            float fromSun = std::fabs(std::remainder(theta - kPi / 2, kTwoPi));
            peak *= 0.25f + 0.75f * smoothStep(fromSun / 0.55f);
            peak = std::max(peak, 450.0f);  // above the horizon from any height the camera takes
            float down = static_cast<float>(r) / rows;
            float reach = radius + 900 * down;
            float z = peak * (1 - down) * (1 - down * 0.2f) - 40;
            ridge.addPoint(Vec3{std::cos(theta) * reach, std::sin(theta) * reach, z},
                           Uv{columns / 8.0f * c / columns, down});
        }
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            int a = r * (columns + 1) + c;
            float theta = kTwoPi * (c + 0.5f) / columns;
            Vec3 inward{-std::cos(theta), -std::sin(theta), 0.6f};
            ridge.addFaceFacing(a, a + 1, a + columns + 2, inward);
            ridge.addFaceFacing(a, a + columns + 2, a + columns + 1, inward);
        }
    ridge.lightGain = 2.0f;
    return ridge;
}

}  // namespace

void buildTitle(SceneBuilder& s) {
    int end = s.frames();
    s.material("Sky", "dusksky.png", 0.5f);
    s.material("Star", "starglow.png", 0.5f);
    s.material("Corona", "corona.png", 0.5f);
    s.material("Sun", "sunbands.png", 0.5f);
    s.material("Grid", "grid.png", 0.5f);
    s.material("Ridge", "ridge.png");
    s.material("Chrome", "chrome.png");
    s.material("Burst", "burst.png", 0.5f);

    // In from afar while the letters drop, then settled square in front of
    // the name by the kick's entry in bar 7, near enough that it fills most
    // of the width and far enough that its hops stay whole on screen.
    Path camera({{0, {-260, -3600, 70}},
                 {34, {-140, -2500, 110}},
                 {62, {30, -1900, 170}},
                 {92, {-70, -1420, 150}},
                 {103, {0, -1310, 140}},
                 {135, {40, -1250, 130}},
                 {static_cast<float>(end), {0, -1200, 125}}});
    Path target({{0, {0, 4000, 320}},
                 {34, {0, 1800, 260}},
                 {62, {0, 0, 150}},
                 {92, {0, 0, 135}},
                 {103, {0, 0, 128}},
                 {static_cast<float>(end), {0, 0, 128}}});
    s.camera("Camera01", camera(0), target(0), 55);
    s.cameraPath(sampled(end, 4, camera));
    s.targetPath(sampled(end, 4, target));
    s.fov({{0, 55}, {62, 50}, {100, 44}, {end, 44}});
    s.roll({{0, 0.06f}, {34, 0}, {80, -0.03f}, {100, 0}, {end, 0}});
    s.light("Omni01", Vec3{0, -3000, 2000});

    s.turn(s.object("ASky", dome("Sky", 9800, 48, 16, 0.12f, 3), kOrigin), spin(0, end, kUp, 0.02f));
    Track sunAt = [](float) { return kSunAt; };
    Lib3dsNode* corona = s.object("BCorona", halo("Corona", kSunRadius * 0.9f, kSunRadius * 1.8f, 64), kSunAt);
    s.turn(corona, facing(end, 8, sunAt, camera));
    // The corona swells with the arpeggio's bars, then with the kick once it
    // comes in, in the seventh bar.
    std::vector<int> swells = everyRows(0, 96, kBarRows), kicks = everyRows(96, 160, kBeatRows);
    swells.insert(swells.end(), kicks.begin(), kicks.end());
    s.resize(corona, pulses(end, swells, Vec3{1, 1, 1}, Vec3{1.12f, 1.12f, 1.12f}, 3));
    Lib3dsNode* sun = s.object("BSun", bandedSun("Sun"), kSunAt);
    s.turn(sun, facing(end, 8, sunAt, camera));
    s.resize(sun, pulses(end, everyRows(0, 160, kBarRows), Vec3{1, 1, 1}, Vec3{1.03f, 1.03f, 1.03f}, 4));
    // Crisp stars over the texture's soft ones, twinkling on alternate bars.
    for (int set = 0; set < 2; set++) {
        MeshData stars("Star");
        Scatter scatter(31u + set);
        for (int i = 0; i < 110; i++) {
            float a = scatter.between(0, kTwoPi), up = scatter.between(0.2f, 1.2f);
            Vec3 at{std::cos(a) * std::cos(up) * 9000, std::sin(a) * std::cos(up) * 9000, std::sin(up) * 9000};
            stars.append(glowCross("Star", scatter.between(25, 60)), at);
        }
        Lib3dsNode* node = s.object(set ? "AStarsB" : "AStarsA", stars, kOrigin);
        s.resize(node, pulses(end, everyRows(set * kBarRows, 160, 2 * kBarRows), Vec3{1, 1, 1},
                              Vec3{1.8f, 1.8f, 1.8f}, 6));
    }
    s.object("CGrid", plane("Grid", 16000, 16000, 16, 32), kOrigin);
    s.object("DRidge", mountains("Ridge", 6400, 280, 1500, 5u), kOrigin);
    s.object("DRidgeFar", mountains("Ridge", 7600, 160, 2400, 9u), kOrigin);

    // Each letter drops in on its beat, bounces, and from bar 4 on hops in
    // a wave that runs along the name at each bar.
    droppingName(s, kOrigin, 32, camera, "Burst", [](int i, Vec3 home, std::vector<PositionKey>& keys) {
        for (int bar = 64; bar < 160; bar += kBarRows) {
            int hop = rowFrame(bar + i);
            if (hop - 1 > keys.back().frame) keys.push_back({hop - 1, home});
            keys.push_back({hop, home + Vec3{0, 0, 26}});
            keys.push_back({hop + 2, home});
        }
    });
    // The crash that opens the show.
    flare(s, "zCrash", "Burst", [camera](float) { return camera(0) + Vec3{40, 900, 160}; }, camera, 1400, {0}, 6);
}
