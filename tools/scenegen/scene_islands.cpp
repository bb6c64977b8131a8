// Above the clouds at golden hour: a flight among floating islands with
// trees and waterfalls, round the largest, where an orb hovers in a ring of
// standing stones and throbs with the kick.
#include <cmath>

#include "tools/scenegen/show_parts.h"

namespace {

struct Isle {
    Vec3 at;
    float radius;
};

const Isle kIsles[] = {{{0, 0, 0}, 650},        {{-1700, 900, 250}, 380}, {{1600, 1500, -150}, 320},
                       {{-1000, -1600, -350}, 280}, {{1900, -900, 300}, 240}, {{300, 2700, 450}, 300}};
const Vec3 kOrb{0, 0, 230};

// A floating island: a grassy cap over a rough cone of rock, its rock
// lighter under the rim and dark towards the tip.
MeshData island(float r, unsigned seed, int segments) {
    MeshData isle = lathe("Grass",
                          {{0, 0.1f * r}, {0.3f * r, 0.09f * r}, {0.55f * r, 0.07f * r}, {0.75f * r, 0.045f * r},
                           {0.92f * r, 0.01f * r}, {r, -0.04f * r}},
                          segments, 3);
    MeshData rock = lathe("Cliff",
                          {{r, -0.04f * r}, {0.98f * r, -0.12f * r}, {0.95f * r, -0.2f * r}, {0.89f * r, -0.31f * r},
                           {0.82f * r, -0.42f * r}, {0.75f * r, -0.54f * r}, {0.68f * r, -0.66f * r},
                           {0.5f * r, -0.92f * r}, {0.3f * r, -1.2f * r}, {0.12f * r, -1.45f * r}, {0, -1.6f * r}},
                          segments, 2);
    isle.append(rock, kOrigin);
    isle.roughen(0.09f * r, 0.3f * r, seed);
    isle.lightGain = 1.5f;
    return isle;
}

// Dark firs scattered on an island's cap.
MeshData trees(const Isle& isle, int count, unsigned seed) {
    MeshData forest("Fir");
    Scatter scatter(seed);
    for (int i = 0; i < count; i++) {
        float a = scatter.between(0, kTwoPi), d = scatter.between(0.35f, 0.8f) * isle.radius;
        float h = scatter.between(90, 170);
        MeshData fir = lathe("Fir", {{0, h}, {h * 0.28f, h * 0.25f}, {h * 0.06f, 0}, {0, 0}}, 8);
        forest.append(fir, Vec3{std::cos(a) * d, std::sin(a) * d, 0.04f * isle.radius});
    }
    forest.lightGain = 1.6f;
    return forest;
}

}  // namespace

