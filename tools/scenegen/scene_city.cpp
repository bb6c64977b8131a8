// The city at nightfall: a dive into an avenue of crystal towers, past a
// spinning prism on the plaza, rising over the roofs. Searchlights sweep,
// beacons blink on the beat, the prism throbs with the kick.
#include <cmath>

#include "tools/scenegen/show_parts.h"

namespace {

const Vec3 kPrism{0, 700, 420};

// A tower: a square with its corners cut, standing on the street, its roof
// dark; no floor, which nobody sees. Windows go round it four to a hundred
// units and the image spans its height. Towers stand turned a quarter of a
// right angle to the streets, so that neither of the two sides a viewer sees
// lies along the line of sight, where the viewer's light would leave it black.
// The image repeats every 1400 units of height, so floors are alike on
// towers of any height, with the neon trim at the top.
MeshData tower(const char* material, float width, float height, float bevel) {
    MeshData t(material);
    const float storey = height / 1400.0f;
    float h = width / 2, in = h - bevel;
    const Vec3 corner[8] = {{in, -h, 0}, {h, -in, 0}, {h, in, 0}, {in, h, 0},
                            {-in, h, 0}, {-h, in, 0}, {-h, -in, 0}, {-in, -h, 0}};
    float u = 0;
    for (int i = 0; i < 8; i++) {
        Vec3 a = corner[i], b = corner[(i + 1) % 8];
        float along = length(b - a) / 100.0f;
        int p = t.addPoint(a + Vec3{0, 0, height / 2}, {u, 0}), q = t.addPoint(b + Vec3{0, 0, height / 2}, {u + along, 0});
        int r = t.addPoint(b - Vec3{0, 0, height / 2}, {u + along, storey}),
            w = t.addPoint(a - Vec3{0, 0, height / 2}, {u, storey});
        Vec3 out = (a + b) * 0.5f;
        t.addFaceFacing(p, q, r, out);
        t.addFaceFacing(p, r, w, out);
        u += along;
    }
    int roof[8];
    for (int i = 0; i < 8; i++) roof[i] = t.addPoint(corner[i] + Vec3{0, 0, height / 2}, {corner[i].x / 100, 0.995f});
    for (int i = 1; i < 7; i++) t.addFaceFacing(roof[0], roof[i], roof[i + 1], kUp);
    t.rotateZ(kPi / 4);
    return t;
}

// A ring of blocks on the horizon, each a flat-topped piece of wall.
MeshData skyline(const char* material, float radius, int blocks, unsigned seed) {
    MeshData wall(material);
    Scatter scatter(seed);
    for (int b = 0; b < blocks; b++) {
        float a0 = kTwoPi * b / blocks, a1 = kTwoPi * (b + 1) / blocks;
        float h = scatter.between(150, 900) * (scatter.next() < 0.15f ? 2.0f : 1.0f);
        Vec3 p0{std::cos(a0) * radius, std::sin(a0) * radius, -20}, p1{std::cos(a1) * radius, std::sin(a1) * radius, -20};
        float u0 = b * 2.0f, u1 = u0 + 2.0f;
        int a = wall.addPoint(p0, {u0, 1}), c = wall.addPoint(p1, {u1, 1});
        int d = wall.addPoint(p1 + Vec3{0, 0, h}, {u1, 1 - h / 1800}), e = wall.addPoint(p0 + Vec3{0, 0, h}, {u0, 1 - h / 1800});
        Vec3 inward = (p0 + p1) * -1.0f;
        wall.addFaceFacing(a, c, d, inward);
        wall.addFaceFacing(a, d, e, inward);
    }
    wall.lightGain = 2.5f;
    return wall;
}

}  // namespace

