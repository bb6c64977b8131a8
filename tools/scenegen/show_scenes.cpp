#include <cmath>
#include <cstdio>

#include "scene/show_schedule.h"
#include "tools/scenegen/show.h"
#include "tools/scenegen/show_parts.h"

std::string numbered(const char* stem, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", stem, i);
    return name;
}

float smoothStep(float t) {
    if (t <= 0.0f) return 0.0f;
    if (t >= 1.0f) return 1.0f;
    return t * t * (3.0f - 2.0f * t);
}

std::vector<PositionKey> shownBetween(int last, int from, int to) {
    std::vector<PositionKey> keys{{0, from > 0 ? kHidden : Vec3{1, 1, 1}}};
    if (from > 1) keys.push_back({from - 1, kHidden});
    if (from > 0) keys.push_back({from, Vec3{1, 1, 1}});
    if (to < last) keys.push_back({to, Vec3{1, 1, 1}});
    if (to + 1 < last) keys.push_back({to + 1, kHidden});
    keys.push_back({last, to < last ? kHidden : Vec3{1, 1, 1}});
    return eased(keys);
}

Lib3dsNode* placed(SceneBuilder& s, const char* name, MeshData mesh) {
    Vec3 low = mesh.points.front(), high = low;
    for (const Vec3& p : mesh.points) {
        low = Vec3{std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = Vec3{std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
    Vec3 middle = (low + high) * 0.5f;
    for (Vec3& p : mesh.points) p = p - middle;
    return s.object(name, mesh, middle);
}

Lib3dsNode* flare(SceneBuilder& s, const char* name, const char* material, const Track& at, const Track& camera,
                  float size, const std::vector<int>& hitRows, int decay) {
    Lib3dsNode* node = s.object(name, sprite(material, size, size), at(0));
    s.move(node, sampled(s.frames(), 2, at));
    s.resize(node, pulses(s.frames(), hitRows, kHidden, Vec3{1, 1, 1}, decay));
    s.turn(node, facing(s.frames(), 2, at, camera));
    return node;
}

void droppingName(SceneBuilder& s, Vec3 at, int firstRow, const Track& camera, const char* flash,
                  const LetterKeys& then) {
    const char name[] = "VELMORA";
    const int letters = 7;
    const float cell = 26.0f, lift = 20.0f;
    for (int i = 0; i < letters; i++) {
        MeshData letter = blockLetter("Chrome", name[i], i, letters, cell);
        letter.scaleBy(Vec3{1, 1.5f, 1});  // deeper than wide, to stand solid
        letter.lightGain = 1.6f;
        Vec3 home = at + Vec3{0, 0, lift + 3.5f * cell};
        Lib3dsNode* node = s.object(numbered("Letter", i).c_str(), letter, home);
        int land = rowFrame(firstRow + kBeatRows * i);
        std::vector<PositionKey> keys{{0, home + Vec3{0, 0, 6000}}, {land - 4, home + Vec3{0, 0, 2600}},
                                      {land, home}, {land + 1, home + Vec3{0, 0, 22}}, {land + 3, home}};
        then(i, home, keys);
        keys.push_back({s.frames(), home});
        s.move(node, eased(keys));
        Vec3 foot = at + Vec3{(i * 6 + 2.5f) * cell - (letters * 6 - 1) * cell * 0.5f, -30, lift};
        flare(s, numbered("zLand", i).c_str(), flash, [foot](float) { return foot; }, camera, 280,
              {firstRow + kBeatRows * i}, 4);
    }
}

const std::vector<ShowScene>& showScenes() {
    // Each scene's builder, in the schedule's play order.
    static void (*const builders[])(SceneBuilder&) = {buildTitle,  buildReactor, buildCity, buildPlanet,
                                                      buildTunnel, buildIslands, buildSea};
    static_assert(sizeof builders / sizeof builders[0] == SHOW_SCENES, "one builder per scheduled scene");
    static const std::vector<ShowScene> scenes = [] {
        std::vector<ShowScene> list;
#define SHOW_SCENE(file, ms, row) list.push_back({file, ms, builders[list.size()]});
        SHOW_SCHEDULE(SHOW_SCENE)
#undef SHOW_SCENE
        return list;
    }();
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
