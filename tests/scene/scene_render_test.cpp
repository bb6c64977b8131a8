// Drawing a loaded scene: camera and target, frames, display lists, the
// opaque and additive switches, lights, pixels, and faces that do not fit.
#include <cmath>

#include <lib3ds/matrix.h>

#include "platform/win32/testing.h"
#include "scene/scene.h"
#include "tests/scene/scene_fixture.h"

namespace {

using Texts = std::vector<std::string>;

struct Vertex {
    float x, y, z, s, t;
};

// The triangles a display list draws under the current matrices, with their
// window positions and texture coordinates, read back in feedback mode.
std::vector<std::vector<Vertex>> feedback(GLuint list) {
    std::vector<GLfloat> buffer(1 << 14);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    int n = glRenderMode(GL_RENDER);
    std::vector<std::vector<Vertex>> polygons;
    const int kVertex = 3 + 4 + 4;  // position, colour, texture
    for (int i = 0; i < n;) {
        GLfloat token = buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            int count = static_cast<int>(buffer[i++]);
            std::vector<Vertex> polygon;
            for (int k = 0; k < count; k++, i += kVertex)
                polygon.push_back({buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 7], buffer[i + 8]});
            polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return polygons;
}

bool enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

GLuint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

class SceneRender : public SceneFixture {
protected:
    Lib3dsNode* node(Scene& scene, const char* name) {
        return lib3ds_file_node_by_name(scene.file, name, LIB3DS_OBJECT_NODE);
    }
    // The standard camera and one square "Quad" in front of it.
    void writeQuadScene(const char* file, const char* material, float transparency, bool withTexels = true) {
        SceneFile f;
        addStandardCamera(f);
        if (material[0]) f.material(material, "img.png", transparency);
        f.mesh("Quad", squarePoints(20), squareFaces(material), withTexels);
        f.objectNode("Quad");
        ASSERT_TRUE(f.save(dataPath(file)));
    }
    // Loads, and draws the first frame (which records every list).
    void loadAndDraw(Scene& scene, const char* file) {
        ASSERT_EQ(scene.load(file), 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ASSERT_EQ(scene.render(0), 1);
    }
    std::vector<unsigned char> pixel(const std::vector<unsigned char>& rgb, int x, int y) {
        size_t i = (static_cast<size_t>(y) * gl.width() + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

TEST_F(SceneRender, MissingCameraNodeIsReportedBeforeMissingTarget) {
    SceneFile f;
    f.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 45);
    ASSERT_TRUE(f.save(dataPath("bare.3ds")));
    Scene bare;
    ASSERT_EQ(bare.load("bare.3ds"), 1);
    EXPECT_EQ(bare.render(0), 0);
    EXPECT_EQ(boxTexts(), (Texts{"load3ds : No camera"}));

    SceneFile g;
    g.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 45);
    Lib3dsNode* cam = g.cameraNode("Camera01", {0, -100, 0}, 45);
    SceneFile::positionKey(cam->data.camera.pos_track, 100, {100, -100, 0});
    g.targetNode("Elsewhere", {0, 0, 0});
    ASSERT_TRUE(g.save(dataPath("notarget.3ds")));
    Scene noTarget;
    ASSERT_EQ(noTarget.load("notarget.3ds"), 1);
    EXPECT_EQ(noTarget.render(5000), 0);
    EXPECT_EQ(boxTexts(), (Texts{"load3ds : No camera", "load3ds : No target"}));
    // Each says so on its first frame only.
    EXPECT_EQ(bare.render(100), 0);
    EXPECT_EQ(noTarget.render(5100), 0);
    EXPECT_EQ(boxTexts().size(), 2u);
    // Nothing advanced: the camera is where frame 0 put it.
    Lib3dsNode* c = lib3ds_file_node_by_name(noTarget.file, "Camera01", LIB3DS_CAMERA_NODE);
    EXPECT_FLOAT_EQ(c->data.camera.pos[0], 0.0f);
}

// The scene files hold ten frames a second (scenegen's framesFor): the pose
// at sceneMs is lib3ds's at frame sceneMs / 100, fractions kept.
TEST_F(SceneRender, FrameIsSceneMillisecondsTimesOneHundredth) {
    SceneFile f;
    f.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 45);
    Lib3dsNode* cam = f.cameraNode("Camera01", {0, -100, 0}, 45);
    SceneFile::positionKey(cam->data.camera.pos_track, 1000, {10000, -100, 0});
    f.targetNode("Camera01", {0, 0, 0});
    ASSERT_TRUE(f.save(dataPath("moving.3ds")));

    Lib3dsFile* reference = lib3ds_file_load(dataPath("moving.3ds").c_str());
    ASSERT_NE(reference, nullptr);
    Lib3dsNode* expected = lib3ds_file_node_by_name(reference, "Camera01", LIB3DS_CAMERA_NODE);
    Scene scene;
    ASSERT_EQ(scene.load("moving.3ds"), 1);
    Lib3dsNode* actual = lib3ds_file_node_by_name(scene.file, "Camera01", LIB3DS_CAMERA_NODE);

    for (int ms : {0, 100, 8571, 34286, 99999}) {
        ASSERT_EQ(scene.render(ms), 1);
        lib3ds_file_eval(reference, static_cast<float>(ms / 100.0));
        EXPECT_NEAR(actual->data.camera.pos[0], expected->data.camera.pos[0], 0.01f) << ms;
    }
    // A frame cut to a whole number would be visibly elsewhere.
    lib3ds_file_eval(reference, 85.0f);
    scene.render(8571);
    EXPECT_GT(actual->data.camera.pos[0] - expected->data.camera.pos[0], 5.0f);
    lib3ds_file_free(reference);
}

TEST_F(SceneRender, DrawnPoseLagsOneCallBehind) {
    SceneFile f;
    f.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 30);
    Lib3dsNode* cam = f.cameraNode("Camera01", {0, -100, 0}, 30);
    SceneFile::valueKey(cam->data.camera.fov_track, 100, 60);
    f.targetNode("Camera01", {0, 0, 0});
    ASSERT_TRUE(f.save(dataPath("zoom.3ds")));
    Scene scene;
    ASSERT_EQ(scene.load("zoom.3ds"), 1);

