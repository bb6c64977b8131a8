#include "tools/scenegen/tracks.h"

#include <cmath>

static void setTension(Lib3dsTcb& tcb, float tension) {
    if (tension == 0.0f) return;
    tcb.flags |= LIB3DS_USE_TENSION;
    tcb.tens = tension;
}

void setKeys(Lib3dsLin3Track& track, const std::vector<PositionKey>& keys) {
    lib3ds_lin3_track_free_keys(&track);
    track.keyL = nullptr;  // the release leaves the list head dangling
    for (const PositionKey& k : keys) {
        Lib3dsLin3Key* key = lib3ds_lin3_key_new();
        key->tcb.frame = k.frame;
        setTension(key->tcb, k.tension);
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
        setTension(key->tcb, k.tension);
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
        setTension(key->tcb, k.tension);
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

namespace {

struct Quat {
    float x, y, z, w;
};

Quat operator*(Quat a, Quat b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat about(Vec3 axis, float angle) {
    Vec3 a = normalized(axis) * std::sin(angle / 2);
    return {a.x, a.y, a.z, std::cos(angle / 2)};
}

// lib3ds turns by minus a key's angle, and each key's turn follows the
// turns before it: orientation k = turn k * orientation k-1.
TurnKey keyFor(int frame, Quat q) {
    if (q.w < 0) q = {-q.x, -q.y, -q.z, -q.w};  // the short way round
    float s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (s < 1e-6f) return {frame, Vec3{0, 0, 1}, 0.0f, 0.0f};
    float angle = 2.0f * std::atan2(s, q.w);
    return {frame, Vec3{q.x / s, q.y / s, q.z / s}, -angle, 0.0f};
}

}  // namespace

std::vector<TurnKey> facing(int last, int step, const std::function<Vec3(float)>& at,
                            const std::function<Vec3(float)>& viewer) {
    std::vector<TurnKey> keys;
    Quat previous{0, 0, 0, 1};
    for (int f = 0;; f = f + step < last ? f + step : last) {
        Vec3 d = normalized(viewer(static_cast<float>(f)) - at(static_cast<float>(f)));
        // Front (0, -1, 0) turned up by pitch about x, then round by yaw about z.
        float pitch = -std::asin(d.z < -1 ? -1 : (d.z > 1 ? 1 : d.z));
        float yaw = std::atan2(d.x, -d.y);
        Quat q = about(Vec3{0, 0, 1}, yaw) * about(Vec3{1, 0, 0}, pitch);
        Quat undo{-previous.x, -previous.y, -previous.z, previous.w};
        keys.push_back(keyFor(f, q * undo));
        previous = q;
        if (f == last) break;
    }
    return keys;
}

Path::Path(std::vector<Stop> stops) : stops_(std::move(stops)) {}

Vec3 Path::operator()(float frame) const {
    const size_t n = stops_.size();
    if (frame <= stops_.front().frame) return stops_.front().at;
    if (frame >= stops_.back().frame) return stops_.back().at;
    size_t i = 0;
    while (frame > stops_[i + 1].frame) i++;
    const Stop& a = stops_[i];
    const Stop& b = stops_[i + 1];
    float span = b.frame - a.frame;
    // Tangents from the neighbours, per frame, scaled to this span.
    auto tangent = [&](size_t k) {
        size_t lo = k > 0 ? k - 1 : k, hi = k + 1 < n ? k + 1 : k;
        return (stops_[hi].at - stops_[lo].at) * (span / (stops_[hi].frame - stops_[lo].frame));
    };
    float t = (frame - a.frame) / span, t2 = t * t, t3 = t2 * t;
    return a.at * (2 * t3 - 3 * t2 + 1) + tangent(i) * (t3 - 2 * t2 + t) + b.at * (-2 * t3 + 3 * t2) +
           tangent(i + 1) * (t3 - t2);
}
