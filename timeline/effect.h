// Base of every timeline entry. The defaults do nothing and succeed, so an
// effect overrides only what it needs.
#ifndef VELMORA_TIMELINE_EFFECT_H
#define VELMORA_TIMELINE_EFFECT_H

class Effect {
public:
    virtual ~Effect();
    // Draws the effect at elapsedMs since the timeline's start; startMs is the
    // entry's own start as given to Timeline::add.
    virtual int render(int elapsedMs, int startMs);
    // One-time set-up, run when the effect is added.
    virtual int init();
};

#endif
