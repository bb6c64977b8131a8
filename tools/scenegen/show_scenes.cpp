#include <cmath>
#include <cstdio>

#include "tools/scenegen/shapes.h"
#include "tools/scenegen/show.h"

namespace {

const float kPi = 3.14159265358979f;
const float kTwoPi = 2.0f * kPi;
const Vec3 kOrigin{0, 0, 0};
const Vec3 kUp{0, 0, 1};

// Small deterministic generator for placing scenery.
class Scatter {
public:
    explicit Scatter(unsigned seed) : state_(seed) {}
    float next() {  // 0 to 1
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / 16777216.0f;
    }
    float between(float low, float high) { return low + (high - low) * next(); }

private:
    unsigned state_;
};

std::string numbered(const char* stem, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", stem, i);
    return name;
}

// Draw order in the show follows node names in byte order, so names are
// chosen for it: additive backdrops first ("A", "B"...), then the solid
// scenery, which covers them, then additive effects in front ("z").
// Skies, floors and water are additive too: unlit, they keep their colours
// where the viewer's headlight would only graze them.

// Title: the name rises out of a neon grid under a starry sky, with a sun
// behind it and a glowing halo tumbling around it.
void buildTitle(SceneBuilder& s) {
    int end = s.frames();
    s.material("Stars", "stars.png", 0.5f);
    s.material("Grid", "grid.png", 0.5f);
    s.material("Sun", "flare.png", 0.6f);
    s.material("Gold", "gold.png");
    s.material("Halo", "plasma.png", 0.4f);

    s.turn(s.object("AStars", sphere("Stars", 6000, 24, 12, Facing::Inside, 4), kOrigin), spin(0, end, kUp, 0.05f));
    s.object("BGrid", plane("Grid", 4000, 4000, 16, 12), Vec3{0, 0, -160});
    s.object("CSun", sprite("Sun", 1600, 1600), Vec3{0, 900, 120});
    Lib3dsNode* title = s.object("Title", blockText("Gold", "VELMORA", 20), kOrigin);
    s.move(title, {{0, {0, 0, -420}}, {45, {0, 0, 10}}, {70, kOrigin}, {end, kOrigin}});
    s.turn(title, {{0, kUp, 0.6f}, {45, kUp, -0.75f}, {110, kUp, 0.3f}, {end, kUp, -0.15f}});
    s.turn(s.object("zHalo", torus("Halo", 560, 10, 64, 8, 6), kOrigin), spin(0, end, Vec3{1, 0.2f, 0}, 0.75f));

    s.camera("Camera01", Vec3{-160, -420, -100}, Vec3{0, 0, -60}, 60);
    s.cameraPath({{0, {-160, -420, -100}}, {50, {140, -700, 30}}, {110, {-90, -950, 150}}, {end, {0, -1150, 80}}});
    s.targetPath({{0, {0, 0, -60}}, {50, kOrigin}, {end, {0, 0, 10}}});
    s.fov({{0, 60}, {end, 45}});
    s.roll({{0, 0.25f}, {60, 0}, {end, 0}});
    s.light("Omni01", Vec3{0, -3000, 2000});
    s.light("Omni02", Vec3{2000, 1000, 500});
}

// Additive rings tumbling around a plasma core, marble cubes circling on a
// dummy, over a checkered floor.
void buildRings(SceneBuilder& s) {
    int end = s.frames();
    s.material("Checker", "checker.png");
    s.material("Plasma", "plasma.png");
    s.material("Marble", "marble.png");
    s.material("Rings", "rings.png", 0.5f);
    s.material("Flare", "flare.png", 0.7f);

    s.object("Floor", plane("Checker", 3000, 3000, 12, 10), Vec3{0, 0, -300});
    s.turn(s.object("Core", sphere("Plasma", 150, 32, 16, Facing::Outside, 2), kOrigin),
           spin(0, end, Vec3{0.3f, 0, 1}, 1.0f));
    Lib3dsNode* orbit = s.dummy("Orbit", kOrigin);
    s.turn(orbit, spin(0, end, kUp, -0.5f));
    for (int i = 0; i < 6; i++) {
        float a = kTwoPi * i / 6;
        Lib3dsNode* cube = s.object(numbered("Cube", i + 1).c_str(), box("Marble", Vec3{90, 90, 90}),
                                    Vec3{std::cos(a) * 520, std::sin(a) * 520, 60 * std::sin(3 * a)}, orbit);
        s.turn(cube, spin(0, end, Vec3{1, 1, 0}, 1.5f));
    }
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const float turns[3] = {1.0f, -0.75f, 0.5f};
    for (int i = 0; i < 3; i++) {
        Lib3dsNode* ring = s.object(numbered("zRing", i + 1).c_str(), torus("Rings", 260 + 80 * i, 8, 64, 6, 4), kOrigin);
        s.turn(ring, spin(0, end, axes[i], turns[i]));
    }
    Lib3dsNode* glowNode = s.object("zGlow", glowCross("Flare", 700), kOrigin);
    std::vector<PositionKey> pulse;
    for (int f = 0, i = 0; f < end; f += 17, i++) {  // four beats a pulse
        float k = (i & 1) ? 0.8f : 1.3f;
        pulse.push_back({f, {k, k, k}});
    }
    pulse.push_back({end, {1, 1, 1}});
    s.resize(glowNode, pulse);

    auto orbitAt = [end](float f) {
        float a = -kPi / 2 + kTwoPi * 0.6f * f / end;
        return Vec3{std::cos(a) * 900, std::sin(a) * 900, 330 + 120 * std::sin(kTwoPi * f / end)};
    };
    s.camera("Camera01", orbitAt(0), Vec3{0, 0, -40}, 55);
    s.cameraPath(sampled(end, 8, orbitAt));
    s.targetPath({{0, {0, 0, -40}}, {end, {0, 0, 40}}});
    s.light("Omni01", Vec3{-1500, -1500, 2000});
}

// A flight down an avenue of brick pillars at dusk, past a spinning marble
// monolith, through shafts of light.
void buildPillars(SceneBuilder& s) {
    int end = s.frames();
    s.material("Dusk", "dusk.png", 0.5f);
    s.material("Ground", "pavement.png", 0.5f);
    s.material("Bricks", "bricks.png");
    s.material("Marble", "marble.png");
    s.material("Shaft", "shaft.png", 0.5f);

    s.object("ASky", sphere("Dusk", 7000, 32, 16, Facing::Inside), kOrigin);
    s.object("Ground", plane("Ground", 8000, 8000, 20, 24), kOrigin);
    MeshData pillars("Bricks");
    MeshData shafts("Shaft");
    Scatter scatter(42u);
    for (int gx = -3; gx <= 3; gx++)
        for (int gy = -5; gy <= 5; gy++) {
            float h = scatter.between(250, 900);
            bool lit = scatter.next() < 0.12f;
            if (gx == 0 && gy >= -1 && gy <= 1) continue;  // the plaza around the monolith
            pillars.append(box("Bricks", Vec3{120, 120, h}), Vec3{gx * 300.0f, gy * 300.0f, h / 2});
            if (lit) shafts.append(beam("Shaft", 80, 2400), Vec3{gx * 300.0f, gy * 300.0f, 0});
        }
    s.object("Pillars", pillars, kOrigin);
    Lib3dsNode* monolith = s.object("Monolith", box("Marble", Vec3{180, 180, 180}), Vec3{0, 0, 420});
    s.turn(monolith, spin(0, end, Vec3{1, 1, 1}, 1.25f));
    s.move(monolith, sampled(end, 12, [end](float f) { return Vec3{0, 0, 420 + 50 * std::sin(kTwoPi * 2 * f / end)}; }));
    s.object("zShafts", shafts, kOrigin);

    auto flight = [end](float f) {
        float t = f / end;
        return Vec3{150 + 70 * std::sin(kTwoPi * 2 * t), -1800 + 3000 * t, 320 + 90 * std::sin(kTwoPi * 1.5f * t)};
    };
    auto ahead = [&](float f) {
        Vec3 p = flight(f);
        return Vec3{60 * std::sin(kTwoPi * f / end), p.y + 700, 200};
    };
    s.camera("Camera01", flight(0), ahead(0), 60);
    s.cameraPath(sampled(end, 8, flight));
    s.targetPath(sampled(end, 8, ahead));
    s.roll({{0, 0}, {60, 0.08f}, {120, -0.08f}, {end, 0}});
    s.light("Omni01", Vec3{0, -4000, 3000});
}

// A short burst: balls whirling on a hub around a golden ring under a
// nebula while a flare swells.
void buildBurst(SceneBuilder& s) {
    int end = s.frames();
    s.material("Nebula", "nebula.png", 0.5f);
    s.material("Gold", "gold.png");
    s.material("Checker", "checker.png");
    s.material("Rock", "rock.png");
    s.material("Flare", "flare.png", 0.8f);

    s.turn(s.object("ADome", sphere("Nebula", 4000, 24, 12, Facing::Inside, 3), kOrigin), spin(0, end, kUp, 0.1f));
    // The balls ride on a small hub rather than a dummy: "$$$DUMMY" would
    // sort before the nebula and be washed over by it.
    Lib3dsNode* spinner = s.object("Hub", sphere("Gold", 30, 12, 6, Facing::Outside), kOrigin);
    s.turn(spinner, spin(0, end, Vec3{0.2f, 0, 1}, 1.5f));
    for (int i = 0; i < 8; i++) {
        float a = kTwoPi * i / 8;
        Lib3dsNode* ball = s.object(numbered("Ball", i + 1).c_str(),
                                    sphere((i & 1) ? "Checker" : "Rock", 55, 16, 8, Facing::Outside),
                                    Vec3{std::cos(a) * 320, std::sin(a) * 320, 0}, spinner);
        s.turn(ball, spin(0, end, Vec3{1, 0, 0}, 2.0f));
    }
    s.turn(s.object("Core", torus("Gold", 150, 45, 48, 16), kOrigin), spin(0, end, Vec3{1, 0, 0}, 2.0f));
    Lib3dsNode* burst = s.object("zBurst", glowCross("Flare", 1000), kOrigin);
    s.resize(burst, {{0, {0.1f, 0.1f, 0.1f}}, {10, {1.6f, 1.6f, 1.6f}}, {30, {0.9f, 0.9f, 0.9f}},
                     {50, {1.3f, 1.3f, 1.3f}}, {end, {1, 1, 1}}});

    s.camera("Camera01", Vec3{0, -1800, 500}, kOrigin, 50);
    s.cameraPath({{0, {0, -1800, 500}}, {40, {-200, -1000, 260}}, {end, {250, -620, 150}}});
    s.fov({{0, 50}, {end, 65}});
    s.light("Omni01", Vec3{1000, -2000, 1500});
}

// The tunnel's centre line, s from 0 to 1.
Vec3 tunnelAt(float s) {
    return Vec3{420 * std::sin(kTwoPi * 1.5f * s), 10000 * s, 260 * std::sin(kTwoPi * s + 0.7f)};
}

// A flight down a winding neon tube through golden gates, chasing a
// spinning cube, the view slowly rolling.
void buildTunnel(SceneBuilder& s) {
    int end = s.frames();
    s.material("Neon", "neon.png", 0.5f);
    s.material("Gold", "gold.png");
    s.material("Checker", "checker.png");
    s.material("Hoop", "hoop.png", 0.7f);

    std::vector<Vec3> path;
    for (int k = 0; k <= 200; k++) path.push_back(tunnelAt(k / 200.0f));
    s.object("ATube", tube("Neon", path, 150, 20, Facing::Inside, 80), kOrigin);

    MeshData gates("Gold");
    MeshData sparks("Hoop");
    for (int i = 0; i < 18; i++) {
        float at = 0.1f + 0.05f * i;
        Vec3 c = tunnelAt(at);
        Vec3 d = tunnelAt(at + 0.001f) - c;
        MeshData gate = torus("Gold", 125, 14, 40, 8);
        gate.rotateX(kPi / 2);
        gate.rotateZ(std::atan2(-d.x, d.y));
        gates.append(gate, c);
        float side = (i & 1) ? 1.0f : -1.0f;
        sparks.append(glowCross("Hoop", 90), tunnelAt(at + 0.025f) + Vec3{side * 90, 0, 40});
    }
    s.object("Gates", gates, kOrigin);

    auto cameraS = [end](float f) { return 0.01f + 0.9f * f / end; };
    Lib3dsNode* probe = s.object("Probe", box("Checker", Vec3{50, 50, 50}), tunnelAt(cameraS(0) + 0.035f));
    s.move(probe, sampled(end, 5, [&](float f) { return tunnelAt(cameraS(f) + 0.035f); }));
    s.turn(probe, spin(0, end, Vec3{1, 1, 0}, 6.0f));
    s.object("zSparks", sparks, kOrigin);

    s.camera("Camera01", tunnelAt(cameraS(0)), tunnelAt(cameraS(0) + 0.025f), 70);
    s.cameraPath(sampled(end, 5, [&](float f) { return tunnelAt(cameraS(f)); }));
    s.targetPath(sampled(end, 5, [&](float f) { return tunnelAt(cameraS(f) + 0.025f); }));
    std::vector<ValueKey> roll;
    for (int f = 0; f < end; f += 49) roll.push_back({f, kPi * f / end});
    roll.push_back({end, kPi});
    s.roll(roll);
    s.light("Omni01", tunnelAt(0.5f));
}

// Above the clouds: rocky islands float round a larger one under a blue sky,
// the cloud layer drifting on the wind, the sun blazing high.
void buildClouds(SceneBuilder& s) {
    int end = s.frames();
    s.material("Sky", "sky.png", 0.5f);
    s.material("Cloud", "cloud.png", 0.5f);
    s.material("Rock", "rock.png");
    s.material("Sun", "flare.png", 0.7f);

    s.object("ASky", sphere("Sky", 9000, 32, 16, Facing::Inside), kOrigin);
    MeshData clouds("Cloud");
    Scatter scatter(7u);
    for (int i = 0; i < 28; i++) {
        float size = scatter.between(1200, 2800);
        Vec3 at{scatter.between(-4500, 4500), scatter.between(-3500, 5500), scatter.between(-650, -150)};
        clouds.append(plane("Cloud", size, size, 1, 1), at);
    }
    Lib3dsNode* cloudNode = s.object("BClouds", clouds, kOrigin);
    s.move(cloudNode, {{0, kOrigin}, {end, {700, 0, 0}}});

    // Small islands circle a large one (not a dummy, which would draw before the sky).
    MeshData bigIsle = sphere("Rock", 320, 32, 12, Facing::Outside, 3);
    bigIsle.scaleBy(Vec3{1, 1, 0.45f});
    Lib3dsNode* isles = s.object("Isles", bigIsle, Vec3{0, 1500, 0});
    s.turn(isles, spin(0, end, kUp, 0.25f));
    for (int i = 0; i < 3; i++) {
        float a = kTwoPi * i / 3;
        Vec3 at{std::cos(a) * 750, std::sin(a) * 750, 60.0f * i + 80};
        Lib3dsNode* isle = s.object(numbered("Isle", i + 1).c_str(), sphere("Rock", 220, 24, 12, Facing::Outside, 2), at,
                                    isles);
        s.resize(isle, {{0, {1, 1, 0.5f}}});
        s.move(isle, sampled(end, 16, [&](float f) {
            return at + Vec3{0, 0, 40 * std::sin(kTwoPi * (2 * f / end + i / 3.0f))};
        }));
    }
    s.object("zSun", glowCross("Sun", 2500), Vec3{2500, 6000, 1800});

    auto glide = [end](float f) {
        float t = f / end;
        return Vec3{-600 + 1200 * t, -2500 + 2800 * t, 300 + 150 * std::sin(kTwoPi * t)};
    };
    s.camera("Camera01", glide(0), Vec3{0, 1500, 0}, 55);
    s.cameraPath(sampled(end, 8, glide));
    s.targetPath({{0, {0, 1500, 0}}, {end, {400, 1500, 80}}});
    s.roll({{0, 0.1f}, {60, -0.08f}, {130, 0.06f}, {end, 0}});
    s.light("Omni01", Vec3{2500, 6000, 1800});
}

// Water at sunset: a glide low over the waves between rocks towards a
// floating golden ring, light rippling across the surface.
void buildWater(SceneBuilder& s) {
    int end = s.frames();
    s.material("Sunset", "sunset.png", 0.5f);
    s.material("Sun", "flare.png", 0.6f);
    s.material("Water", "water.png", 0.5f);
    s.material("Ripple", "ripple.png", 0.5f);
    s.material("Rock", "rock.png");
    s.material("Gold", "gold.png");

    s.object("ASky", sphere("Sunset", 9000, 32, 16, Facing::Inside), kOrigin);
    s.object("BSun", sprite("Sun", 3500, 3500), Vec3{0, 8000, 500});
    s.object("CWater", plane("Water", 18000, 18000, 36, 60), kOrigin);
    Lib3dsNode* shimmer = s.object("DShimmer", plane("Ripple", 18000, 18000, 18, 45), Vec3{0, 0, 3});
    s.move(shimmer, {{0, {0, 0, 3}}, {end, {300, -900, 3}}});

    MeshData rocks("Rock");
    Scatter scatter(99u);
    for (int i = 0; i < 14; i++) {
        float side = (i & 1) ? 1.0f : -1.0f;
        MeshData stone = sphere("Rock", scatter.between(80, 220), 16, 8, Facing::Outside);
        stone.scaleBy(Vec3{1, 1, scatter.between(1.0f, 2.2f)});
        rocks.append(stone, Vec3{side * scatter.between(350, 1400), scatter.between(-2500, 3500), 0});
    }
    s.object("Rocks", rocks, kOrigin);
    MeshData ringShape = torus("Gold", 160, 30, 48, 12);
    ringShape.rotateX(kPi / 2);
    Lib3dsNode* ring = s.object("Ring", ringShape, Vec3{0, 2200, 190});
    s.move(ring, sampled(end, 20, [end](float f) { return Vec3{0, 2200, 190 + 35 * std::sin(kTwoPi * 3 * f / end)}; }));
    s.turn(ring, spin(0, end, kUp, 0.5f));

    auto glide = [end](float f) {
        float t = f / end;
        return Vec3{300 * std::sin(kTwoPi * t) * (1 - t), -3000 + 4800 * t, 90 + 40 * std::sin(kTwoPi * 2 * t)};
    };
    s.camera("Camera01", glide(0), Vec3{0, -1500, 120}, 55);
    s.cameraPath(sampled(end, 8, glide));
    s.targetPath(sampled(end, 8, [&](float f) { return glide(f) * 0.3f + Vec3{0, 1500 + 1200 * f / end, 150}; }));
    s.fov({{0, 55}, {end, 48}});
    s.light("Omni01", Vec3{0, 8000, 500});
}

}  // namespace

const std::vector<ShowScene>& showScenes() {
    static const std::vector<ShowScene> scenes{
        {"ltitre.3ds", 17143, buildTitle}, {"add2.3ds", 17143, buildRings},   {"prepre.3ds", 17143, buildPillars},
        {"readd.3ds", 8571, buildBurst},   {"tunnel.3ds", 34286, buildTunnel}, {"nua.3ds", 19286, buildClouds},
        {"eau.3ds", 34286, buildWater},
    };
    return scenes;
}

int framesFor(int durationMs) { return (durationMs + 99) / 100; }

bool writeShow(const std::string& folder, std::string* failedFile) {
    for (const ShowTexture& t : showTextures()) {
        if (!t.make().writePng(folder + "/" + t.file)) {
            if (failedFile) *failedFile = t.file;
            return false;
        }
    }
    for (const ShowScene& sc : showScenes()) {
        SceneBuilder builder(framesFor(sc.durationMs));
        sc.build(builder);
        if (!builder.save(folder + "/" + sc.file)) {
            if (failedFile) *failedFile = sc.file;
            return false;
        }
    }
    return true;
}
