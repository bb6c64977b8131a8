// The reactor: a plasma core in a gimballed gyroscope of gold rings, with
// marble crystals riding an orbit, over a polar grid under a nebula. The
// core throbs on every beat, the gimbals snap round on the bars and flip on
// the snares, and the camera dives in through the orbit and out again.
#include <algorithm>
#include <cmath>

#include "tools/scenegen/show_parts.h"

namespace {

const Vec3 kCore{0, 0, 420};
const float kCoreRadius = 150.0f;

}  // namespace

void buildReactor(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 160;
    s.material("Nebula", "nebsky.png", 0.5f);
    s.material("Polar", "polar.png", 0.5f);
    s.material("Plasma", "coreplasma.png");
    s.material("Gold", "gold.png");
    s.material("Marble", "marble.png");
    s.material("Rim", "rimglow.png", 0.5f);
    s.material("Burst", "burst.png", 0.5f);

    // Two-thirds of an orbit of the core: down from high above it, in close
    // past the satellites at mid-scene, and out and up again.
    Track camera = [end](float f) {
        float t = f / end;
        float a = -kPi * 0.62f + kTwoPi * 0.6f * t;
        float r = 1650 - 1180 * smoothStep(t / 0.5f) + 950 * smoothStep((t - 0.6f) / 0.4f);
        return Vec3{std::cos(a) * r, std::sin(a) * r, 950 - 720 * std::sin(kPi * std::min(t / 0.8f, 1.0f)) + 300 * t};
    };
    Track target = [end](float f) {
        float t = f / end;
        return kCore + Vec3{120 * std::sin(kTwoPi * t), 0, -60 + 90 * t};
    };
    s.camera("Camera01", camera(0), target(0), 52);
    s.cameraPath(sampled(end, 4, camera));
    s.targetPath(sampled(end, 4, target));
    s.roll({{0, -0.08f}, {86, 0.06f}, {end, -0.03f}});
    // The view punches wider on each snare.
    s.fov(fovPunches(end, everyRows(4, rows, kBarRows / 2), 52, 57, 3));
    s.light("Omni01", Vec3{-1500, -1500, 2000});

    s.turn(s.object("ASky", dome("Nebula", 9500, 48, 16, 0.15f, 2), kOrigin), spin(0, end, kUp, -0.04f));
    MeshData floor = annulus("Polar", 0, 9000, 128, 24, 8);
    s.turn(s.object("BFloor", floor, kOrigin), spin(0, end, kUp, 0.03f));

    MeshData core = sphere("Plasma", kCoreRadius, 48, 24, Facing::Outside, 2);
    core.lightGain = 2.0f;
    Lib3dsNode* coreNode = s.object("Core", core, kCore);
    s.turn(coreNode, spin(0, end, Vec3{0.3f, 0, 1}, 1.0f));
    s.resize(coreNode, pulses(end, everyRows(0, rows, kBeatRows), Vec3{1, 1, 1}, Vec3{1.1f, 1.1f, 1.1f}, 3));

    // Gimbals: each ring turns inside the one around it.
    const float radius[3] = {370, 305, 245}, thickness[3] = {16, 13, 11};
    Lib3dsNode* parent = nullptr;
    for (int i = 0; i < 3; i++) {
        MeshData ring = torus("Gold", radius[i], thickness[i], 56, 8);
        if (i == 1) ring.rotateX(kPi / 2);
        if (i == 2) ring.rotateY(kPi / 2);
        ring.lightGain = 1.45f;
        Lib3dsNode* node = s.object(numbered("Gyro", i + 1).c_str(), ring, parent ? kOrigin : kCore, parent);
        if (i == 0) s.turn(node, kicks(end, everyRows(0, rows, kBarRows), kUp, kPi / 2, 3));
        if (i == 1) s.turn(node, kicks(end, everyRows(4, rows, kBarRows / 2), Vec3{1, 0, 0}, kPi / 2, 2));
        if (i == 2) s.turn(node, kicks(end, everyRows(8, rows, kBarRows), Vec3{0, 1, 0}, -kPi / 2, 3));
        parent = node;
    }

    // Satellites ride a thin orbit ring, tilted so that it never lies edge
    // on; each flashes bigger in turn, one a beat.
    const float tilt = 0.35f, orbitRadius = 640;
    MeshData track = torus("Gold", orbitRadius, 5, 96, 4);
    track.rotateX(tilt);
    track.lightGain = 1.7f;
    Lib3dsNode* orbit = s.object("Orbit", track, kCore);
    s.turn(orbit, spin(0, end, Vec3{0, -std::sin(tilt), std::cos(tilt)}, -0.5f));
    for (int i = 0; i < 6; i++) {
        float a = kTwoPi * i / 6;
        // A crystal: a six-sided double point, long along its spin.
        MeshData cube = lathe("Marble", {{0, 95}, {48, 10}, {48, -10}, {0, -95}}, 6);
        cube.lightGain = 1.5f;
        Vec3 at{std::cos(a) * orbitRadius, std::sin(a) * orbitRadius * std::cos(tilt),
                std::sin(a) * orbitRadius * std::sin(tilt)};
        Lib3dsNode* sat = s.object(numbered("Sat", i + 1).c_str(), cube, at, orbit);
        s.turn(sat, spin(0, end, Vec3{1, 1, 0}, 1.5f));
        s.resize(sat, pulses(end, everyRows(kBeatRows * i, rows, kBeatRows * 6), Vec3{1, 1, 1},
                             Vec3{1.35f, 1.35f, 1.35f}, 3));
    }

    Track coreAt = [](float) { return kCore; };
    // Behind the solids: the rings crossing in front cover it, rather than
    // burn to white under it when the camera is close.
    Lib3dsNode* rim = s.object("BRim", halo("Rim", kCoreRadius * 0.8f, kCoreRadius * 1.7f, 48), kCore);
    s.turn(rim, facing(end, 2, coreAt, camera));
    s.resize(rim, pulses(end, everyRows(0, rows, kBeatRows), Vec3{1, 1, 1}, Vec3{1.25f, 1.25f, 1.25f}, 3));
    flare(s, "zCrash", "Burst", coreAt, camera, 2200, {0}, 6);
}
