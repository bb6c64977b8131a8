// The show's one effect: the seven scenes back to back, each for its time.
#ifndef VELMORA_SCENE_SCENE_SEQUENCE_EFFECT_H
#define VELMORA_SCENE_SCENE_SEQUENCE_EFFECT_H

#include "scene/scene.h"
#include "timeline/effect.h"

#define SCENE_SLOTS 255

class SceneSequenceEffect : public Effect {
public:
    SceneSequenceEffect();
    virtual ~SceneSequenceEffect();
    virtual int render(int elapsedMs, int startMs);
    virtual int init();
    // The demo's fixed GL state, set once before any scene is drawn.
    static void setFixedState();
    // Draws each loaded scene once, unseen, so that its lists are recorded
    // and Mesa has met its GL state before the clock starts.
    void prepareScenes();

    Scene* scenes[SCENE_SLOTS];
    int durations[SCENE_SLOTS];
    int finalScene;
};

#endif
