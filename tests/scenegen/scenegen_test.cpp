// The scene writer: its shapes and tracks, and the show's files it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <lib3ds/camera.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/vector.h>

#include "tests/support/paths.h"
#include "tools/scenegen/shapes.h"
#include "tools/scenegen/show.h"

namespace fs = std::filesystem;

namespace {

fs::path tempFolder() {
    char pattern[] = "/tmp/scenegen-XXXXXX";
    EXPECT_NE(mkdtemp(pattern), nullptr);
    return pattern;
}

std::string bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// How each face's front lies against a direction that must point outwards:
// the number of faces pointing the other way.
template <typename Outward>
int facesTurnedAway(const MeshData& mesh, Outward outward) {
    int wrong = 0;
    for (const Face& f : mesh.faces) {
        Vec3 a = mesh.points[f.a], b = mesh.points[f.b], c = mesh.points[f.c];
        Vec3 n = cross(b - a, c - a);
        Vec3 centroid = (a + b + c) * (1.0f / 3.0f);
        if (length(n) < 1e-6f || dot(n, outward(centroid)) <= 0.0f) wrong++;
    }
    return wrong;
}

TEST(Shapes, ClosedShapesShowTheirFrontOnTheChosenSide) {
    auto fromCentre = [](Vec3 p) { return p; };
    MeshData cube = box("M", Vec3{10, 20, 30});
    EXPECT_EQ(cube.faces.size(), 12u);
    EXPECT_EQ(facesTurnedAway(cube, fromCentre), 0);

    MeshData ball = sphere("M", 50, 16, 8, Facing::Outside);
    EXPECT_EQ(facesTurnedAway(ball, fromCentre), 0);
    EXPECT_EQ(ball.faces.size(), 16u * 8 * 2 - 2 * 16);  // the poles' cells have one triangle
    MeshData dome = sphere("M", 50, 16, 8, Facing::Inside);
    EXPECT_EQ(facesTurnedAway(dome, [](Vec3 p) { return p * -1.0f; }), 0);

    MeshData ring = torus("M", 100, 10, 24, 8);
    EXPECT_EQ(facesTurnedAway(ring, [](Vec3 p) {
                  Vec3 axis = normalized(Vec3{p.x, p.y, 0}) * 100.0f;
                  return p - axis;
              }),
              0);

    std::vector<Vec3> path{{0, 0, 0}, {0, 100, 0}, {0, 200, 0}, {0, 300, 0}};
    MeshData tunnel = tube("M", path, 30, 12, Facing::Inside, 2);
    EXPECT_EQ(tunnel.faces.size(), 3u * 12 * 2);
    EXPECT_EQ(facesTurnedAway(tunnel, [](Vec3 p) { return Vec3{-p.x, 0, -p.z}; }), 0);

    MeshData floor = plane("M", 100, 100, 4, 2);
    EXPECT_EQ(facesTurnedAway(floor, [](Vec3) { return Vec3{0, 0, 1}; }), 0);
    MeshData card = sprite("M", 10, 10);
    EXPECT_EQ(facesTurnedAway(card, [](Vec3) { return Vec3{0, -1, 0}; }), 0);
}

TEST(Shapes, BlockTextHasOneCubePerLitCellAndGapsForUnknownLetters) {
    MeshData l = blockText("M", "L", 10);
    EXPECT_EQ(l.points.size(), 11u * 24);  // an L lights 11 cells
    MeshData spaced = blockText("M", "L?L", 10);
    EXPECT_EQ(spaced.points.size(), 2u * 11 * 24);
    // Texture coordinates span the text once.
    float lowU = 1, highU = 0;
    for (const Uv& t : spaced.texels) lowU = std::fmin(lowU, t.u), highU = std::fmax(highU, t.u);
    EXPECT_NEAR(lowU, 0.0f, 0.01f);
    EXPECT_NEAR(highU, 1.0f, 0.01f);
}

// Saved and read back as the show reads it.
class Built : public ::testing::Test {
protected:
    void SetUp() override { dir = tempFolder(); }
    void TearDown() override {
        if (file) lib3ds_file_free(file);
        fs::remove_all(dir);
    }
    Lib3dsFile* saveAndLoad(SceneBuilder& b) {
        std::string path = (dir / "t.3ds").string();
        EXPECT_TRUE(b.save(path));
        file = lib3ds_file_load(path.c_str());
        return file;
    }
    fs::path dir;
    Lib3dsFile* file = nullptr;
};

TEST_F(Built, PlacedMeshComesBackToItsPlaceThroughItsNode) {
    SceneBuilder b(100);
    b.material("M", "m.png");
    b.object("Cube", box("M", Vec3{10, 10, 10}), Vec3{100, 20, 30});
    b.camera("Camera01", Vec3{0, -500, 0}, Vec3{0, 0, 0}, 45);
    ASSERT_NE(saveAndLoad(b), nullptr);
    lib3ds_file_eval(file, 0);
    Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, "Cube");
    Lib3dsNode* node = lib3ds_file_node_by_name(file, "Cube", LIB3DS_OBJECT_NODE);
    ASSERT_TRUE(mesh && node);
    // Stored placed in the world, as 3D Studio keeps them.
    EXPECT_FLOAT_EQ(mesh->pointL[0].pos[0], 95.0f);
    EXPECT_FLOAT_EQ(mesh->matrix[3][0], 100.0f);
    // Inverse placement, then the node: the point is where it was stored.
    Lib3dsMatrix inverse, whole;
    lib3ds_matrix_copy(inverse, mesh->matrix);
    ASSERT_TRUE(lib3ds_matrix_inv(inverse));
    lib3ds_matrix_copy(whole, node->matrix);
    lib3ds_matrix_mult(whole, inverse);
    Lib3dsVector out;
    lib3ds_vector_transform(out, whole, mesh->pointL[0].pos);
    EXPECT_NEAR(out[0], 95.0f, 1e-3);
    EXPECT_NEAR(out[1], 15.0f, 1e-3);
    EXPECT_NEAR(out[2], 25.0f, 1e-3);
}

