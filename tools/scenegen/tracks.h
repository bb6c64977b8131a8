// Keyframe tracks. Frames are 3D Studio frames: ten to a second in the show.
// Each call replaces the whole track, so a node's frame-0 pose can be restated.
#ifndef VELMORA_TOOLS_SCENEGEN_TRACKS_H
#define VELMORA_TOOLS_SCENEGEN_TRACKS_H

#include <vector>

#include <lib3ds/tracks.h>

#include "tools/scenegen/mesh_data.h"

struct PositionKey {
    int frame;
    Vec3 value;
};

struct ValueKey {
    int frame;
    float value;
};

// A turn of `angle` radians about `axis`, made since the previous key.
struct TurnKey {
    int frame;
    Vec3 axis;
    float angle;
};

void setKeys(Lib3dsLin3Track& track, const std::vector<PositionKey>& keys);
void setKeys(Lib3dsLin1Track& track, const std::vector<ValueKey>& keys);
void setKeys(Lib3dsQuatTrack& track, const std::vector<TurnKey>& keys);

// `turns` whole turns about `axis` at an even pace from `first` to `last`,
// in steps of at most a quarter turn so the spline cannot take a shortcut.
std::vector<TurnKey> spin(int first, int last, Vec3 axis, float turns);

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
