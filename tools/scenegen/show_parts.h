// What the show's scenes share: the builders of the seven scenes and the
// small pieces several of them use.
#ifndef VELMORA_TOOLS_SCENEGEN_SHOW_PARTS_H
#define VELMORA_TOOLS_SCENEGEN_SHOW_PARTS_H

#include <functional>
#include <string>

#include "tools/scenegen/rhythm.h"
#include "tools/scenegen/scene_builder.h"
#include "tools/scenegen/shapes.h"

const float kPi = 3.14159265358979f;
const float kTwoPi = 2.0f * kPi;
const Vec3 kOrigin{0, 0, 0};
const Vec3 kUp{0, 0, 1};

// Draw order in the show follows node names in byte order, and additive
// faces are drawn without the depth test, so names are chosen for it:
// additive backdrops first ("A", "B"...), then solid things, which cover
// them, then additive glows in front ("z"), and last what must cover all
// ("~"). Skies, floors and water are additive: unlit, they keep their
// colours where the viewer's light would only graze them.

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

std::string numbered(const char* stem, int i);
float smoothStep(float t);  // 0 below 0, 1 above 1, eased between

using Track = std::function<Vec3(float)>;

// The scale of something put out of sight: too small to cover a pixel.
const Vec3 kHidden{1e-5f, 1e-5f, 1e-5f};
// Scale keys that show a node from frame `from` to frame `to` only.
std::vector<PositionKey> shownBetween(int last, int from, int to);
// The mesh and its node placed at the middle of its bounds, so that it
// shrinks out of sight about itself.
Lib3dsNode* placed(SceneBuilder& s, const char* name, MeshData mesh);

// A glow of `material` at `at`, turned towards the camera, that flares to
// `size` on each hit row and shrinks away to nothing over `decay` frames.
Lib3dsNode* flare(SceneBuilder& s, const char* name, const char* material, const Track& at, const Track& camera,
                  float size, const std::vector<int>& hitRows, int decay);

// The name in bevelled chrome letters ("Chrome"), a node each, standing
// over the ground at `at` and facing -y. Letter i drops in from high above
// onto row `firstRow` + 4 i, bounces, and lights a flash of `flash` at its
// foot; `then` adds the keys that follow its landing.
using LetterKeys = std::function<void(int letter, Vec3 home, std::vector<PositionKey>& keys)>;
void droppingName(SceneBuilder& s, Vec3 at, int firstRow, const Track& camera, const char* flash,
                  const LetterKeys& then);

void buildTitle(SceneBuilder& s);
void buildReactor(SceneBuilder& s);
void buildCity(SceneBuilder& s);
void buildPlanet(SceneBuilder& s);
void buildTunnel(SceneBuilder& s);
void buildIslands(SceneBuilder& s);
void buildSea(SceneBuilder& s);

#endif
