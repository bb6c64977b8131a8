// A current GL context in the show's fixed state, a fresh working folder with
// data/, the shell's error box captured and a texture registry of its own.
#ifndef VELMORA_TESTS_SCENE_SCENE_FIXTURE_H
#define VELMORA_TESTS_SCENE_SCENE_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "tests/scene/scene_files.h"
#include "tests/support/data_folder.h"
#include "tests/support/gl_context.h"
#include "textures/texture_registry.h"

class SceneFixture : public ::testing::Test {
protected:
    SceneFixture() : gl(80, 60) {}
    void SetUp() override;
    void TearDown() override;

    // The GL state the scene effect sets before any scene is drawn.
    static void showState();
    std::string dataPath(const std::string& name) const;
    // A w x h PNG in data/, split into four coloured quadrants.
    void writeQuadrantTexture(const std::string& name);
    static std::vector<std::string> boxTexts();

    TestGlContext gl;
    std::unique_ptr<ScopedDataFolder> folder;
    std::filesystem::path dir, oldDir;
    DisplaySettings settings;
    TextureRegistry textures;
};

#endif