TEST_F(Built, SpinTurnsWholeTurnsAtAnEvenPace) {
    SceneBuilder b(100);
    b.material("M", "m.png");
    b.turn(b.object("Top", box("M", Vec3{10, 10, 10}), Vec3{0, 0, 0}), spin(0, 100, Vec3{0, 0, 1}, 1.0f));
    ASSERT_NE(saveAndLoad(b), nullptr);
    Lib3dsNode* node = lib3ds_file_node_by_name(file, "Top", LIB3DS_OBJECT_NODE);
    const struct {
        float frame, cosine;
    } cases[] = {{0, 1}, {25, 0}, {50, -1}, {75, 0}, {100, 1}};
    for (const auto& c : cases) {
        lib3ds_file_eval(file, c.frame);
        EXPECT_NEAR(node->matrix[0][0], c.cosine, 1e-3) << c.frame;
    }
}

class ShowFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = tempFolder();
        std::string failed;
        ASSERT_TRUE(writeShow(dir.string(), &failed)) << failed;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ShowFiles, SameBytesEveryTimeAndAsTheBuildWroteThem) {
    fs::path again = tempFolder();
    ASSERT_TRUE(writeShow(again.string(), nullptr));
    [[maybe_unused]] fs::path built = fs::absolute(builtDataDir());
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        EXPECT_EQ(bytes(entry.path()), bytes(again / name)) << name;
#if !defined(_WIN32)
        // On Windows the data comes from a native build: another maths
        // library and the x87 arithmetic of i686 round differently there.
        EXPECT_EQ(bytes(entry.path()), bytes(built / name)) << name;
#endif
        files++;
    }
    EXPECT_EQ(files, static_cast<int>(showScenes().size() + showTextures().size()));
    fs::remove_all(again);
}

