// Loading a scene: the path, the camera chosen, the textures registered, the
// first pose, and the failures shown to the viewer.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/win32/testing.h"
#include "scene/scene.h"
#include "tests/scene/scene_fixture.h"

namespace {

using SceneLoad = SceneFixture;
using Texts = std::vector<std::string>;

TEST_F(SceneLoad, MissingFileIsReportedWithItsPathAndLeavesNothingToDraw) {
    Scene scene;
    EXPECT_EQ(scene.file, nullptr);
    EXPECT_EQ(scene.cameraName, nullptr);
    EXPECT_EQ(scene.additive, 0);

    EXPECT_EQ(scene.load("ltitre.3ds"), 0);
    EXPECT_STREQ(scene.path, DATA_DIR "ltitre.3ds");
    EXPECT_STREQ(scene.path, "data/ltitre.3ds");
    EXPECT_EQ(scene.file, nullptr);
    ASSERT_EQ(win32test::messageBoxes().size(), 1u);
    EXPECT_EQ(win32test::messageBoxes()[0].text, "Load3ds error : Can't load 3ds file data/ltitre.3ds");
    EXPECT_EQ(win32test::messageBoxes()[0].caption, "Error !");
    EXPECT_EQ(win32test::messageBoxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));

    // The first draw says so; later ones draw nothing and keep quiet, not
    // one box a frame for the rest of the scene.
    EXPECT_EQ(scene.render(0), 0);
    EXPECT_EQ(scene.render(40), 0);
    EXPECT_EQ(scene.render(80), 0);
    EXPECT_EQ(boxTexts(), (Texts{"Load3ds error : Can't load 3ds file data/ltitre.3ds", "load3ds : No file loaded"}));
}

