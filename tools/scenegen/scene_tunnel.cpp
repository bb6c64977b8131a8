// The climax: a flight down a cold neon tube, through a hoop on every beat,
// a jump into a vast hall where gear wheels turn on the bars, and another
// into a hot red tube, faster and rolling, towards the light.
//
// Additive walls hide nothing behind them, so each stretch, and each bar's
// hoops, are shown only while the camera is near them; the jumps between
// stretches fall on bars, under a flash.
#include <algorithm>
#include <cmath>

#include "tools/scenegen/show_parts.h"

namespace {

// The three stretches, in rows of the scene.
const int kHallRow = 112, kHotRow = 224;

// Beyond the camera's path the tube runs on straight.
Vec3 centreAt(const Path& camera, float f, int end) {
    if (f < 0) return camera(0) + (camera(0) - camera(1)) * -f;
    if (f > end) return camera(static_cast<float>(end)) + (camera(end) - camera(end - 1)) * (f - end);
    return camera(f);
}

// The tube from frame `from` to frame `to`, a ring every other frame.
MeshData stretch(const char* material, const Path& camera, int end, int from, int to, float radius) {
    std::vector<Vec3> path;
    float length = 0;
    for (int f = from; f <= to; f += 2) {
        path.push_back(centreAt(camera, static_cast<float>(f), end));
        if (f > from) length += ::length(path.back() - path[path.size() - 2]);
    }
    return tube(material, path, radius, radius > 300 ? 32 : 20, Facing::Inside, length / (radius > 300 ? 800 : 400));
}

}  // namespace

