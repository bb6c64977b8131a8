#include "timeline/timeline.h"

#include <stdint.h>

Timeline::Timeline() : entryCount(0) {}

int Timeline::add(Effect* effect, int startMs, int endMs) {
    if (entryCount >= TIMELINE_CAPACITY) return 0;
    effects[entryCount] = effect;
    startTimes[entryCount] = startMs;
    endTimes[entryCount] = endMs;
    // A failed init is the effect's own business; the entry stays.
    effect->init();
    entryCount++;
    return 1;
}

int Timeline::runFrame(int nowMs) {
    // The clock wraps; the difference taken modulo 2^32 still counts up.
    int elapsed = (int)((uint32_t)nowMs - (uint32_t)startTime);
    for (int i = 0; i < entryCount; i++) {
        if (startTimes[i] <= elapsed && elapsed < endTimes[i]) effects[i]->render(elapsed, startTimes[i]);
    }
    return 1;
}
