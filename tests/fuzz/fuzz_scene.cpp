// A scene file loaded as the show loads it, then one frame of it drawn in an
// offscreen GL context.
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/display_settings.h"
#include "app/globals.h"
#include "platform/win32/testing.h"
#include "scene/scene.h"
#include "scene/scene_check.h"
#include "scene/scene_file.h"
#include "scene/scene_sequence_effect.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/gl_context.h"
#include "textures/texture_registry.h"

namespace {

// Reported at exit, so a campaign's figures say how many inputs got as far
// as a drawn frame and were not refused on the way.
unsigned long g_inputs, g_loaded, g_drawn;

void report() {
    std::fprintf(stderr, "scene fuzz: %lu inputs, %lu loaded, %lu drawn\n", g_inputs, g_loaded, g_drawn);
}

void deleteLists(Lib3dsNode* node) {
    for (; node; node = node->next) {
        deleteLists(node->childs);
        if (node->user.d) glDeleteLists(node->user.d, 1);
        node->user.d = 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enterFuzzFolder();
    std::atexit(report);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestGlContext* gl = new TestGlContext(64, 48);
    static DisplaySettings* settings = new DisplaySettings();
    if (!gl->ok()) abort();
    g_inputs++;

    // What passes the check, lib3ds must read without failing: a failed read
    // leaves its chunk level counter deeper for good.
    Lib3dsFile* parsed = parseSceneBytes(data, size);
    if (sceneBytesReadable(data, size) && !parsed) {
        std::fprintf(stderr, "the check passed a file lib3ds could not read\n");
        abort();
    }
    if (parsed) lib3ds_file_free(parsed);

    if (!writeDataFile("fuzz.3ds", data, size)) abort();
    win32test::reset();
    win32test::captureMessageBoxes(true);
    TextureRegistry textures;
    g_settings = settings;
    g_textures = &textures;
    SceneSequenceEffect::setFixedState();
    {
        Scene scene;
        if (scene.load("fuzz.3ds")) {
            g_loaded++;
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if (scene.render(1000)) g_drawn++;
            glFinish();
            deleteLists(scene.file->nodes);
        }
    }
    glDeleteTextures(textures.count, textures.ids);
    g_textures = 0;
    return 0;
}