    auto focal = [] {
        GLfloat p[16];
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        return p[5];
    };
    const double kDeg = 3.14159265358979 / 180.0;
    ASSERT_EQ(scene.render(5000), 1);  // shows frame 0: 30 degrees
    EXPECT_NEAR(focal(), 1.0 / std::tan(15.0 * kDeg), 1e-4);
    ASSERT_EQ(scene.render(7000), 1);  // shows frame 50: 45 degrees
    EXPECT_NEAR(focal(), 1.0 / std::tan(22.5 * kDeg), 1e-4);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(SceneRender, ListIsRecordedOnceAndNamedInTheNode) {
    writeQuadrantTexture("img.png");
    writeQuadScene("quad.3ds", "Mat", 0.0f);
    Scene scene;
    ASSERT_EQ(scene.load("quad.3ds"), 1);
    Lib3dsNode* quad = node(scene, "Quad");
    EXPECT_EQ(quad->user.d, 0u);
    scene.render(0);
    GLuint list = quad->user.d;
    EXPECT_NE(list, 0u);
    EXPECT_EQ(glIsList(list), GL_TRUE);
    scene.render(100);
    scene.render(200);
    EXPECT_EQ(quad->user.d, list);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneRender, DummiesDrawTheirChildrenButNotThemselves) {
    SceneFile f;
    addStandardCamera(f);
    // A mesh under the dummy's name would be drawn if the dummy were.
    f.mesh("$$$DUMMY", squarePoints(5), squareFaces(""));
    f.mesh("Child", squarePoints(5), squareFaces(""));
    f.mesh("Rider", squarePoints(5), squareFaces(""));
    Lib3dsNode* dummy = f.objectNode("$$$DUMMY");
    f.objectNode("Child", dummy);
    // A camera node's object children are drawn too.
    Lib3dsNode* cam = lib3ds_file_node_by_name(f.file(), "Camera01", LIB3DS_CAMERA_NODE);
    f.objectNode("Rider", cam);
    ASSERT_TRUE(f.save(dataPath("dummy.3ds")));

    Scene scene;
    loadAndDraw(scene, "dummy.3ds");
    Lib3dsNode* d = lib3ds_file_node_by_name(scene.file, "$$$DUMMY", LIB3DS_OBJECT_NODE);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->user.d, 0u);
    EXPECT_NE(node(scene, "Child")->user.d, 0u);
    EXPECT_NE(node(scene, "Rider")->user.d, 0u);
}

TEST_F(SceneRender, NodeWithoutMeshDrawsNothingAndIsLookedForAgain) {
    SceneFile f;
    addStandardCamera(f);
    f.objectNode("Ghost");
    ASSERT_TRUE(f.save(dataPath("ghost.3ds")));
    Scene scene;
    loadAndDraw(scene, "ghost.3ds");
    Lib3dsNode* ghost = node(scene, "Ghost");
    EXPECT_EQ(ghost->user.d, 0u);
    EXPECT_EQ(scene.renderNode(ghost), 0);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(SceneRender, MeshWithoutTexelsGetsTheFixedCorners) {
    writeQuadScene("bare.3ds", "", 0.0f, false);
    Scene scene;
    loadAndDraw(scene, "bare.3ds");
    auto polygons = feedback(node(scene, "Quad")->user.d);
    ASSERT_EQ(polygons.size(), 2u);
    for (const auto& p : polygons) {
        ASSERT_EQ(p.size(), 3u);
        EXPECT_FLOAT_EQ(p[0].s, 0.0f);
        EXPECT_FLOAT_EQ(p[0].t, 0.0f);
        EXPECT_FLOAT_EQ(p[1].s, 0.0f);
        EXPECT_FLOAT_EQ(p[1].t, 1.0f);
        EXPECT_FLOAT_EQ(p[2].s, 1.0f);
        EXPECT_FLOAT_EQ(p[2].t, 1.0f);
    }
}

TEST_F(SceneRender, TexturedQuadShowsItsTextureAtTheCentre) {
    writeQuadrantTexture("img.png");
    writeQuadScene("quad.3ds", "Mat", 0.0f);
    Scene scene;
    loadAndDraw(scene, "quad.3ds");
    auto rgb = gl.readPixels();
    int cx = gl.width() / 2, cy = gl.height() / 2;
    // Rows come bottom first: +7 rows is the upper half of the picture.
    auto topLeft = pixel(rgb, cx - 7, cy + 7), topRight = pixel(rgb, cx + 7, cy + 7);
    auto bottomLeft = pixel(rgb, cx - 7, cy - 7), bottomRight = pixel(rgb, cx + 7, cy - 7);
    // Lit head-on by the headlight: 0.2 x 0.2 ambient + 0.8 diffuse of the texture.
    EXPECT_NEAR(topLeft[0], 214, 6);
    EXPECT_LT(topLeft[1] + topLeft[2], 20);
    EXPECT_NEAR(topRight[1], 214, 6);
    EXPECT_LT(topRight[0] + topRight[2], 20);
    EXPECT_NEAR(bottomLeft[2], 214, 6);
    EXPECT_LT(bottomLeft[0] + bottomLeft[1], 20);
    EXPECT_NEAR(bottomRight[0], 214, 6);
    EXPECT_NEAR(bottomRight[1], 214, 6);
    EXPECT_LT(bottomRight[2], 10);
    EXPECT_EQ(pixel(rgb, 1, 1), (std::vector<unsigned char>{0, 0, 0}));
    // Opaque drawing leaves the opaque state.
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_LIGHTING) && enabled(GL_CULL_FACE) && enabled(GL_DEPTH_TEST));
    EXPECT_EQ(scene.additive, 0);
}

