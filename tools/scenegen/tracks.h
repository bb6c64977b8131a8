// Keyframe tracks. Frames are 3D Studio frames: ten to a second in the show.
// Each call replaces the whole track, so a node's frame-0 pose can be restated.
// Between keys the tracks follow a spline through them; a key with tension 1
// has no slope, so a value held between such keys stays put instead of
// overshooting next to a sudden change.
#ifndef VELMORA_TOOLS_SCENEGEN_TRACKS_H
#define VELMORA_TOOLS_SCENEGEN_TRACKS_H

#include <functional>
#include <vector>

#include <lib3ds/tracks.h>

#include "tools/scenegen/mesh_data.h"

struct PositionKey {
    int frame;
    Vec3 value;
    float tension = 0.0f;
};

struct ValueKey {
    int frame;
    float value;
    float tension = 0.0f;
};

// A turn of `angle` radians about `axis`, made since the previous key.
struct TurnKey {
    int frame;
    Vec3 axis;
    float angle;
    float tension = 0.0f;
};

// The same keys, all with tension 1: eased from key to key.
template <typename Key>
std::vector<Key> eased(std::vector<Key> keys) {
    for (Key& k : keys) k.tension = 1.0f;
    return keys;
}

void setKeys(Lib3dsLin3Track& track, const std::vector<PositionKey>& keys);
void setKeys(Lib3dsLin1Track& track, const std::vector<ValueKey>& keys);
void setKeys(Lib3dsQuatTrack& track, const std::vector<TurnKey>& keys);

// `turns` whole turns about `axis` at an even pace from `first` to `last`,
// in steps of at most a quarter turn so the spline cannot take a shortcut.
std::vector<TurnKey> spin(int first, int last, Vec3 axis, float turns);

// Turns that keep a node's front (-y, where a sprite faces) towards
// `viewer(frame)` from `at(frame)`, z kept upwards; a key every `step` frames.
// For glows that must read as discs from a moving camera.
std::vector<TurnKey> facing(int last, int step, const std::function<Vec3(float)>& at,
                            const std::function<Vec3(float)>& viewer);

// A smooth path through points reached at given frames (a Catmull-Rom
// spline, paced by the frames), held at its ends.
class Path {
public:
    struct Stop {
        float frame;
        Vec3 at;
    };
    explicit Path(std::vector<Stop> stops);
    Vec3 operator()(float frame) const;

private:
    std::vector<Stop> stops_;
};

// Keys every `step` frames from 0 to `last` (always including `last`),
// the value given by `at(frame)`.
template <typename F>
std::vector<PositionKey> sampled(int last, int step, F at) {
    std::vector<PositionKey> keys;
    for (int f = 0; f < last; f += step) keys.push_back({f, at(static_cast<float>(f))});
    keys.push_back({last, at(static_cast<float>(last))});
    return keys;
}

#endif
