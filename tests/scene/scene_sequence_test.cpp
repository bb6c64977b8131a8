// The scene sequence: its fixed GL state, the seven scenes it loads, and
// which scene it draws at which time.
#include <cmath>
#include <vector>

#include "platform/win32/testing.h"
#include "scene/scene_sequence_effect.h"
#include "scene/show_schedule.h"
#include "tests/scene/scene_fixture.h"

namespace {

struct Scheduled {
    const char* file;
    int ms;
    int start;
};

// The show's schedule, each scene with the moment it starts.
std::vector<Scheduled> schedule() {
    std::vector<Scheduled> list;
    int start = 0;
#define SCHEDULED(file, ms, row) list.push_back({file, ms, start}), start += (ms);
    SHOW_SCHEDULE(SCHEDULED)
#undef SCHEDULED
    return list;
}

class SceneSequence : public SceneFixture {
protected:
    // Seven scenes whose camera's x is the frame number, so a drawn scene
    // tells the time it was drawn at.
    void writeScenes(const char* skip = nullptr) {
        for (const Scheduled& scene : schedule()) {
            const char* name = scene.file;
            if (skip && std::string(skip) == name) continue;
            SceneFile f;
            f.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 45);
            Lib3dsNode* cam = f.cameraNode("Camera01", {0, -100, 0}, 45);
            SceneFile::positionKey(cam->data.camera.pos_track, 100000, {100000, -100, 0});
            f.targetNode("Camera01", {0, 0, 0});
            ASSERT_TRUE(f.save(dataPath(name)));
        }
    }
    static Lib3dsNode* cameraNode(Scene* scene) {
        return scene->file ? lib3ds_file_node_by_name(scene->file, "Camera01", LIB3DS_CAMERA_NODE) : nullptr;
    }
    // Renders at `elapsed`; returns the slot drawn (-1 if none) and its sceneMs.
    int drawnAt(int elapsed, int* sceneMs, int startMs = 0) {
        for (int i = 0; i < 7; i++)
            if (Lib3dsNode* c = cameraNode(effect.scenes[i])) c->data.camera.pos[0] = -1.0f;
        EXPECT_EQ(effect.render(elapsed, startMs), 1);
        int drawn = -1;
        for (int i = 0; i < 7; i++) {
            Lib3dsNode* c = cameraNode(effect.scenes[i]);
            if (!c || c->data.camera.pos[0] == -1.0f) continue;
            EXPECT_EQ(drawn, -1) << "two scenes drawn";
            drawn = i;
            *sceneMs = static_cast<int>(std::lround(c->data.camera.pos[0] * 100.0));
        }
        return drawn;
    }

    // The effect never destroys its scenes; the test does.
    void TearDown() override {
        for (int i = 0; i < 7; i++) delete effect.scenes[i];
        SceneFixture::TearDown();
    }

    SceneSequenceEffect effect;
};

TEST_F(SceneSequence, InitSetsTheFixedStateAndLoadsTheSevenScenes) {
    writeScenes();
    EXPECT_EQ(effect.finalScene, 0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(effect.init(), 1);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<GLfloat>(clear, clear + 4), (std::vector<GLfloat>{0, 0, 0, 1}));
    for (GLenum cap : {GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_DEPTH_TEST, GL_CULL_FACE})
        EXPECT_TRUE(glIsEnabled(cap)) << cap;
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    GLfloat factor = 0, units = 0;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_EQ(factor, 1.0f);
    EXPECT_EQ(units, 2.0f);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));

    EXPECT_EQ(effect.finalScene, 6);
    int total = 0;
    for (int i = 0; i < 7; i++) {
        const Scheduled scene = schedule()[i];
        ASSERT_NE(effect.scenes[i], nullptr);
        EXPECT_NE(effect.scenes[i]->file, nullptr) << scene.file;
        EXPECT_EQ(std::string(effect.scenes[i]->path), std::string(DATA_DIR) + scene.file);
        EXPECT_EQ(effect.durations[i], scene.ms);
        total += effect.durations[i];
    }
    EXPECT_EQ(total, SHOW_LENGTH_MS);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneSequence, EachMomentDrawsOneSceneAtItsOwnTime) {
    writeScenes();
    effect.init();
    const std::vector<Scheduled> show = schedule();
    struct Case {
        int elapsed, slot, sceneMs;
    };
    std::vector<Case> cases;
    for (int i = 0; i < 7; i++) {
        cases.push_back({show[i].start, i, 0});
        cases.push_back({show[i].start + show[i].ms - 1, i, show[i].ms - 1});
    }
    // The last scene goes on past the show's end.
    const int last = show[6].start;
    cases.push_back({SHOW_LENGTH_MS, 6, SHOW_LENGTH_MS - last});
    cases.push_back({499999, 6, 499999 - last});
    for (const auto& c : cases) {
        int sceneMs = -1;
        EXPECT_EQ(drawnAt(c.elapsed, &sceneMs), c.slot) << c.elapsed;
        EXPECT_EQ(sceneMs, c.sceneMs) << c.elapsed;
    }
    // The entry's start does not move the schedule.
    int sceneMs = -1;
    EXPECT_EQ(drawnAt(show[1].start, &sceneMs, 5000), 1);
    EXPECT_EQ(sceneMs, 0);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneSequence, SceneThatFailedToLoadKeepsItsSlot) {
    const Scheduled refused = schedule()[3];
    writeScenes(refused.file);
    EXPECT_EQ(effect.init(), 1);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{std::string("Load3ds error : Can't load 3ds file data/") + refused.file}));
    ASSERT_NE(effect.scenes[3], nullptr);
    EXPECT_EQ(effect.scenes[3]->file, nullptr);
    EXPECT_EQ(effect.durations[3], refused.ms);

    int sceneMs = -1;
    EXPECT_EQ(drawnAt(refused.start + 100, &sceneMs), -1);
    EXPECT_EQ(boxTexts().back(), "load3ds : No file loaded");
    EXPECT_EQ(drawnAt(refused.start + 200, &sceneMs), -1);
    EXPECT_EQ(drawnAt(refused.start + refused.ms, &sceneMs), 4);
    EXPECT_EQ(sceneMs, 0);
    EXPECT_EQ(boxTexts().size(), 2u);
}

TEST_F(SceneSequence, RenderBeforeInitOnlyClears) {
    glClearColor(0, 0, 1, 1);
    EXPECT_EQ(effect.render(0, 0), 1);
    auto rgb = gl.readPixels();
    EXPECT_EQ(rgb[2], 255);
    EXPECT_TRUE(boxTexts().empty());
}

}  // namespace