TEST_F(SceneRender, HalfTransparencyDrawsLikeFullAdditively) {
    writeQuadrantTexture("img.png");
    std::vector<unsigned char> frames[3];
    const float transparency[3] = {0.5f, 1.0f, 0.0f};
    for (int i = 0; i < 3; i++) {
        std::string file = "quad" + std::to_string(i) + ".3ds";
        writeQuadScene(file.c_str(), "Mat", transparency[i]);
        showState();
        Scene scene;
        loadAndDraw(scene, file.c_str());
        frames[i] = gl.readPixels();
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_NE(frames[0], frames[2]);
    // Unlit: the texture's full colour.
    int cx = gl.width() / 2, cy = gl.height() / 2;
    EXPECT_GT(pixel(frames[0], cx - 7, cy + 7)[0], 245);
}

TEST_F(SceneRender, TransparentFacesInARowRecordOneSwitch) {
    writeQuadrantTexture("img.png");
    SceneFile f;
    addStandardCamera(f);
    f.material("Glow", "img.png", 0.3f);
    f.mesh("N1", squarePoints(5), {{0, 1, 2, "Glow"}});
    f.mesh("N2", squarePoints(5), {{0, 2, 3, "Glow"}});
    f.objectNode("N1");
    f.objectNode("N2");
    ASSERT_TRUE(f.save(dataPath("glow.3ds")));
    Scene scene;
    loadAndDraw(scene, "glow.3ds");
    EXPECT_EQ(scene.additive, 1);
    EXPECT_TRUE(enabled(GL_BLEND));
    EXPECT_FALSE(enabled(GL_LIGHTING) || enabled(GL_CULL_FACE) || enabled(GL_DEPTH_TEST));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);

    // The second list found additive drawing on and recorded no switch.
    showState();
    glDisable(GL_BLEND);
    glCallList(node(scene, "N2")->user.d);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_LIGHTING));
    glCallList(node(scene, "N1")->user.d);
    EXPECT_TRUE(enabled(GL_BLEND));
    EXPECT_FALSE(enabled(GL_LIGHTING));
}

TEST_F(SceneRender, EmptyMaterialNameKeepsThePreviousFacesMaterial) {
    writeQuadrantTexture("img.png");
    SceneFile f;
    addStandardCamera(f);
    f.material("Solid", "img.png");
    f.material("Glow", "img.png", 1.0f);
    f.mesh("Mix", squarePoints(5), {{0, 1, 2, "Solid"}, {0, 2, 3, "Glow"}, {0, 1, 2, ""}});
    f.objectNode("Mix");
    ASSERT_TRUE(f.save(dataPath("mix.3ds")));
    Scene scene;
    loadAndDraw(scene, "mix.3ds");
    EXPECT_EQ(scene.additive, 1);
    EXPECT_TRUE(enabled(GL_BLEND));
}

