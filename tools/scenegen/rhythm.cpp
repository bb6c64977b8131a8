#include "tools/scenegen/rhythm.h"

#include <cmath>

#include "tools/xmgen/score.h"

namespace {

// Milliseconds of a row: `speed` ticks of 2.5 / bpm seconds.
const float kRowMs = 2500.0f * score::kSpeed / score::kBpm;

// Keys of one value: rest before each hit, peak on it, rest again after
// `decay` frames; keys that would not come after the one before are dropped.
template <typename Key, typename Value>
std::vector<Key> hits(int last, const std::vector<int>& hitRows, Value rest, Value peak, int decay) {
    std::vector<Key> keys{{0, rest}};
    auto push = [&](int frame, Value v) {
        if (frame > keys.back().frame && frame < last) keys.push_back({frame, v});
    };
    for (int row : hitRows) {
        int f = rowFrame(row);
        if (f == 0) keys.front().value = peak;
        push(f - 1, rest);
        push(f, peak);
        push(f + decay, rest);
    }
    keys.push_back({last, rest});
    return eased(keys);
}

}  // namespace

float rowTime(float row) { return row * kRowMs / 100.0f; }

int rowFrame(int row) { return static_cast<int>(std::lround(rowTime(static_cast<float>(row)))); }

std::vector<int> everyRows(int first, int end, int step) {
    std::vector<int> rows;
    for (int r = first; r < end; r += step) rows.push_back(r);
    return rows;
}

std::vector<PositionKey> pulses(int last, const std::vector<int>& hitRows, Vec3 rest, Vec3 peak, int decay) {
    return hits<PositionKey>(last, hitRows, rest, peak, decay);
}

std::vector<ValueKey> fovPunches(int last, const std::vector<int>& hitRows, float rest, float peak, int decay) {
    return hits<ValueKey>(last, hitRows, rest, peak, decay);
}

std::vector<TurnKey> kicks(int last, const std::vector<int>& hitRows, Vec3 axis, float angle, int frames) {
    std::vector<TurnKey> keys{{0, axis, 0.0f}};
    for (int row : hitRows) {
        int f = rowFrame(row);
        if (f <= keys.back().frame || f + frames >= last) continue;
        keys.push_back({f, axis, 0.0f});
        keys.push_back({f + frames, axis, angle});
    }
    keys.push_back({last, axis, 0.0f});
    return eased(keys);
}
