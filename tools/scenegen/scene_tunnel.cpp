// The climax: a flight down a cold neon tube behind a golden probe, through
// a hoop on every beat, a jump into a vast hall where gear wheels turn on the
// bars, and another into a hot red tube, faster and rolling, towards the
// light. It is cut as a sequence: the camera changes its place on the bars
// (a key pair a frame apart), surges on the third beat of each bar, and
// rolls a step on every beat.
//
// Additive walls hide nothing behind them, so each stretch, and each bar's
// hoops, are shown only while the camera is near them; the jumps between
// stretches fall on bars, under a flash.
#include <algorithm>
#include <cmath>
#include <string>

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

// The ride's place on its route at scene frame f: each bar's first half a
// third slower, its second half as much faster, so it surges on the third
// beat and is back on time at every bar line.
float routeFrame(float f) {
    const float bar = rowTime(kBarRows);
    float t = f / bar - std::floor(f / bar);
    return f - 0.33f * bar * (t < 0.5f ? t : 1.0f - t);
}

// Where the camera stands, shot by shot.
enum class Shot { Chase, Ahead, Wall, Low };

// The shot of each bar (20 bars); in the hot tube's last two bars, of each half bar.
Shot shotAt(int row) {
    static const Shot bars[20] = {Shot::Chase, Shot::Chase, Shot::Wall, Shot::Chase, Shot::Ahead, Shot::Chase,
                                  Shot::Low,   Shot::Chase, Shot::Wall, Shot::Chase, Shot::Ahead, Shot::Chase,
                                  Shot::Low,   Shot::Chase, Shot::Chase, Shot::Ahead, Shot::Wall, Shot::Chase,
                                  Shot::Low,   Shot::Ahead};
    int bar = std::min(19, row / kBarRows);
    if (bar >= 18) return (row / 8) % 2 ? Shot::Chase : bars[bar];
    return bars[bar];
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
    s.material("Probe", "probe.png");
    s.material("Glow", "burst.png", 0.5f);

    // The route's shape, by route frame; the tubes are built along it.
    Path route({{0, {0, 0, 0}},             {30, {180, 1050, 80}},    {60, {-120, 2100, -60}},
                {90, {100, 3150, 60}},       {120, {0, 4200, 0}},      {150, {-250, 5250, 150}},
                {180, {200, 6300, -100}},    {210, {-150, 7350, 80}},  {240, {0, 8400, 0}},
                {270, {150, 9750, 80}},      {300, {-150, 11100, -80}},  {322, {80, 12100, 50}},
                {static_cast<float>(end), {0, 13100, 0}}});
    // The ride (where the probe leads the camera) at scene frame f, `lead` route frames on.
    auto ride = [&route, end](float f, float lead) { return centreAt(route, routeFrame(f) + lead, end); };
    Track onRide = [&ride](float f) { return ride(f, 0); };
    Track probeAt = [&ride](float f) { return ride(f, 6); };
    int hall = rowFrame(kHallRow), hot = rowFrame(kHotRow);
    auto eye = [&](float f, Shot shot) {
        Vec3 here = ride(f, 0), along = normalized(ride(f, 1) - here);
        Vec3 side = normalized(cross(along, kUp));
        float wide = f >= hall && f < hot ? 4.0f : 1.0f;  // the hall is four times the tube's width
        switch (shot) {
            case Shot::Ahead: return ride(f, 14);
            // Off the axis, but well inside the hoops' hole (108).
            case Shot::Wall: return ride(f, 2) + side * (70 * wide) + kUp * (20 * wide);
            case Shot::Low: return ride(f, 3) - kUp * (70 * wide) - side * (25 * wide);
            case Shot::Chase: break;
        }
        return here;
    };
    auto look = [&](float f, Shot shot) { return shot == Shot::Chase ? ride(f, 7) : probeAt(f); };
    auto shotOf = [](float f) { return shotAt(static_cast<int>(f * 100.0f / rowTime(100.0f))); };
    Track cameraAt = [&eye, &shotOf](float f) { return eye(f, shotOf(f)); };
    // Keys every other frame, and at each cut a key pair a frame apart, both
    // without slope so the spline does not swing past either place.
    std::vector<PositionKey> eyeKeys, lookKeys;
    Shot was = shotOf(0);
    for (int f = 0; f <= end; f++) {
        Shot shot = shotOf(static_cast<float>(f));
        bool cut = shot != was;
        if (cut) {
            if (eyeKeys.back().frame == f - 1) {
                eyeKeys.pop_back();
                lookKeys.pop_back();
            }
            eyeKeys.push_back({f - 1, eye(f - 1.0f, was), 1.0f});
            lookKeys.push_back({f - 1, look(f - 1.0f, was), 1.0f});
        }
        if (cut || f % 2 == 0 || f == end) {
            eyeKeys.push_back({f, eye(static_cast<float>(f), shot), cut ? 1.0f : 0.0f});
            lookKeys.push_back({f, look(static_cast<float>(f), shot), cut ? 1.0f : 0.0f});
        }
        was = shot;
    }
    s.camera("Camera01", eyeKeys.front().value, lookKeys.front().value, 70);
    s.cameraPath(eyeKeys);
    s.targetPath(lookKeys);

    // A roll a step each beat, alternately left and right in the cold tube,
    // level in the hall, and in the hot tube a step round on every beat.
    std::vector<ValueKey> roll{{0, 0, 1.0f}};
    for (int row = kBeatRows; row < rows; row += kBeatRows) {
        int f = rowFrame(row);
        float to;
        if (row < kHallRow) to = 0.28f * ((row / kBeatRows) % 4 == 1 ? 1 : (row / kBeatRows) % 4 == 3 ? -1 : 0);
        else if (row < kHotRow) to = 0;
        else to = -kPi / 8 * ((row - kHotRow) / kBeatRows + 1);
        if (to == roll.back().value) continue;
        roll.push_back({f, roll.back().value, 1.0f});
        roll.push_back({f + 2, to, 1.0f});
    }
    roll.push_back({end, roll.back().value, 1.0f});
    s.roll(roll);
    std::vector<ValueKey> fov = fovPunches(end, everyRows(kHotRow, rows, kBeatRows), 70, 77, 3);
    fov.front().value = 70;
    s.fov(fov);
    s.light("Omni01", Vec3{0, -2000, 2000});

    // Each tube in pieces of a little more than a bar, a piece shown only from
    // a few bars before the ride reaches it until just after it has passed
    // (no shot looks back past the ride): the
    // walls are additive, and where a tube bends back into view its far part
    // would shine through as a coil of rings.
    struct Stretch {
        const char* name;
        const char* material;
        int from, to, shownFrom, shownTo;
        float radius;
    };
    const Stretch stretches[3] = {{"ATubeA", "Cold", -20, hall + 60, 0, hall - 1, 150},
                                  {"ATubeB", "Hall", hall - 3, hot + 25, hall, hot - 1, 650},
                                  {"ATubeC", "Hot", hot - 3, end + 20, hot, end, 150}};
    const int piece = 20;
    for (const Stretch& t : stretches) {
        for (int a = t.from, k = 0; a < t.to; a += piece, k++) {
            int b = std::min(t.to, a + piece);
            std::string name = std::string(t.name) + static_cast<char>('a' + k / 26) + static_cast<char>('a' + k % 26);
            // The hot tube winds tighter: less of it ahead.
            int ahead = t.radius < 300 && t.from >= hot - 3 ? 36 : 50;
            int from = std::max(t.shownFrom, a - ahead), to = std::min(t.shownTo, b + 4);
            if (from > to) continue;
            s.resize(placed(s, name.c_str(), stretch(t.material, route, end, a, b, t.radius)),
                     shownBetween(end, from, to));
        }
    }

    // A hoop where the ride is at each beat in the tubes, the colour changing
    // with the bar. Each shows only from two beats before it is passed, so no
    // coil of later hoops shines through the walls where the tube bends.
    for (int row = 0; row < rows; row += kBeatRows) {
        if (row >= kHallRow && row < kHotRow) continue;
        const char* material = (row / kBarRows) % 2 ? "HoopB" : "HoopA";
        float f = rowTime(static_cast<float>(row));
        MeshData hoop = annulus(material, 108, 136, 32, 1);
        hoop.orient(onRide(f + 0.5f) - onRide(f - 0.5f));
        int from = std::max(row >= kHotRow ? hot : 0, rowFrame(row - 2 * kBeatRows));
        int to = std::min(rowFrame(row) + 1, row < kHallRow ? hall - 1 : end);
        s.resize(s.object(numbered("BHoop", row / kBeatRows).c_str(), hoop, onRide(f)), shownBetween(end, from, to));
    }

    // In the hall, the ride passes through a gear wheel on every other bar.
    for (int i = 0; i < 3; i++) {
        int row = kHallRow + kBarRows * (1 + 2 * i);
        float f = rowTime(static_cast<float>(row));
        Vec3 along = onRide(f + 0.5f) - onRide(f - 0.5f);
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
        Lib3dsNode* node = s.object(numbered("Wheel", i).c_str(), wheel, onRide(f));
        s.turn(node, kicks(end, everyRows(kHallRow + i * 8, kHotRow, kBarRows), along, (i & 1) ? 0.5f : -0.5f, 3));
        s.resize(node, shownBetween(end, hall, hot - 1));
        // A short flash as the ride passes, no wider than the wheel.
        flare(s, numbered("zWheel", i).c_str(), "Glow", [&onRide, f](float) { return onRide(f + 5); }, cameraAt, 520,
              {row}, 3);
    }

    // The far end of the hall is a swirling portal, the way into the hot tube.
    Track portalAt = [&onRide, hot](float) { return onRide(hot + 4.0f); };
    Lib3dsNode* portal = s.object("BPortal", sprite("Portal", 1300, 1300), portalAt(0));
    s.turn(portal, facing(end, 4, portalAt, cameraAt));
    s.resize(portal, shownBetween(end, hall, hot - 1));

    // The probe the camera chases: a plated hull with a band of lights,
    // throbbing on the kick and tumbling on.
    MeshData hull = roundedBox("Probe", Vec3{52, 52, 52}, 9);
    hull.lightGain = 1.8f;
    Lib3dsNode* probe = s.object("Probe", hull, probeAt(0));
    s.move(probe, sampled(end, 1, probeAt));
    s.turn(probe, spin(0, end, Vec3{1, 1, 0}, 7.0f));
    s.resize(probe, pulses(end, everyRows(0, rows, kBeatRows), Vec3{1, 1, 1}, Vec3{1.3f, 1.3f, 1.3f}, 3));
    flare(s, "zProbe", "Glow", probeAt, cameraAt, 150, everyRows(0, rows, kBeatRows), 3);
    flare(s, "zCrash", "Glow", probeAt, cameraAt, 1600, {0}, 6);
    flare(s, "zJump", "Glow", probeAt, cameraAt, 300, {kHallRow, kHotRow}, 2);
}
