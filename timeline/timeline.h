// The demo's schedule: up to 100 effects, each due in its own half-open
// window of milliseconds since startTime.
#ifndef VELMORA_TIMELINE_TIMELINE_H
#define VELMORA_TIMELINE_TIMELINE_H

#include "timeline/effect.h"

#define TIMELINE_CAPACITY 100

class Timeline {
public:
    Timeline();

    int add(Effect* effect, int startMs, int endMs);
    int runFrame(int nowMs);

    int startTime;  // clock value at which the show began; set by the owner
    int entryCount;
    Effect* effects[TIMELINE_CAPACITY];
    int startTimes[TIMELINE_CAPACITY];
    int endTimes[TIMELINE_CAPACITY];
};

#endif
