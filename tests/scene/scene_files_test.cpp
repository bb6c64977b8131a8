// Real files: third-party .3ds scenes, and the show's own generated data.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "platform/win32/testing.h"
#include "scene/scene_sequence_effect.h"
#include "tests/scene/scene_fixture.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

using SceneFiles = SceneFixture;

bool has3dsExtension(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".3ds";
}

const char* const kNoScenes = "no third-party 3DS scenes: install assimp-testmodels (scripts/setup.sh does)";

TEST_F(SceneFiles, ThirdPartyScenesLoadOrFailWithTheirMessageAndDrawSafely) {
    const fs::path root = thirdParty3dsDir();
    if (root.empty()) GTEST_SKIP() << kNoScenes;
    int seen = 0, loaded = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || !has3dsExtension(entry.path())) continue;
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        fs::copy_file(entry.path(), dir / "data" / name, fs::copy_options::overwrite_existing);
        win32test::reset();
        win32test::captureMessageBoxes(true);
        seen++;

        Scene scene;
        int result = scene.load(name.c_str());
        if (result == 1) {
            loaded++;
            EXPECT_TRUE(boxTexts().empty());
        } else {
            EXPECT_EQ(scene.file, nullptr);
            std::set<std::string> allowed{"Load3ds error : no camera",
                                          "Load3ds error : Can't load 3ds file " DATA_DIR + name};
            ASSERT_EQ(boxTexts().size(), 1u);
            EXPECT_TRUE(allowed.count(boxTexts()[0])) << boxTexts()[0];
        }
        win32test::reset();
        win32test::captureMessageBoxes(true);
        showState();
        for (int ms : {0, 1000, 5000, 100000}) scene.render(ms);
        const std::set<std::string> drawing{"load3ds : No file loaded", "load3ds : No camera",
                                            "load3ds : No target"};
        for (const std::string& text : boxTexts()) EXPECT_TRUE(drawing.count(text)) << text;
    }
    EXPECT_GE(seen, 7);
    EXPECT_GE(loaded, 1);
}

// Most of those files have no camera; given one, their meshes, materials and
// tracks are drawn through every frame without a message.
TEST_F(SceneFiles, ThirdPartyScenesDrawOnceGivenACamera) {
    const fs::path root = thirdParty3dsDir();
    if (root.empty()) GTEST_SKIP() << kNoScenes;
    int drawn = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || !has3dsExtension(entry.path())) continue;
        std::string name = entry.path().stem().string() + "-viewed.3ds";
        SCOPED_TRACE(name);
        Lib3dsFile* f = lib3ds_file_load(entry.path().c_str());
        ASSERT_NE(f, nullptr);
        if (!f->cameras) {
            Lib3dsCamera* camera = lib3ds_camera_new("Camera01");
            camera->fov = 45;
            lib3ds_file_insert_camera(f, camera);
        }
        const char* cameraName = f->cameras->name;
        Lib3dsNode* nodes[2] = {nullptr, nullptr};
        if (!lib3ds_file_node_by_name(f, cameraName, LIB3DS_CAMERA_NODE)) nodes[0] = lib3ds_node_new_camera();
        if (!lib3ds_file_node_by_name(f, "Camera01", LIB3DS_TARGET_NODE)) nodes[1] = lib3ds_node_new_target();
        const float positions[2][3] = {{0, -500, 200}, {0, 0, 0}};
        for (int i = 0; i < 2; i++) {
            if (!nodes[i]) continue;
            std::snprintf(nodes[i]->name, sizeof nodes[i]->name, "%s", i == 0 ? cameraName : "Camera01");
            nodes[i]->node_id = static_cast<Lib3dsWord>(60000 + i);
            nodes[i]->parent_id = LIB3DS_NO_PARENT;
            Lib3dsLin3Track& track = i == 0 ? nodes[i]->data.camera.pos_track : nodes[i]->data.target.pos_track;
            Lib3dsLin3Key* key = lib3ds_lin3_key_new();
            std::copy(positions[i], positions[i] + 3, key->value);
            lib3ds_lin3_track_insert(&track, key);
            if (i == 0) {
                Lib3dsLin1Key* fov = lib3ds_lin1_key_new();
                fov->value = 45;
                lib3ds_lin1_track_insert(&nodes[i]->data.camera.fov_track, fov);
            }
            lib3ds_file_insert_node(f, nodes[i]);
        }
        ASSERT_TRUE(lib3ds_file_save(f, dataPath(name).c_str()));
        lib3ds_file_free(f);

        win32test::reset();
        win32test::captureMessageBoxes(true);
        showState();
        Scene scene;
        ASSERT_EQ(scene.load(name.c_str()), 1);
        for (int ms = 0; ms <= 20000; ms += 2500) EXPECT_EQ(scene.render(ms), 1);
        EXPECT_TRUE(boxTexts().empty());
        drawn++;
    }
    EXPECT_GE(drawn, 7);
}

// The show's scenes as the build wrote them, played through the effect.
TEST_F(SceneFiles, ShowDataPlaysEverySceneWithoutAMessage) {
    fs::path data = fs::absolute(oldDir / builtDataDir());
    ASSERT_TRUE(fs::exists(data / "ltitre.3ds")) << data;
    fs::current_path(data.parent_path());

    SceneSequenceEffect effect;
    EXPECT_EQ(effect.init(), 1);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_GT(textures.count, 7);
    for (int i = 0; i < 7; i++) {
        ASSERT_NE(effect.scenes[i]->file, nullptr);
        for (Lib3dsMaterial* m = effect.scenes[i]->file->materials; m; m = m->next)
            EXPECT_EQ(textures.bindByName(m->texture1_map.name), 1) << m->texture1_map.name;
    }

    // Two frames inside each scene; each frame shows something.
    int begin = 0;
    for (int i = 0; i < 7; i++) {
        for (int offset : {0, effect.durations[i] / 2}) {
            effect.render(begin + offset, 0);
            auto rgb = gl.readPixels();
            long sum = 0;
            for (unsigned char c : rgb) sum += c;
            EXPECT_GT(sum, static_cast<long>(rgb.size()) * 8) << "scene " << i << " at " << offset;
        }
        begin += effect.durations[i];
    }
    EXPECT_TRUE(boxTexts().empty());
    fs::current_path(dir);
    for (int i = 0; i < 7; i++) delete effect.scenes[i];
}

}  // namespace