TEST_F(ShowFiles, TexturesArePowerOfTwoRgbImages) {
    for (const ShowTexture& t : showTextures()) {
        SCOPED_TRACE(t.file);
        FILE* in = std::fopen((dir / t.file).string().c_str(), "rb");
        ASSERT_NE(in, nullptr);
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            ADD_FAILURE() << "unreadable";
        } else {
            png_init_io(png, in);
            png_read_info(png, info);
            png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
            EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB);
            EXPECT_EQ(png_get_bit_depth(png, info), 8);
            for (png_uint_32 side : {w, h}) {
                EXPECT_EQ(side & (side - 1), 0u) << side;
                EXPECT_GE(side, 64u);
                EXPECT_LE(side, 256u);
            }
        }
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(in);
    }
}

// What each scene needs to play: a camera with its camera node and a target
// node "Camera01", a camera that moves over the scene's whole time, textured
// meshes, one that moves and one drawn additively.
TEST_F(ShowFiles, EveryScenePlaysWithAMovingCameraAndTexturedMeshes) {
    const char* order[] = {"ltitre.3ds", "add2.3ds", "prepre.3ds", "readd.3ds", "tunnel.3ds", "nua.3ds", "eau.3ds"};
    ASSERT_EQ(showScenes().size(), 7u);
    for (size_t i = 0; i < 7; i++) {
        const ShowScene& s = showScenes()[i];
        SCOPED_TRACE(s.file);
        EXPECT_STREQ(s.file, order[i]);
        Lib3dsFile* f = lib3ds_file_load((dir / s.file).string().c_str());
        ASSERT_NE(f, nullptr);
        ASSERT_NE(f->cameras, nullptr);
        Lib3dsNode* cam = lib3ds_file_node_by_name(f, f->cameras->name, LIB3DS_CAMERA_NODE);
        ASSERT_NE(cam, nullptr);
        EXPECT_NE(lib3ds_file_node_by_name(f, "Camera01", LIB3DS_TARGET_NODE), nullptr);
        int lastKey = 0, keys = 0;
        for (Lib3dsLin3Key* k = cam->data.camera.pos_track.keyL; k; k = k->next) lastKey = k->tcb.frame, keys++;
        EXPECT_GE(keys, 2);
        EXPECT_GE(lastKey * 100, s.durationMs);
        lib3ds_file_eval(f, 0);
        Lib3dsVector start;
        lib3ds_vector_copy(start, cam->data.camera.pos);
        lib3ds_file_eval(f, static_cast<float>(lastKey));
        Lib3dsVector moved;
        lib3ds_vector_sub(moved, cam->data.camera.pos, start);
        EXPECT_GT(lib3ds_vector_length(moved), 50.0f);

        int textured = 0, additive = 0;
        for (Lib3dsMesh* m = f->meshes; m; m = m->next) {
            bool allTextured = m->faces > 0 && m->texels == m->points;
            for (Lib3dsDword k = 0; k < m->faces; k++) {
                Lib3dsMaterial* mat = lib3ds_file_material_by_name(f, m->faceL[k].material);
                bool hasImage = mat && fs::exists(dir / mat->texture1_map.name);
                allTextured = allTextured && hasImage;
                if (mat && mat->transparency > 0.0f && k == 0) additive++;
            }
            textured += allTextured;
        }
        EXPECT_GE(textured, 2);
        EXPECT_GE(additive, 1);

        int moving = 0;
        for (Lib3dsNode* n = f->nodes; n; n = n->next) {
            if (n->type != LIB3DS_OBJECT_NODE || !lib3ds_file_mesh_by_name(f, n->name)) continue;
            Lib3dsObjectData& d = n->data.object;
            bool twoKeys = (d.pos_track.keyL && d.pos_track.keyL->next) || (d.rot_track.keyL && d.rot_track.keyL->next);
            moving += twoKeys;
        }
        EXPECT_GE(moving, 1);
        lib3ds_file_free(f);
    }
}

}  // namespace