TEST_F(SceneRender, FaceWithoutMaterialBindsNothingAndDrawsOpaque) {
    writeQuadrantTexture("img.png");
    SceneFile f;
    addStandardCamera(f);
    f.material("Glow", "img.png", 1.0f);
    f.mesh("A", squarePoints(5), {{0, 1, 2, "Glow"}});
    // No name at all, then a name no material has.
    f.mesh("B", squarePoints(5), {{0, 2, 3, ""}, {0, 1, 2, "Nowhere"}});
    f.objectNode("A");
    f.objectNode("B");
    ASSERT_TRUE(f.save(dataPath("nomat.3ds")));
    Scene scene;
    ASSERT_EQ(scene.load("nomat.3ds"), 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    scene.render(0);
    EXPECT_EQ(scene.additive, 0);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_LIGHTING) && enabled(GL_CULL_FACE) && enabled(GL_DEPTH_TEST));
    // B bound nothing: the texture A bound stays.
    EXPECT_EQ(boundTexture(), textures.ids[0]);
    EXPECT_EQ(feedback(node(scene, "B")->user.d).size(), 2u);
}

TEST_F(SceneRender, NineLightsSetLight1To7InNameOrder) {
    SceneFile f;
    addStandardCamera(f);
    for (int i = 9; i >= 1; i--) {  // written last name first
        std::string name = "Omni" + std::to_string(i);
        f.light(name.c_str(), {static_cast<float>(i), 10.0f * i, 100.0f * i});
    }
    ASSERT_TRUE(f.save(dataPath("lights.3ds")));
    Scene scene;
    loadAndDraw(scene, "lights.3ds");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // GL keeps light positions in eye space: the view carries them there.
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int k = 0; k < 7; k++) {
        float world[4] = {k + 1.0f, 10.0f * (k + 1), 100.0f * (k + 1), 0.0f};
        GLfloat eye[4];
        glGetLightfv(GL_LIGHT1 + k, GL_POSITION, eye);
        for (int r = 0; r < 4; r++) {
            float expected = 0;
            for (int c = 0; c < 4; c++) expected += view[c * 4 + r] * world[c];
            EXPECT_NEAR(eye[r], expected, 1e-3) << "light " << k + 1 << " row " << r;
        }
    }
    GLfloat head[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, head);
    EXPECT_NEAR(head[0], 0, 1e-6);
    EXPECT_NEAR(head[1], 0, 1e-6);
    EXPECT_NEAR(head[2], 1, 1e-6);
    EXPECT_NEAR(head[3], 0, 1e-6);
}

TEST_F(SceneRender, FacesIndexingPastPointsOrTexelsAreLeftOut) {
    SceneFile f;
    addStandardCamera(f);
    // Four points but three texels: a face using point 3 has no texel.
    f.mesh("Bad", squarePoints(20), {{0, 1, 2, ""}, {0, 2, 3, ""}, {0, 1, 2, ""}}, true, 3);
    f.objectNode("Bad");
    ASSERT_TRUE(f.save(dataPath("bad.3ds")));
    Scene scene;
    ASSERT_EQ(scene.load("bad.3ds"), 1);
    Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(scene.file, "Bad");
    ASSERT_EQ(mesh->texels, 3u);
    mesh->faceL[2].points[1] = 4000;  // past the points as well
    ASSERT_EQ(scene.render(0), 1);
    auto polygons = feedback(node(scene, "Bad")->user.d);
    EXPECT_EQ(polygons.size(), 1u);
}

TEST_F(SceneRender, MeshMatrixThatCannotBeInvertedLeavesThePointsAsStored) {
    std::vector<std::vector<Vertex>> drawn[2];
    for (int i = 0; i < 2; i++) {
        writeQuadScene("quad.3ds", "", 0.0f);
        Scene scene;
        ASSERT_EQ(scene.load("quad.3ds"), 1);
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(scene.file, "Quad");
        if (i == 1) lib3ds_matrix_zero(mesh->matrix);
        ASSERT_EQ(scene.render(0), 1);
        drawn[i] = feedback(node(scene, "Quad")->user.d);
    }
    ASSERT_EQ(drawn[1].size(), 2u);
    for (size_t p = 0; p < 2; p++)
        for (size_t v = 0; v < 3; v++) {
            EXPECT_FLOAT_EQ(drawn[1][p][v].x, drawn[0][p][v].x);
            EXPECT_FLOAT_EQ(drawn[1][p][v].y, drawn[0][p][v].y);
        }
}

}  // namespace