void buildTunnel(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 320;
    s.material("Cold", "tubecold.png", 0.5f);
    s.material("Hall", "hall.png", 0.5f);
    s.material("Hot", "tubehot.png", 0.5f);
    s.material("HoopA", "hoopa.png", 0.5f);
    s.material("HoopB", "hoopb.png", 0.5f);
    s.material("Steel", "steel.png");
    s.material("Portal", "portal.png", 0.5f);
    s.material("Probe", "gold.png");
    s.material("Glow", "burst.png", 0.5f);

    Path camera({{0, {0, 0, 0}},             {30, {180, 1050, 80}},    {60, {-120, 2100, -60}},
                 {90, {100, 3150, 60}},       {120, {0, 4200, 0}},      {150, {-250, 5250, 150}},
                 {180, {200, 6300, -100}},    {210, {-150, 7350, 80}},  {240, {0, 8400, 0}},
                 {270, {320, 9750, 160}},     {300, {-320, 11100, -160}}, {322, {160, 12100, 100}},
                 {static_cast<float>(end), {0, 13100, 0}}});
    Track ahead = [&camera, end](float f) { return centreAt(camera, f + 7, end); };
    s.camera("Camera01", camera(0), ahead(0), 70);
    s.cameraPath(sampled(end, 2, camera));
    s.targetPath(sampled(end, 2, ahead));
    // A slow roll in the cold tube, level in the hall, a fast one in the hot
    // tube, where the view also punches wider on every beat.
    int hall = rowFrame(kHallRow), hot = rowFrame(kHotRow);
    s.roll({{0, 0}, {hall - 10, kPi / 2}, {hall + 20, 0}, {hot, 0}, {end, -kTwoPi * 0.75f}});
    std::vector<ValueKey> fov = fovPunches(end, everyRows(kHotRow, rows, kBeatRows), 70, 77, 3);
    fov.front().value = 70;
    s.fov(fov);
    s.light("Omni01", Vec3{0, -2000, 2000});

    s.resize(placed(s, "ATubeA", stretch("Cold", camera, end, -20, hall + 60, 150)), shownBetween(end, 0, hall - 1));
    s.resize(placed(s, "ATubeB", stretch("Hall", camera, end, hall - 3, hot + 25, 650)), shownBetween(end, hall, hot - 1));
    s.resize(placed(s, "ATubeC", stretch("Hot", camera, end, hot - 3, end + 20, 150)), shownBetween(end, hot, end));

    // A hoop where the camera is at each beat in the tubes, the colour
    // changing with the bar; a bar's hoops light up a bar ahead.
    for (int bar = 0; bar < rows; bar += kBarRows) {
        if (bar >= kHallRow && bar < kHotRow) continue;
        const char* material = (bar / kBarRows) % 2 ? "HoopB" : "HoopA";
        MeshData hoops(material);
        for (int row = bar; row < bar + kBarRows; row += kBeatRows) {
            float f = rowTime(static_cast<float>(row));
            MeshData hoop = annulus(material, 108, 136, 32, 1);
            hoop.orient(camera(f + 0.5f) - camera(f - 0.5f));
            hoops.append(hoop, camera(f));
        }
        int from = std::max(bar == kHotRow ? hot : 0, rowFrame(bar - kBarRows));
        int to = std::min(rowFrame(bar + kBarRows + 2), bar < kHallRow ? hall - 1 : end);
        s.resize(placed(s, numbered("BHoops", bar / kBarRows).c_str(), hoops), shownBetween(end, from, to));
    }

    // In the hall, the camera flies through a gear wheel on every other bar.
    for (int i = 0; i < 3; i++) {
        int row = kHallRow + kBarRows * (1 + 2 * i);
        float f = rowTime(static_cast<float>(row));
        Vec3 along = camera(f + 0.5f) - camera(f - 0.5f);
        MeshData wheel = torus("Steel", 470, 34, 48, 10);
        for (int t = 0; t < 12; t++) {
            MeshData tooth = chamferBox("Steel", Vec3{60, 60, 120}, 10);
            tooth.rotateY(kPi / 2);
            tooth.rotateZ(kTwoPi * t / 12);
            float a = kTwoPi * t / 12;
            wheel.append(tooth, Vec3{std::cos(a) * 410, std::sin(a) * 410, 0});
        }
        wheel.orient(along);
        wheel.lightGain = 1.8f;
        Lib3dsNode* node = s.object(numbered("Wheel", i).c_str(), wheel, camera(f));
        s.turn(node, kicks(end, everyRows(kHallRow + i * 8, kHotRow, kBarRows), along, (i & 1) ? 0.5f : -0.5f, 3));
        s.resize(node, shownBetween(end, hall, hot - 1));
        flare(s, numbered("zWheel", i).c_str(), "Glow", [&camera, f](float) { return camera(f + 5); }, camera, 1300,
              {row}, 5);
    }

    // The far end of the hall is a swirling portal, the way into the hot tube.
    Track portalAt = [&camera, hot](float) { return camera(hot + 4.0f); };
    Lib3dsNode* portal = s.object("BPortal", glowSprite("Portal", 1300), portalAt(0));
    s.turn(portal, facing(end, 4, portalAt, camera));
    s.resize(portal, shownBetween(end, hall, hot - 1));

    // The probe the camera chases, half a second ahead, throbbing on the kick.
    MeshData cube = roundedBox("Probe", Vec3{46, 46, 46}, 8);
    cube.lightGain = 1.8f;
    Track probeAt = [&camera, end](float f) { return centreAt(camera, f + 6, end); };
    Lib3dsNode* probe = s.object("Probe", cube, probeAt(0));
    s.move(probe, sampled(end, 2, probeAt));
    s.turn(probe, spin(0, end, Vec3{1, 1, 0}, 7.0f));
    s.resize(probe, pulses(end, everyRows(0, rows, kBeatRows), Vec3{1, 1, 1}, Vec3{1.3f, 1.3f, 1.3f}, 3));
    flare(s, "zProbe", "Glow", probeAt, camera, 200, everyRows(0, rows, kBeatRows), 3);
    flare(s, "zCrash", "Glow", probeAt, camera, 1600, {0}, 6);
    flare(s, "zJump", "Glow", probeAt, camera, 1100, {kHallRow, kHotRow}, 5);
}
