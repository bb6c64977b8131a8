// The finale: low over a sunset sea between rocks, through three golden
// rings on the bars, slowing as the name drops onto the water in front of
// the sun; the final hit flashes, and an iris closes the show to black.
#include <cmath>

#include "tools/scenegen/show_parts.h"
#include "tools/xmgen/score.h"

namespace {

// The score's final hit, in rows of this scene; the song fades after it.
const int kFinalHitRow = score::kFinalHit - score::kCuts[6];
const int kRingRows[3] = {64, 128, 192};
const Vec3 kRings[3] = {{-150, -2000, 240}, {150, -200, 240}, {0, 1400, 240}};
const Vec3 kTitleAt{0, 4200, 0};
// The climax's last six bars, and where the name starts to drop.
const int kClimaxRow = 192, kNameRow = 256;

// A firework: sparks on two shells about its middle, each with a streak
// back towards the middle, flattened in depth so that from the water it
// reads as a full disc facing the camera (which looks along +y).
MeshData firework(const char* material, float radius, unsigned seed) {
    MeshData burst(material);
    Scatter spray(seed);
    for (int p = 0; p < 120; p++) {
        float shell = p % 3 == 0 ? 0.6f : 1.0f;
        float z = spray.between(-1, 1), a = spray.between(0, kTwoPi), r = std::sqrt(1 - z * z);
        Vec3 dir = normalized(Vec3{std::cos(a) * r, std::sin(a) * r * 0.3f, z});
        Vec3 tip = dir * (radius * shell * spray.between(0.85f, 1.05f));
        burst.append(glowCross(material, spray.between(60, 95) * shell), tip);
        Vec3 side = normalized(cross(dir, Vec3{0, 1, 0})) * (9.0f * shell);
        Vec3 tail = tip * 0.45f;
        int q0 = burst.addPoint(tail - side, {0, 0}), q1 = burst.addPoint(tail + side, {1, 0});
        int q2 = burst.addPoint(tip + side, {1, 1}), q3 = burst.addPoint(tip - side, {0, 1});
        burst.addFaceFacing(q0, q1, q2, Vec3{0, -1, 0});
        burst.addFaceFacing(q0, q2, q3, Vec3{0, -1, 0});
    }
    return burst;
}

}  // namespace