void buildCity(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 160;
    s.material("Sky", "citysky.png", 0.5f);
    s.material("Street", "pavement.png", 0.5f);
    s.material("Beam", "beam.png", 0.5f);
    s.material("Windows", "windows.png");
    s.material("Ribbons", "ribbons.png");
    s.material("Offices", "offices.png");
    s.material("Roof", "roof.png");
    s.material("Skyline", "skyline.png");
    s.material("Prism", "prism.png");
    s.material("Beacon", "beacon.png", 0.5f);
    s.material("Trail", "trail.png", 0.5f);
    s.material("Lamp", "lamp.png", 0.5f);
    s.material("Pool", "pool.png", 0.5f);
    s.material("Burst", "burst.png", 0.5f);

    Path camera({{0, {0, -3000, 900}},
                 {30, {20, -2050, 300}},
                 {70, {50, -820, 190}},
                 {96, {-40, 60, 230}},
                 {120, {-330, 700, 330}},
                 {146, {-230, 1330, 680}},
                 {static_cast<float>(end), {260, 1050, 1150}}});
    Path target({{0, {0, -200, 150}},
                 {30, {0, -700, 210}},
                 {70, {0, 300, 260}},
                 {96, {0, 700, 380}},
                 {120, kPrism},
                 {146, kPrism},
                 {static_cast<float>(end), kPrism + Vec3{0, 0, -120}}});
    s.camera("Camera01", camera(0), target(0), 58);
    s.cameraPath(sampled(end, 4, camera));
    s.targetPath(sampled(end, 4, target));
    s.roll({{0, 0}, {40, -0.06f}, {75, 0.06f}, {110, -0.1f}, {end, 0.04f}});
    s.light("Omni01", Vec3{0, -4000, 3000});

    s.object("ASky", dome("Sky", 9500, 48, 16, 0.15f, 3), kOrigin);
    s.object("BStreet", plane("Street", 14400, 14400, 8, 48), kOrigin);
    // Searchlights from the plaza's corners, swinging across the sky.
    for (int i = 0; i < 4; i++) {
        float x = (i & 1) ? 700.0f : -700.0f, y = (i & 2) ? 1100.0f : 300.0f;
        MeshData shaft = beam("Beam", 90, 3200);
        shaft.rotateX((i & 2) ? -0.35f : 0.35f);
        Lib3dsNode* light = s.object(numbered("CBeam", i).c_str(), shaft, Vec3{x, y, 0});
        std::vector<TurnKey> sweep{{0, kUp, 0.0f}};
        for (int bar = 0, k = 0; bar < rows; bar += 2 * kBarRows, k++)
            sweep.push_back({rowFrame(bar + 2 * kBarRows) < end ? rowFrame(bar + 2 * kBarRows) : end,
                             Vec3{0, 1, 0}, ((k + i) & 1) ? 0.7f : -0.7f});
        s.turn(light, sweep);
    }

    MeshData near("Windows"), far("Windows"), roofs("Roof");
    MeshData beaconsA("Beacon"), beaconsB("Beacon");
    Scatter scatter(77u);
    const char* facades[3] = {"Windows", "Ribbons", "Offices"};
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 7; k++)
            for (int row = -9; row <= 10; row++) {
                float x = side * (340.0f + 300.0f * k), y = 300.0f * row;
                bool plaza = y > 150 && y < 1250 && k < 4;
                // Mostly middling, a few low, now and then one far taller.
                float pickHeight = scatter.next();
                float h = (pickHeight < 0.2f ? scatter.between(200, 400)
                           : pickHeight < 0.88f ? scatter.between(450, 1100)
                                                 : scatter.between(1400, 2000)) *
                          (k < 3 ? 1.0f : 0.7f);
                float w = scatter.between(150, 230);
                const char* facade = facades[static_cast<int>(scatter.next() * 2.999f)];
                if (plaza) continue;
                (k < 3 ? near : far).append(tower(facade, w, h, k < 3 ? w * 0.1f : 0.0f), Vec3{x, y, h / 2});
                // Near towers often step back into a narrower crown, or end
                // in a pointed roof; the tallest carry a mast.
                float roofType = scatter.next();
                if (k < 3 && roofType < 0.35f) {
                    float top = scatter.between(0.12f, 0.3f) * h;
                    near.append(tower(facade, w * 0.62f, top, w * 0.08f), Vec3{x, y, h + top / 2});
                    h += top;
                } else if (k < 3 && roofType < 0.6f) {
                    float peak = scatter.between(0.5f, 1.1f) * w;
                    MeshData cap = lathe("Roof", {{0, peak}, {w * 0.54f, 0}}, 8);
                    cap.rotateZ(kPi / 8);
                    roofs.append(cap, Vec3{x, y, h});
                    h += peak * 0.7f;
                }
                if (h > 1300 && k < 3) {
                    MeshData mast = chamferBox("Roof", Vec3{10, 10, 220}, 2);
                    roofs.append(mast, Vec3{x, y, h + 110});
                    h += 220;
                }
                if (h > 1000 && k < 5) {
                    MeshData light = glowCross("Beacon", 60);
                    ((row & 1) ? beaconsA : beaconsB).append(light, Vec3{x, y, h + 25});
                }
            }
    near.lightGain = 1.7f;
    far.lightGain = 1.7f;
    roofs.lightGain = 1.7f;
    // Light trails of traffic down the avenue and the cross streets, and a
    // row of lamps along the avenue; the trails creep on through the scene.
    MeshData trails("Trail"), lamps("Lamp");
    Scatter traffic(5u);
    for (int lane = 0; lane < 4; lane++) {
        float x = -60.0f + 40.0f * lane;
        for (int k = 0; k < 16; k++) {
            float y = -3000 + 380.0f * k + traffic.between(0, 200), length = traffic.between(120, 320);
            MeshData streak = plane("Trail", 8, length, 1, 1);
            trails.append(streak, Vec3{x, y, 4});
        }
    }
    for (int row = -9; row <= 10; row++) {
        float y = 300.0f * row + 150;
        for (int k = 0; k < 6; k++) {
            float x = -1800 + 640.0f * k + traffic.between(0, 200), length = traffic.between(200, 400);
            MeshData streak = plane("Trail", length, 8, 1, 1);
            trails.append(streak, Vec3{x, y, 4});
        }
    }
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 40; k++) lamps.append(glowCross("Lamp", 34), Vec3{side * 150.0f, -3000 + 150.0f * k, 60});
    for (int row = -9; row <= 10; row++)
        for (int k = 1; k <= 7; k++)
            for (int side = -1; side <= 1; side += 2)
                lamps.append(glowCross("Lamp", 30), Vec3{side * (190.0f + 300.0f * k), 300.0f * row + 150, 50});
    Lib3dsNode* trailNode = s.object("BTrails", trails, kOrigin);
    s.move(trailNode, {{0, kOrigin}, {end, {0, 700, 0}}});
    s.object("BLamps", lamps, kOrigin);
    s.object("Towers", near, kOrigin);
    s.object("TowerRoofs", roofs, kOrigin);
    s.object("TowersFar", far, kOrigin);
    s.object("Skyline", skyline("Skyline", 6800, 140, 11u), kOrigin);

    // The prism: eight sharp facets a side, spinning, throbbing on the kick.
    MeshData prism = lathe("Prism", {{0, 260}, {95, 30}, {70, -60}, {0, -240}}, 8);
    prism.lightGain = 2.0f;
    Lib3dsNode* crystal = s.object("Prism", prism, kPrism);
    s.turn(crystal, spin(0, end, kUp, 1.0f));
    s.resize(crystal, pulses(end, everyRows(0, rows, kBeatRows), Vec3{1, 1, 1}, Vec3{1.12f, 1.12f, 1.12f}, 3));
    s.move(crystal, sampled(end, 8, [end](float f) {
        return kPrism + Vec3{0, 0, 40 * std::sin(kTwoPi * 2 * f / end)};
    }));

    // A ring of light on the plaza round the prism, swelling on each bar.
    Lib3dsNode* pool = s.object("BPool", annulus("Pool", 160, 420, 128, 4), kPrism * Vec3{1, 1, 0});
    s.resize(pool, pulses(end, everyRows(0, rows, kBarRows), Vec3{1, 1, 1}, Vec3{1.5f, 1.5f, 1}, 6));

    // Beacons on the tallest roofs blink in two sets, on alternate beats.
    Lib3dsNode* a = s.object("zBeaconA", beaconsA, kOrigin);
    Lib3dsNode* b = s.object("zBeaconB", beaconsB, kOrigin);
    const Vec3 off{0.2f, 0.2f, 0.2f};
    s.resize(a, pulses(end, everyRows(0, rows, 2 * kBeatRows), off, Vec3{1, 1, 1}, 2));
    s.resize(b, pulses(end, everyRows(kBeatRows, rows, 2 * kBeatRows), off, Vec3{1, 1, 1}, 2));
    Track prismAt = [](float) { return kPrism; };
    flare(s, "zPrism", "Burst", prismAt, camera, 420, everyRows(0, rows, kBarRows), 4);
    flare(s, "zCrash", "Burst", [camera](float) { return camera(0) + Vec3{0, 1200, -500}; }, camera, 2000, {0}, 6);
}
