#include "scene/scene_sequence_effect.h"

#include <new>

#include "scene/show_schedule.h"

struct SceneEntry {
    const char* file;
    int durationMs;
};

#define SHOW_ENTRY(file, ms, row) {file, ms},
// In play order, from the show's schedule.
static const SceneEntry kShow[] = {SHOW_SCHEDULE(SHOW_ENTRY)};
#undef SHOW_ENTRY

SceneSequenceEffect::SceneSequenceEffect() : finalScene(0) {
    // Empty slots draw nothing, so a frame before init only clears.
    for (int i = 0; i < SCENE_SLOTS; i++) scenes[i] = 0;
}

SceneSequenceEffect::~SceneSequenceEffect() {}

void SceneSequenceEffect::setFixedState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_NORMALIZE);
    glPolygonOffset(1.0f, 2.0f);
}

int SceneSequenceEffect::init() {
    setFixedState();
    for (int i = 0; i < SHOW_SCENES; i++) {
        // A scene that cannot be made leaves its slot empty; its time still passes.
        scenes[i] = new (std::nothrow) Scene();
        if (scenes[i]) scenes[i]->load(kShow[i].file);
        durations[i] = kShow[i].durationMs;
    }
    finalScene = SHOW_SCENES - 1;
    return 1;
}

int SceneSequenceEffect::render(int elapsedMs, int) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Wrapping subtraction, as the 32-bit clock it comes from.
    int begin = 0;
    int index = 0;
    for (int i = 0; i < finalScene; i++) {
        if ((int)((unsigned)elapsedMs - (unsigned)begin) < durations[i]) break;
        begin += durations[i];
        index = i + 1;
    }
    if (scenes[index]) scenes[index]->render((int)((unsigned)elapsedMs - (unsigned)begin));
    return 1;
}