TEST_F(SceneLoad, NamedPipeInPlaceOfTheFileIsRefusedAtOnce) {
    ASSERT_EQ(0, mkfifo(dataPath("pipe.3ds").c_str(), 0600));
    alarm(20);  // a load that waits for a writer ends the test instead of hanging it
    const auto start = std::chrono::steady_clock::now();
    Scene scene;
    EXPECT_EQ(scene.load("pipe.3ds"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    alarm(0);
    EXPECT_EQ(boxTexts(), (Texts{"Load3ds error : Can't load 3ds file data/pipe.3ds"}));
}

TEST_F(SceneLoad, FileThatIsNotA3dsFileIsReported) {
    std::ofstream(dataPath("junk.3ds")) << "not a scene";
    Scene scene;
    EXPECT_EQ(scene.load("junk.3ds"), 0);
    EXPECT_EQ(scene.file, nullptr);
    EXPECT_EQ(boxTexts(), (Texts{"Load3ds error : Can't load 3ds file data/junk.3ds"}));
}

TEST_F(SceneLoad, NameTooLongForThePathIsRefusedWithoutOpeningAShorterOne) {
    std::string name(260, 'a');
    Scene scene;
    EXPECT_EQ(scene.load(name.c_str()), 0);
    EXPECT_EQ(scene.file, nullptr);
    ASSERT_EQ(win32test::messageBoxes().size(), 1u);
    EXPECT_EQ(win32test::messageBoxes()[0].text.rfind("Load3ds error : Can't load 3ds file data/aaa", 0), 0u);
}

TEST_F(SceneLoad, FileWithoutCameraIsReleasedAndRefused) {
    SceneFile f;
    f.mesh("Quad", squarePoints(10), squareFaces(""));
    f.objectNode("Quad");
    f.cameraNode("Camera01", {0, -100, 0}, 45);
    f.targetNode("Camera01", {0, 0, 0});
    ASSERT_TRUE(f.save(dataPath("nocam.3ds")));

    Scene scene;
    EXPECT_EQ(scene.load("nocam.3ds"), 0);
    EXPECT_EQ(scene.file, nullptr);
    EXPECT_EQ(boxTexts(), (Texts{"Load3ds error : no camera"}));
    EXPECT_EQ(scene.render(0), 0);
    EXPECT_EQ(boxTexts().back(), "load3ds : No file loaded");
}

TEST_F(SceneLoad, CameraWithTheLeastByteOrderNameIsChosenWhateverTheFileOrder) {
    SceneFile f;
    // Upper case sorts before lower case: "Zed" is least, though written second.
    f.camera("alpha", {0, -100, 0}, {0, 0, 0}, 45);
    f.camera("Zed", {0, -200, 0}, {0, 0, 0}, 30);
    ASSERT_TRUE(f.save(dataPath("two.3ds")));
    std::ifstream in(dataPath("two.3ds"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_LT(bytes.find("alpha"), bytes.find("Zed"));

    Scene scene;
    ASSERT_EQ(scene.load("two.3ds"), 1);
    EXPECT_STREQ(scene.cameraName, "Zed");
    EXPECT_STREQ(scene.targetName, "Camera01");
    // The name is the camera's own, not a copy.
    bool inFile = false;
    for (Lib3dsCamera* c = scene.file->cameras; c; c = c->next) inFile = inFile || c->name == scene.cameraName;
    EXPECT_TRUE(inFile);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneLoad, EachMaterialWithATextureMapRegistersItOnce) {
    writeQuadrantTexture("img.png");
    SceneFile f;
    addStandardCamera(f);
    f.material("First", "img.png");
    f.material("Plain", "");
    f.material("Second", "img.png", 0.5f);
    f.material("Lost", "missing.png");  // not on disk: not registered, and no failure
    ASSERT_TRUE(f.save(dataPath("mats.3ds")));

    Scene scene;
    ASSERT_EQ(scene.load("mats.3ds"), 1);
    ASSERT_EQ(textures.count, 2);
    EXPECT_STREQ(textures.names[0], "img.png");
    EXPECT_STREQ(textures.names[1], "img.png");
    EXPECT_NE(textures.ids[0], textures.ids[1]);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneLoad, MaterialsWithoutTextureMapsRegisterNothing) {
    writeQuadrantTexture("img.png");
    SceneFile f;
    addStandardCamera(f);
    f.material("Plain", "");
    f.material("Other", "");
    ASSERT_TRUE(f.save(dataPath("plain.3ds")));
    Scene scene;
    EXPECT_EQ(scene.load("plain.3ds"), 1);
    EXPECT_EQ(textures.count, 0);
}

TEST_F(SceneLoad, SceneIsPosedAtFrameZero) {
    SceneFile f;
    f.camera("Camera01", {10, -100, 0}, {0, 0, 0}, 45);
    Lib3dsNode* cam = f.cameraNode("Camera01", {10, -100, 0}, 45);
    SceneFile::positionKey(cam->data.camera.pos_track, 100, {60, -100, 0});
    Lib3dsNode* target = f.targetNode("Camera01", {0, 0, 7});
    SceneFile::positionKey(target->data.target.pos_track, 100, {0, 0, 50});
    Lib3dsNode* obj = f.objectNode("Thing");
    SceneFile::positionKey(obj->data.object.pos_track, 0, {5, 6, 7});
    SceneFile::positionKey(obj->data.object.pos_track, 100, {55, 6, 7});
    ASSERT_TRUE(f.save(dataPath("pose.3ds")));

    Scene scene;
    ASSERT_EQ(scene.load("pose.3ds"), 1);
    Lib3dsNode* c = lib3ds_file_node_by_name(scene.file, "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode* t = lib3ds_file_node_by_name(scene.file, "Camera01", LIB3DS_TARGET_NODE);
    Lib3dsNode* o = lib3ds_file_node_by_name(scene.file, "Thing", LIB3DS_OBJECT_NODE);
    ASSERT_TRUE(c && t && o);
    EXPECT_FLOAT_EQ(c->data.camera.pos[0], 10.0f);
    EXPECT_FLOAT_EQ(c->data.camera.fov, 45.0f);
    EXPECT_FLOAT_EQ(t->data.target.pos[2], 7.0f);
    EXPECT_FLOAT_EQ(o->matrix[3][0], 5.0f);
    EXPECT_FLOAT_EQ(o->matrix[3][2], 7.0f);
}

}  // namespace