void buildIslands(SceneBuilder& s) {
    int end = s.frames();
    const int rows = 180;
    s.material("Sky", "daysky.png", 0.5f);
    s.material("Sun", "sunglow.png", 0.5f);
    s.material("Clouds", "clouds.png", 0.5f);
    s.material("CloudEdge", "cloudedge.png", 0.5f);
    s.material("Falls", "falls.png", 0.5f);
    s.material("Grass", "grass.png");
    s.material("Cliff", "cliff.png");
    s.material("Fir", "fir.png");
    s.material("Stone", "marble.png");
    s.material("Orb", "orb.png");
    s.material("Glow", "orbglow.png", 0.5f);
    s.material("Burst", "burst.png", 0.5f);
    s.material("Mote", "mote.png", 0.5f);
    s.material("Black", "black.png");

    Path camera({{0, {-2700, -3900, 900}},
                 {50, {-1350, -2450, 330}},
                 {100, {850, -1600, 180}},
                 {150, {1500, 250, 700}},
                 {static_cast<float>(end), {600, 1350, 1080}}});
    Path target({{0, {0, 0, 0}}, {50, {-200, -200, 50}}, {100, kOrb}, {static_cast<float>(end), kOrb + Vec3{0, 0, -80}}});
    s.camera("Camera01", camera(0), target(0), 55);
    s.cameraPath(sampled(end, 4, camera));
    s.targetPath(sampled(end, 4, target));
    s.roll({{0, -0.12f}, {60, 0.08f}, {120, -0.06f}, {end, 0.02f}});
    s.light("Omni01", Vec3{3500, 8000, 900});

    s.object("ASky", dome("Sky", 9500, 48, 16, 0.2f, 2), kOrigin);
    const Vec3 sunAt{3800, 8200, 1000};
    Lib3dsNode* sun = s.object("BSun", sprite("Sun", 2600, 2600), sunAt);
    s.turn(sun, facing(end, 8, [sunAt](float) { return sunAt; }, camera));
    // The cloud sea: a disc of clouds, and round it a ring that rises gently
    // towards the horizon and fades from the clouds' distant colour to
    // nothing, into the haze the sky keeps below the horizon. Both inside
    // the sky, built on the same circle, so nothing overlaps or gapes.
    const int segments = 96;
    const float inner = 6000, outer = 9200;
    MeshData sea = annulus("Clouds", 0, inner, segments, 24);
    for (size_t i = 0; i < sea.points.size(); i++)  // the image laid flat, not wrapped round
        sea.texels[i] = Uv{sea.points[i].x / 3800.0f, sea.points[i].y / 3800.0f};
    MeshData rim = annulus("CloudEdge", inner, outer, segments, 8, 12);
    for (size_t i = 0; i < rim.points.size(); i++) {
        Vec3& p = rim.points[i];
        float t = (length(p) - inner) / (outer - inner);
        p.z = 1500 * t * t;
        rim.texels[i].v = 0.02f + 0.96f * t;  // off the image's wrapping edge rows
    }
    sea.append(rim, kOrigin);
    Lib3dsNode* clouds = s.object("CClouds", sea, Vec3{0, 0, -1100});
    s.move(clouds, {{0, {0, 0, -1100}}, {end, {300, 100, -1100}}});
    // Two falls off the big island's rim, into the clouds.
    for (int i = 0; i < 2; i++) {
        float a = i ? 2.3f : 3.6f;
        MeshData fall = sprite("Falls", 90, 1700);
        fall.rotateZ(a + kPi / 2);
        Vec3 lip{std::cos(a) * 640, std::sin(a) * 640, -850};
        s.object(numbered("DFalls", i).c_str(), fall, lip);
    }

    Lib3dsNode* mainIsle = nullptr;
    for (int i = 0; i < 6; i++) {
        const Isle& isle = kIsles[i];
        Lib3dsNode* node = s.object(numbered("Isle", i).c_str(), island(isle.radius, 200u + i, i ? 36 : 64), isle.at);
        // Each drifts up and down on a slow swell of its own.
        s.move(node, sampled(end, 8, [isle, i, end](float f) {
            return isle.at + Vec3{0, 0, (i ? 45.0f : 20.0f) * std::sin(kTwoPi * (f / end * 1.3f + i * 0.17f))};
        }));
        if (i < 3) s.object(numbered("Firs", i).c_str(), trees(isle, i ? 5 : 9, 300u + i), kOrigin, node);
        if (i == 0) mainIsle = node;
    }
    // Standing stones round the orb, on the big island.
    MeshData henge("Stone");
    for (int i = 0; i < 8; i++) {
        float a = kTwoPi * i / 8;
        MeshData stone = chamferBox("Stone", Vec3{46, 46, 190}, 8);
        stone.rotateZ(a);
        henge.append(stone, Vec3{std::cos(a) * 260, std::sin(a) * 260, 150});
    }
    henge.lightGain = 1.6f;
    s.object("Henge", henge, kOrigin, mainIsle);

    // The orb throbs on the kick: the first and the eleventh row of each
    // bar, and the eighth of every other bar.
    std::vector<int> kicks;
    for (int bar = 0; bar < rows; bar += kBarRows)
        for (int r : {0, 7, 10})
            if (bar + r < rows && (r != 7 || (bar / kBarRows) % 2 == 1)) kicks.push_back(bar + r);
    MeshData orb = sphere("Orb", 70, 32, 16, Facing::Outside);
    orb.lightGain = 2.0f;
    Lib3dsNode* orbNode = s.object("Orb", orb, kOrb, mainIsle);
    s.turn(orbNode, spin(0, end, kUp, 1.0f));
    s.resize(orbNode, pulses(end, kicks, Vec3{1, 1, 1}, Vec3{1.25f, 1.25f, 1.25f}, 3));
    Track orbAt = [](float) { return kOrb; };
    Lib3dsNode* halo = s.object("zOrb", sprite("Glow", 420, 420), kOrb);
    s.turn(halo, facing(end, 2, orbAt, camera));
    s.resize(halo, pulses(end, kicks, Vec3{1, 1, 1}, Vec3{1.4f, 1.4f, 1.4f}, 3));
    // Motes of light drifting up round the orb, flaring on the bars.
    MeshData motes("Mote");
    Scatter scatter(71u);
    for (int i = 0; i < 220; i++) {
        float a = scatter.between(0, kTwoPi), d = scatter.between(120, 900), h = scatter.between(-300, 700);
        motes.append(glowCross("Mote", scatter.between(10, 26)), Vec3{std::cos(a) * d, std::sin(a) * d, h});
    }
    Lib3dsNode* moteNode = s.object("zMotes", motes, kOrigin);
    s.move(moteNode, {{0, kOrigin}, {end, {0, 0, 260}}});
    s.turn(moteNode, spin(0, end, kUp, 0.25f));
    s.resize(moteNode, pulses(end, everyRows(0, rows, kBarRows), Vec3{1, 1, 1}, Vec3{1.08f, 1.08f, 1.3f}, 5));
    // The cut's flash, in the middle of the view where the iris first opens.
    const Vec3 flashAt = camera(0) + normalized(target(0) - camera(0)) * 1500.0f;
    flare(s, "zCrash", "Burst", [flashAt](float) { return flashAt; }, camera, 2200, {0}, 6);

    // Coming from the dark tunnel, the bright sky opens from the middle of
    // the view over the first second: a black iris close before the camera,
    // drawn last, whose hole widens until it is out of sight.
    MeshData iris = annulus("Black", 1, 2000, 48, 1);
    iris.rotateX(kPi / 2);
    Track irisAt = [&camera, &target](float f) { return camera(f) + normalized(target(f) - camera(f)) * 30.0f; };
    Lib3dsNode* irisNode = s.object("~Iris", iris, irisAt(0));
    s.move(irisNode, sampled(end, 2, irisAt));
    s.turn(irisNode, facing(end, 2, irisAt, camera));
    s.resize(irisNode, eased<PositionKey>({{0, {7, 7, 7}}, {10, {30, 30, 30}}, {12, {1000, 1000, 1000}},
                                           {end, {1000, 1000, 1000}}}));
}
