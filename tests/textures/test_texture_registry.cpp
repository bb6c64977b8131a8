// The texture registry against real PNG files in a data folder of its own.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/glpng/testing.h"
#include "tests/glpng/png_writer.h"
#include "tests/support/data_folder.h"
#include "tests/support/gl_context.h"
#include "textures/texture_registry.h"

namespace fs = std::filesystem;

namespace {

GLuint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return GLuint(name);
}

// Runs each case in a fresh folder holding data/, the working directory the
// registry expects; the old working directory comes back afterwards.
class TextureRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        ASSERT_TRUE(folder.ok());
        dir = folder.dir;
        glGenTextures(1, &other);
        glBindTexture(GL_TEXTURE_2D, other);
    }
    // A 32 x 32 RGB image.
    void addFile(const std::string& name) {
        PngImage image;
        image.width = image.height = 32;
        image.colourType = PNG_COLOR_TYPE_RGB;
        for (int i = 0; i < 32 * 32 * 3; ++i) image.rows.push_back(static_cast<unsigned char>(i * 7));
        ASSERT_TRUE(writePng((dir / "data" / name).string(), image));
    }

    TestGlContext gl;
    ScopedDataFolder folder;
    fs::path dir;
    GLuint other = 0;  // bound before each case, to see bindings change
    TextureRegistry registry;
};

TEST_F(TextureRegistryTest, EmptyRegistryBindsNothing) {
    EXPECT_EQ(registry.count, 0);
    EXPECT_EQ(registry.bindByName("a.png"), 0);
    EXPECT_EQ(registry.bindByName(""), 0);
    EXPECT_EQ(registry.bindByIndex(0), 0);
    EXPECT_EQ(boundTexture(), other);
}

TEST_F(TextureRegistryTest, LoadedTextureIsBoundMipmappedAndFoundByName) {
    addFile("a.png");
    ASSERT_EQ(registry.load("a.png"), 1);
    ASSERT_EQ(registry.count, 1);
    EXPECT_STREQ(registry.names[0], "a.png");
    EXPECT_EQ(boundTexture(), registry.ids[0]);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &value);  // 32 x 32 down to 1 x 1
    EXPECT_EQ(value, 1);

    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(registry.bindByName("a.png"), 1);
    EXPECT_EQ(boundTexture(), registry.ids[0]);
}

TEST_F(TextureRegistryTest, SameNameTwiceTakesTwoSlotsAndNameFindsTheFirst) {
    addFile("a.png");
    ASSERT_EQ(registry.load("a.png"), 1);
    ASSERT_EQ(registry.load("a.png"), 1);
    ASSERT_EQ(registry.count, 2);
    EXPECT_NE(registry.ids[0], registry.ids[1]);
    EXPECT_EQ(registry.bindByName("a.png"), 1);
    EXPECT_EQ(boundTexture(), registry.ids[0]);
    EXPECT_EQ(registry.bindByIndex(1), 1);
    EXPECT_EQ(boundTexture(), registry.ids[1]);
}

TEST_F(TextureRegistryTest, LetterCaseMatters) {
    addFile("Rock.png");
    ASSERT_EQ(registry.load("Rock.png"), 1);
    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(registry.bindByName("rock.png"), 0);
    EXPECT_EQ(registry.bindByName("ROCK.PNG"), 0);
    EXPECT_EQ(registry.bindByName("Rock.pn"), 0);
    EXPECT_EQ(boundTexture(), other);
}

TEST_F(TextureRegistryTest, FailedLoadLeavesTheSlotForTheNextOne) {
    long opened = glpngtest::openCount();
    EXPECT_EQ(registry.load("missing.png"), 0);
    EXPECT_EQ(glpngtest::openCount(), opened + 1);
    EXPECT_EQ(registry.count, 0);
    EXPECT_NE(boundTexture(), other);  // the failed load's texture stays bound
    EXPECT_EQ(registry.add("missing.png"), 1);
    EXPECT_EQ(registry.count, 0);

    addFile("b.png");
    EXPECT_EQ(registry.add("b.png"), 1);
    ASSERT_EQ(registry.count, 1);
    EXPECT_STREQ(registry.names[0], "b.png");
    EXPECT_EQ(registry.bindByName("missing.png"), 0);
    EXPECT_EQ(registry.bindByName("b.png"), 1);
    EXPECT_EQ(boundTexture(), registry.ids[0]);
}

TEST_F(TextureRegistryTest, FullTableRefusesWithoutOpeningAndKeepsEveryName) {
    char name[32];
    for (int i = 0; i <= TEXTURE_SLOTS; ++i) {
        snprintf(name, sizeof name, "t%03d.png", i);
        addFile(name);
    }
    for (int i = 0; i < TEXTURE_SLOTS; ++i) {
        snprintf(name, sizeof name, "t%03d.png", i);
        ASSERT_EQ(registry.load(name), 1) << name;
    }
    ASSERT_EQ(registry.count, TEXTURE_SLOTS);

    glBindTexture(GL_TEXTURE_2D, other);
    long opened = glpngtest::openCount();
    EXPECT_EQ(registry.load("t256.png"), 0);
    EXPECT_EQ(registry.add("t256.png"), 1);
    EXPECT_EQ(glpngtest::openCount(), opened);
    EXPECT_EQ(boundTexture(), other);
    EXPECT_EQ(registry.count, TEXTURE_SLOTS);

    for (int i = 0; i < TEXTURE_SLOTS; ++i) {
        snprintf(name, sizeof name, "t%03d.png", i);
        ASSERT_EQ(registry.bindByName(name), 1) << name;
        EXPECT_EQ(boundTexture(), registry.ids[i]) << name;
    }
    EXPECT_EQ(registry.bindByName("t256.png"), 0);
}

TEST_F(TextureRegistryTest, NamesUpToSixtyThreeCharactersFitLongerOnesAreRefused) {
    std::string longest(59, 'n');
    longest += ".png";  // 63 characters
    addFile(longest);
    ASSERT_EQ(registry.load(longest.c_str()), 1);
    EXPECT_EQ(registry.names[0], longest);
    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(registry.bindByName(longest.c_str()), 1);
    EXPECT_EQ(boundTexture(), registry.ids[0]);

    // Too long to store: refused before any texture is made or file opened,
    // even when the file is there.
    std::string tooLong = "x" + longest;
    addFile(tooLong);
    std::string huge(4000, 'h');
    glBindTexture(GL_TEXTURE_2D, other);
    long opened = glpngtest::openCount();
    EXPECT_EQ(registry.load(tooLong.c_str()), 0);
    EXPECT_EQ(registry.load(huge.c_str()), 0);
    EXPECT_EQ(registry.add(huge.c_str()), 1);
    EXPECT_EQ(glpngtest::openCount(), opened);
    EXPECT_EQ(boundTexture(), other);
    EXPECT_EQ(registry.count, 1);
    EXPECT_EQ(registry.bindByName(tooLong.c_str()), 0);
    EXPECT_EQ(registry.bindByName(huge.c_str()), 0);
}

TEST_F(TextureRegistryTest, IndexOutsideTheFilledSlotsBindsNothing) {
    addFile("a.png");
    ASSERT_EQ(registry.load("a.png"), 1);
    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(registry.bindByIndex(1), 0);
    EXPECT_EQ(registry.bindByIndex(-1), 0);
    EXPECT_EQ(registry.bindByIndex(100000), 0);
    EXPECT_EQ(boundTexture(), other);
    EXPECT_EQ(registry.bindByIndex(0), 1);
    EXPECT_EQ(boundTexture(), registry.ids[0]);
}

}  // namespace