void buildSea(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 320;
    s.material("Sky", "sunsetsky.png", 0.5f);
    s.material("Sun", "sunsetglow.png", 0.5f);
    s.material("Sea", "sea.png", 0.5f);
    s.material("Glitter", "glitter.png", 0.5f);
    s.material("Rock", "seastone.png");
    s.material("Hoop", "hoopgold.png");
    s.material("Chrome", "chrome.png");
    s.material("Burst", "goldburst.png", 0.5f);
    s.material("Black", "black.png");
    s.material("SparkViolet", "sparkviolet.png", 0.5f);
    s.material("SparkRose", "sparkrose.png", 0.5f);
    s.material("SparkCyan", "sparkcyan.png", 0.5f);

    const float ringFrame[3] = {rowTime(kRingRows[0]), rowTime(kRingRows[1]), rowTime(kRingRows[2])};
    // Slowing all the way: fast through the rings, nearly still at the end.
    Path camera({{0, {-300, -4300, 300}},
                 {ringFrame[0], kRings[0]},
                 {ringFrame[1], kRings[1]},
                 {ringFrame[2], kRings[2]},
                 {262, {0, 2500, 190}},
                 {300, {0, 2880, 160}},
                 {static_cast<float>(end), {0, 3000, 150}}});
    Track target = [&camera, end](float f) {
        Vec3 ahead = camera(f) + Vec3{0, 2200, -40};
        Vec3 title = kTitleAt + Vec3{0, 0, 120};
        float k = smoothStep((f - 225) / 50.0f);
        return ahead * (1 - k) + title * k;
    };
    s.camera("Camera01", camera(0), target(0), 54);
    s.cameraPath(sampled(end, 2, camera));
    s.targetPath(sampled(end, 2, target));
    std::vector<ValueKey> fov = fovPunches(end, everyRows(0, kFinalHitRow, kBarRows), 54, 57, 4);
    s.fov(fov);
    s.roll({{0, 0.1f}, {70, -0.08f}, {140, 0.07f}, {210, -0.04f}, {260, 0}, {end, 0}});
    s.light("Omni01", Vec3{0, 9000, 1300});

    s.object("ASky", dome("Sky", 9800, 48, 16, 0.1f, 2), kOrigin);
    const Vec3 sunAt{0, 9300, 1350};
    Lib3dsNode* sun = s.object("BSun", sprite("Sun", 2900, 2900), sunAt);
    s.turn(sun, facing(end, 8, [sunAt](float) { return sunAt; }, camera));
    s.resize(sun, pulses(end, everyRows(0, kFinalHitRow, kBeatRows), Vec3{1, 1, 1}, Vec3{1.06f, 1.06f, 1.06f}, 3));
    Lib3dsNode* sea = s.object("CSea", plane("Sea", 19000, 19000, 12, 22), kOrigin);
    s.move(sea, {{0, kOrigin}, {end, {200, 900, 0}}});
    // The sun's path on the water, following the camera across.
    MeshData path("Glitter");
    int a = path.addPoint({-120, 300, 2}, {0, 1}), b = path.addPoint({120, 300, 2}, {1, 1});
    int c = path.addPoint({700, 9000, 2}, {1, 0}), d = path.addPoint({-700, 9000, 2}, {0, 0});
    path.addFaceFacing(a, b, c, kUp);
    path.addFaceFacing(a, c, d, kUp);
    Lib3dsNode* glitter = s.object("DGlitter", path, Vec3{0, 0, 0});
    s.move(glitter, sampled(end, 4, [&camera](float f) { return Vec3{camera(f).x * 0.9f, camera(f).y, 0}; }));

    // Rocks along the way, and two stacks that frame the name at the end:
    // rough columns, broad at the waterline, narrowing to a ragged top.
    Scatter scatter(99u);
    for (int i = 0; i < 9; i++) {
        float side = (i & 1) ? 1.0f : -1.0f;
        bool stack = i >= 7;
        float r = stack ? 190.0f : scatter.between(110, 220), h = r * (stack ? 5.0f : scatter.between(1.6f, 3.2f));
        MeshData stone = lathe("Rock", {{0, h}, {0.55f * r, 0.97f * h}, {0.75f * r, 0.8f * h}, {0.8f * r, 0.55f * h},
                                         {0.95f * r, 0.3f * h}, {1.2f * r, 0.05f * h}, {1.3f * r, -20}},
                               24, 2);
        stone.roughen(0.22f * r, 0.45f * r, 500u + i);
        stone.lightGain = 2.2f;
        Vec3 at = stack ? Vec3{side * 1050, 4700, 0} : Vec3{side * scatter.between(650, 1400), -3200 + 800.0f * i, 0};
        s.object(numbered("Rock", i).c_str(), stone, at);
    }

    // The climax: a firework bursts open in the middle of the view on every
    // snare of the last six bars, the sky filling as the song peaks, and from
    // the name's first letter on smaller ones answer on the kicks at the sides.
    // Each sits above the line of sight, clear of the name and of the top edge.
    const char* sparks[3] = {"SparkViolet", "SparkRose", "SparkCyan"};
    auto burstAt = [&camera, &target](int frame, float side, float rise) {
        Vec3 from = camera(static_cast<float>(frame));
        Vec3 look = normalized(target(static_cast<float>(frame)) - from);
        Vec3 across = normalized(cross(look, kUp));
        return from + look * 2600.0f + across * side + kUp * rise;
    };
    int bursts = 0;
    for (int row = kClimaxRow; row < kFinalHitRow; row += kBeatRows) {
        // The first on the downbeat that opens the six bars.
        bool snare = row % kBarRows == 4 || row % kBarRows == 12 || row == kClimaxRow;
        if (!snare && row < kNameRow - 2 * kBarRows) continue;
        int k = bursts++;
        float radius = snare ? 640.0f : 380.0f;
        float side = snare ? 260.0f * ((k % 3) - 1) : ((row / 8) % 2 ? 900.0f : -900.0f);
        float rise = snare ? 520.0f : 760.0f;
        Lib3dsNode* node = s.object(numbered("zFirework", k).c_str(), firework(sparks[k % 3], radius, 900u + k),
                                    burstAt(rowFrame(row), side, rise));
        int h = rowFrame(row);
        // Opens from a tight knot, spreads, and is gone before the next.
        s.resize(node, eased<PositionKey>({{0, kHidden},
                                           {h - 1, kHidden},
                                           {h, {0.2f, 0.2f, 0.2f}},
                                           {h + 2, {0.8f, 0.8f, 0.8f}},
                                           {h + 7, {1.15f, 1.15f, 1.15f}},
                                           {h + 8, kHidden},
                                           {end, kHidden}}));
    }
    for (int i = 0; i < 3; i++) {
        MeshData ring = torus("Hoop", 200, 24, 48, 10, 8);
        Vec3 along = camera(ringFrame[i] + 0.5f) - camera(ringFrame[i] - 0.5f);
        ring.orient(along);
        ring.lightGain = 1.8f;
        Lib3dsNode* node = s.object(numbered("Ring", i).c_str(), ring, kRings[i]);
        s.resize(node, pulses(end, everyRows(0, kFinalHitRow, kBeatRows), Vec3{1, 1, 1}, Vec3{1.06f, 1.06f, 1.06f}, 3));
        // The flash lies a little ahead, where the camera is looking as it passes.
        Vec3 ahead = camera(ringFrame[i] + 6);
        flare(s, numbered("zRing", i).c_str(), "Burst", [ahead](float) { return ahead; }, camera, 700, {kRingRows[i]}, 4);
    }

    // The name drops onto the water a letter a beat, as it did at the start,
    // and hops once more on the final hit.
    int hit = rowFrame(kFinalHitRow);
    droppingName(s, kTitleAt, kNameRow, camera, "Burst", [hit](int i, Vec3 home, std::vector<PositionKey>& keys) {
        keys.push_back({hit - 1, home});
        keys.push_back({hit + i / 3, home + Vec3{0, 0, 40}});
        keys.push_back({hit + 3 + i / 3, home});
    });
    flare(s, "zFinal", "Burst", [](float) { return kTitleAt + Vec3{0, 300, 250}; }, camera, 5200, {kFinalHitRow}, 9);
    flare(s, "zCrash", "Burst", [&camera](float) { return camera(0) + Vec3{0, 1500, 100}; }, camera, 2400, {0}, 6);

    // The iris: a black ring close before the camera whose hole shrinks to
    // nothing over the song's fade, drawn last so that it covers all. It is
    // so wide that it still covers the view when its hole is too small to see.
    MeshData iris = annulus("Black", 1, 2000, 48, 1);
    iris.rotateX(kPi / 2);
    Track irisAt = [&camera, &target](float f) { return camera(f) + normalized(target(f) - camera(f)) * 30.0f; };
    Lib3dsNode* irisNode = s.object("~Iris", iris, irisAt(0));
    s.move(irisNode, sampled(end, 2, irisAt));
    s.turn(irisNode, facing(end, 2, irisAt, camera));
    int opens = rowFrame(kFinalHitRow + 6), shut = rowFrame(rows - 3);
    // Until it closes, its hole is wider than the view, never smaller.
    s.resize(irisNode, eased<PositionKey>({{0, {1000, 1000, 1000}},
                                           {opens, {30, 30, 30}},
                                           {shut, {0.014f, 0.014f, 0.014f}},
                                           {end, {0.014f, 0.014f, 0.014f}}}));
}
