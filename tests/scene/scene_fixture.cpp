#include "tests/scene/scene_fixture.h"

#include "app/globals.h"
#include "platform/win32/testing.h"
#include "scene/scene_sequence_effect.h"
#include "tools/scenegen/image.h"

namespace fs = std::filesystem;

void SceneFixture::SetUp() {
    ASSERT_TRUE(gl.ok());
    win32test::reset();
    win32test::captureMessageBoxes(true);
    g_settings = &settings;
    g_textures = &textures;
    folder.reset(new ScopedDataFolder());
    ASSERT_TRUE(folder->ok());
    dir = folder->dir;
    oldDir = folder->oldDir;
    showState();
}

void SceneFixture::TearDown() {
    folder.reset();
    g_settings = nullptr;
    g_textures = nullptr;
    win32test::reset();
}

void SceneFixture::showState() {
    SceneSequenceEffect::setFixedState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::string SceneFixture::dataPath(const std::string& name) const { return (dir / "data" / name).string(); }

void SceneFixture::writeQuadrantTexture(const std::string& name) {
    Image img(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            bool right = x >= 32, bottom = y >= 32;
            Rgb c = !bottom ? (right ? Rgb{0, 1, 0} : Rgb{1, 0, 0}) : (right ? Rgb{1, 1, 0} : Rgb{0, 0, 1});
            img.set(x, y, c);
        }
    ASSERT_TRUE(img.writePng(dataPath(name)));
}

std::vector<std::string> SceneFixture::boxTexts() {
    std::vector<std::string> texts;
    for (const auto& b : win32test::messageBoxes()) texts.push_back(b.text);
    return texts;
}
