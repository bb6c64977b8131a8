// The breakdown: a slow glide past a ringed planet, a moon crossing, a
// far star that beats faintly and then quickens into the next cut.
#include <cmath>

#include "tools/scenegen/show_parts.h"

namespace {

const float kRadius = 900.0f;
const float kTilt = 0.38f;  // of the rings' plane, about x

Vec3 tilted(Vec3 p) {
    float c = std::cos(kTilt), s = std::sin(kTilt);
    return Vec3{p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}

// Half of the rings: the half away from `viewer`, a direction in the rings'
// plane, or the half towards it. The camera's bearing stays close enough to
// it that what one half puts on the wrong side lies outside the planet's disc.
MeshData ringHalf(const char* material, bool far, Vec3 viewer) {
    MeshData half(material);
    MeshData whole = annulus(material, kRadius * 1.35f, kRadius * 2.4f, 256, 6, 1);
    for (const Vec3& p : whole.points) half.addPoint(p, {0, 0});
    half.texels = whole.texels;
    for (const Face& f : whole.faces) {
        Vec3 c = (whole.points[f.a] + whole.points[f.b] + whole.points[f.c]) * (1.0f / 3.0f);
        if ((dot(c, viewer) < 0) == far) half.addFace(f.a, f.b, f.c);
    }
    half.rotateX(kTilt);
    return half;
}

}  // namespace

void buildPlanet(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 80;
    s.material("Space", "space.png", 0.5f);
    s.material("Star", "starglow.png", 0.5f);
    s.material("Rings", "ringbands.png", 0.5f);
    s.material("Bands", "gasbands.png");
    s.material("Moon", "moon.png");
    s.material("Atmo", "atmo.png", 0.5f);
    s.material("Burst", "burst.png", 0.5f);

    // A slow pass: the planet drifts across the picture from right to left
    // and grows, and the camera sinks through the rings' plane at the end.
    Path camera({{0, {-3900, -2600, 1500}}, {45, {-1700, -3400, 650}}, {static_cast<float>(end), {1000, -2600, -80}}});
    Path target({{0, {-1300, 0, 250}}, {45, {-300, 0, 0}}, {static_cast<float>(end), {900, 300, 60}}});
    s.camera("Camera01", camera(0), target(0), 50);
    s.cameraPath(sampled(end, 4, camera));
    s.targetPath(sampled(end, 4, target));
    s.fov({{0, 50}, {end, 56}});
    s.roll({{0, 0.2f}, {end, -0.12f}});
    s.light("Omni01", Vec3{-3000, -2000, 2000});

    s.turn(s.object("ASky", sphere("Space", 9000, 48, 24, Facing::Inside, 2), kOrigin), spin(0, end, kUp, 0.01f));
    // The star beats faintly with the breakdown, then on every eighth into the cut.
    const Vec3 starAt{-5200, 6200, 2600};
    std::vector<int> beats = everyRows(0, 64, kBeatRows), build = everyRows(64, rows, 2);
    beats.insert(beats.end(), build.begin(), build.end());
    Lib3dsNode* star = s.object("BStar", sprite("Star", 1500, 1500), starAt);
    s.turn(star, facing(end, 4, [starAt](float) { return starAt; }, camera));
    s.resize(star, pulses(end, beats, Vec3{1, 1, 1}, Vec3{1.2f, 1.2f, 1.2f}, 2));
    const Vec3 bearing = normalized(Vec3{-0.47f, -0.88f, 0});  // the camera's, on the whole
    s.object("CRingFar", ringHalf("Rings", true, bearing), kOrigin);

    MeshData planet = sphere("Bands", kRadius, 56, 28, Facing::Outside);
    planet.rotateX(kTilt);
    // Lit a little above plain, so the side away from the light and the
    // limbs shade off as they do on the moon, lit the same way.
    planet.lightGain = 1.25f;
    s.turn(s.object("Planet", planet, kOrigin), spin(0, end, tilted(kUp), 0.08f));
    // The moon crosses in front of the planet; a small one circles far out.
    MeshData moon = sphere("Moon", 170, 64, 32, Facing::Outside);
    moon.lightGain = 1.35f;
    Path moonPath({{0, {-2300, -700, 600}}, {static_cast<float>(end), {300, -1500, 150}}});
    Lib3dsNode* moonNode = s.object("Moon", moon, moonPath(0));
    s.move(moonNode, sampled(end, 4, moonPath));
    s.turn(moonNode, spin(0, end, kUp, 0.2f));
    MeshData pebble = sphere("Moon", 80, 32, 16, Facing::Outside);
    pebble.lightGain = 1.35f;
    Lib3dsNode* pebbleNode = s.object("Moonlet", pebble, Vec3{3000, 1200, -300});
    s.move(pebbleNode, sampled(end, 4, [end](float f) {
        float a = 0.4f + 0.5f * f / end;
        return Vec3{std::cos(a) * 3200, std::sin(a) * 3200, -300 + 200 * f / end};
    }));

    Track planetAt = [](float) { return kOrigin; };
    // Drawn before the solids, so the moon passing in front covers it.
    Lib3dsNode* atmo = s.object("BAtmo", halo("Atmo", kRadius * 0.86f, kRadius * 1.3f, 96), kOrigin);
    s.turn(atmo, facing(end, 2, planetAt, camera));
    s.object("zRingNear", ringHalf("Rings", false, bearing), kOrigin);
    flare(s, "zCrash", "Burst", [](float) { return Vec3{-500, -600, 900}; }, camera, 2400, {0}, 6);
}
