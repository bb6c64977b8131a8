#include "platform/host/pull.h"

#include <algorithm>

#include "platform/sound/internal.h"

namespace soundpull {

void setPulled(bool on) { soundlayer::state().pulled = on; }
bool pulled() { return soundlayer::state().pulled; }

int pull(float* out, int frames) {
    const soundlayer::State& s = soundlayer::state();
    if (frames <= 0) return 0;
    if (!s.initialised || s.device) {
        // Closed, or a device is mixing: the program gets silence.
        std::fill(out, out + frames * 2, 0.0f);
        return 0;
    }
    return soundlayer::mix(out, frames);
}

}  // namespace soundpull
