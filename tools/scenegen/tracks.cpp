#include "tools/scenegen/tracks.h"

#include <cmath>

void setKeys(Lib3dsLin3Track& track, const std::vector<PositionKey>& keys) {
    lib3ds_lin3_track_free_keys(&track);
    track.keyL = nullptr;  // the release leaves the list head dangling
    for (const PositionKey& k : keys) {
        Lib3dsLin3Key* key = lib3ds_lin3_key_new();
        key->tcb.frame = k.frame;
        key->value[0] = k.value.x;
        key->value[1] = k.value.y;
        key->value[2] = k.value.z;
        lib3ds_lin3_track_insert(&track, key);
    }
}

void setKeys(Lib3dsLin1Track& track, const std::vector<ValueKey>& keys) {
    lib3ds_lin1_track_free_keys(&track);
    track.keyL = nullptr;  // the release leaves the list head dangling
    for (const ValueKey& k : keys) {
        Lib3dsLin1Key* key = lib3ds_lin1_key_new();
        key->tcb.frame = k.frame;
        key->value = k.value;
        lib3ds_lin1_track_insert(&track, key);
    }
}

void setKeys(Lib3dsQuatTrack& track, const std::vector<TurnKey>& keys) {
    lib3ds_quat_track_free_keys(&track);
    track.keyL = nullptr;  // the release leaves the list head dangling
    for (const TurnKey& k : keys) {
        Lib3dsQuatKey* key = lib3ds_quat_key_new();
        key->tcb.frame = k.frame;
        Vec3 axis = normalized(k.axis);
        key->axis[0] = axis.x;
        key->axis[1] = axis.y;
        key->axis[2] = axis.z;
        key->angle = k.angle;
        lib3ds_quat_track_insert(&track, key);
    }
}

std::vector<TurnKey> spin(int first, int last, Vec3 axis, float turns) {
    const float kTwoPi = 6.28318530717959f;
    int steps = static_cast<int>(std::ceil(std::fabs(turns) * 4.0f));
    if (steps < 1) steps = 1;
    std::vector<TurnKey> keys{{first, axis, 0.0f}};
    for (int i = 1; i <= steps; i++)
        keys.push_back({first + (last - first) * i / steps, axis, kTwoPi * turns / steps});
    return keys;
}
