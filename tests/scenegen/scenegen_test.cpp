// The scene writer: its shapes and tracks, and the show's files it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <lib3ds/camera.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/vector.h>

#include "tests/support/paths.h"
#include "tools/scenegen/shapes.h"
#include "tools/scenegen/rhythm.h"
#include "tools/scenegen/show.h"
#include "tools/scenegen/show_parts.h"
#include "tools/xmgen/score.h"

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

    EXPECT_EQ(facesTurnedAway(chamferBox("M", Vec3{10, 20, 30}, 2), fromCentre), 0);
    EXPECT_EQ(facesTurnedAway(roundedBox("M", Vec3{10, 20, 30}, 3), fromCentre), 0);
    EXPECT_EQ(facesTurnedAway(lathe("M", {{0, 50}, {30, 10}, {20, -20}, {0, -50}}, 12), fromCentre), 0);
    EXPECT_EQ(facesTurnedAway(dome("M", 50, 16, 8, 0.2f), [](Vec3 p) { return p * -1.0f; }), 0);

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

// With a light gain, the points are stored further out and the mesh
// matrix scales them back: through the node they are where they were put.
TEST_F(Built, PlacedMeshComesBackToItsPlaceThroughItsNode) {
    SceneBuilder b(100);
    b.material("M", "m.png");
    MeshData plain = box("M", Vec3{10, 10, 10}), bright = plain;
    bright.lightGain = 3.0f;
    b.object("Plain", plain, Vec3{100, 20, 30});
    b.object("Bright", bright, Vec3{100, 20, 30});
    b.camera("Camera01", Vec3{0, -500, 0}, Vec3{0, 0, 0}, 45);
    ASSERT_NE(saveAndLoad(b), nullptr);
    lib3ds_file_eval(file, 0);
    for (const char* name : {"Plain", "Bright"}) {
        SCOPED_TRACE(name);
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, name);
        Lib3dsNode* node = lib3ds_file_node_by_name(file, name, LIB3DS_OBJECT_NODE);
        ASSERT_TRUE(mesh && node);
        // Stored placed in the world, as 3D Studio keeps them.
        float gain = name[0] == 'B' ? 3.0f : 1.0f;
        EXPECT_FLOAT_EQ(mesh->pointL[0].pos[0], 100.0f - 5.0f * gain);
        EXPECT_FLOAT_EQ(mesh->matrix[3][0], 100.0f);
        // Inverse placement, then the node: the point is where it was put.
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
}

// A glow turned with `facing` keeps its front towards a moving viewer.
TEST_F(Built, FacingKeepsAFrontTowardsTheViewer) {
    SceneBuilder b(40);
    b.material("M", "m.png");
    auto at = [](float f) { return Vec3{f * 10, 0, 0}; };
    auto viewer = [](float f) { return Vec3{std::sin(f * 0.2f) * 500, -400 + f * 5, 300 * std::cos(f * 0.1f)}; };
    Lib3dsNode* glowNode = b.object("Glow", sprite("M", 10, 10), at(0));
    b.move(glowNode, sampled(40, 2, at));
    b.turn(glowNode, facing(40, 2, at, viewer));
    b.camera("Camera01", Vec3{0, -500, 0}, Vec3{0, 0, 0}, 45);
    ASSERT_NE(saveAndLoad(b), nullptr);
    Lib3dsNode* node = lib3ds_file_node_by_name(file, "Glow", LIB3DS_OBJECT_NODE);
    for (int f = 0; f <= 40; f += 4) {
        lib3ds_file_eval(file, static_cast<float>(f));
        // The matrix's second column is where the node's y axis points; its front is -y.
        Vec3 front = normalized(Vec3{-node->matrix[1][0], -node->matrix[1][1], -node->matrix[1][2]});
        EXPECT_GT(dot(front, normalized(viewer(f) - at(f))), 0.995f) << "frame " << f;
    }
}

// Pulses peak on their hits and hold still between them; a node shown for a
// while is out of sight before and after, with no overshoot in between.
TEST_F(Built, KeyedChangesHoldStillBetweenThem) {
    SceneBuilder b(200);
    b.material("M", "m.png");
    Lib3dsNode* pulse = b.object("Pulse", box("M", Vec3{10, 10, 10}), Vec3{0, 0, 0});
    b.resize(pulse, pulses(200, {0, 64, 128}, Vec3{1, 1, 1}, Vec3{2, 2, 2}, 3));
    Lib3dsNode* shown = b.object("Shown", box("M", Vec3{10, 10, 10}), Vec3{0, 0, 0});
    b.resize(shown, shownBetween(200, 60, 120));
    b.camera("Camera01", Vec3{0, -500, 0}, Vec3{0, 0, 0}, 45);
    ASSERT_NE(saveAndLoad(b), nullptr);
    auto scaleAt = [&](const char* name, int frame) {
        lib3ds_file_eval(file, static_cast<float>(frame));
        Lib3dsNode* n = lib3ds_file_node_by_name(file, name, LIB3DS_OBJECT_NODE);
        return n->matrix[0][0];
    };
    EXPECT_NEAR(scaleAt("Pulse", rowFrame(64)), 2.0f, 1e-4);
    EXPECT_NEAR(rowFrame(64), 69, 0);  // 64 rows of 107.14 ms
    for (int f : {20, 40, 60, 100, 120})
        EXPECT_NEAR(scaleAt("Pulse", f), 1.0f, 1e-4) << "frame " << f;
    for (int f : {10, 30, 58, 122, 180})
        EXPECT_NEAR(scaleAt("Shown", f), 0.0f, 1e-4) << "frame " << f;
    for (int f : {60, 90, 120})
        EXPECT_NEAR(scaleAt("Shown", f), 1.0f, 1e-4) << "frame " << f;
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
                EXPECT_GE(side, 16u);
                EXPECT_LE(side, 256u);
            }
        }
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(in);
    }
}

// Every scene as the show loads it: a camera with a camera node and a target
// node "Camera01", enough triangles and images, and no face drawn with an
// image left bound by another mesh; the registry's slots suffice for all.
TEST_F(ShowFiles, EveryScenePlaysWithItsCameraAndEnoughDetail) {
#define SCHEDULED_FILE(file, ms, row) file,
    const char* order[] = {SHOW_SCHEDULE(SCHEDULED_FILE)};
#undef SCHEDULED_FILE
    ASSERT_EQ(showScenes().size(), 7u);
    int slots = 0;
    for (size_t i = 0; i < 7; i++) {
        const ShowScene& s = showScenes()[i];
        SCOPED_TRACE(s.file);
        EXPECT_STREQ(s.file, order[i]);
        Lib3dsFile* f = lib3ds_file_load((dir / s.file).string().c_str());
        ASSERT_NE(f, nullptr);
        ASSERT_NE(f->cameras, nullptr);
        EXPECT_NE(lib3ds_file_node_by_name(f, f->cameras->name, LIB3DS_CAMERA_NODE), nullptr);
        EXPECT_NE(lib3ds_file_node_by_name(f, "Camera01", LIB3DS_TARGET_NODE), nullptr);

        std::set<std::string> images;
        for (Lib3dsMaterial* m = f->materials; m; m = m->next)
            if (m->texture1_map.name[0]) {
                EXPECT_TRUE(fs::exists(dir / m->texture1_map.name)) << m->texture1_map.name;
                images.insert(m->texture1_map.name);
                slots++;
            }
        EXPECT_GE(images.size(), 4u);
        Lib3dsDword triangles = 0;
        for (Lib3dsMesh* m = f->meshes; m; m = m->next) {
            triangles += m->faces;
            bool bound = false;
            for (Lib3dsDword k = 0; k < m->faces; k++) {
                Lib3dsMaterial* mat = lib3ds_file_material_by_name(f, m->faceL[k].material);
                ASSERT_NE(mat, nullptr) << m->name;
                bound = bound || mat->texture1_map.name[0];
                EXPECT_TRUE(bound) << m->name << " face " << k;
            }
        }
        EXPECT_GE(triangles, 10000u);
        lib3ds_file_free(f);
    }
    EXPECT_LE(slots, 256);
}

// The scenes' lengths put each start on the row of the score's cut.
TEST(Show, ScenesStartWhereTheScoreCuts) {
    const double rowMs = 2500.0 * score::kSpeed / score::kBpm;
    int startMs = 0;
    for (size_t i = 0; i < showScenes().size(); i++) {
        EXPECT_NEAR(startMs, score::kCuts[i] * rowMs, 1.0) << showScenes()[i].file;
        EXPECT_GE(framesFor(showScenes()[i].durationMs) * 100, showScenes()[i].durationMs);
        startMs += showScenes()[i].durationMs;
    }
    EXPECT_NEAR(startMs, score::kRows * rowMs, 1.0);
}

// The point of triangle abc nearest to p.
Vec3 nearestOnTriangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
    Vec3 ab = b - a, ac = c - a, ap = p - a;
    float d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    Vec3 bp = p - b;
    float d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    Vec3 cp = p - c;
    float d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    float va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    float denom = 1.0f / (va + vb + vc);
    return a + ab * (vb * denom) + ac * (vc * denom);
}

// Lowers `least` to the distance from `eye` to the meshes under `node`, posed
// as drawn, and names the nearest. A mesh shrunk out of sight is not there.
void clearance(Lib3dsFile* f, Lib3dsNode* node, Vec3 eye, float* least, std::string* nearest) {
    for (Lib3dsNode* child = node->childs; child; child = child->next) clearance(f, child, eye, least, nearest);
    Lib3dsMesh* mesh = node->type == LIB3DS_OBJECT_NODE ? lib3ds_file_mesh_by_name(f, node->name) : nullptr;
    if (!mesh || lib3ds_vector_length(node->matrix[0]) < 1e-3f) return;
    Lib3dsMatrix placed, inverse;
    lib3ds_matrix_copy(placed, node->matrix);
    lib3ds_matrix_translate_xyz(placed, -node->data.object.pivot[0], -node->data.object.pivot[1],
                                -node->data.object.pivot[2]);
    lib3ds_matrix_copy(inverse, mesh->matrix);
    lib3ds_matrix_inv(inverse);
    lib3ds_matrix_mult(placed, inverse);
    std::vector<Vec3> points(mesh->points);
    for (Lib3dsDword i = 0; i < mesh->points; i++) {
        Lib3dsVector out;
        lib3ds_vector_transform(out, placed, mesh->pointL[i].pos);
        points[i] = Vec3{out[0], out[1], out[2]};
    }
    for (Lib3dsDword k = 0; k < mesh->faces; k++) {
        const Lib3dsWord* p = mesh->faceL[k].points;
        float d = length(nearestOnTriangle(eye, points[p[0]], points[p[1]], points[p[2]]) - eye);
        if (d < *least) {
            *least = d;
            *nearest = node->name;
        }
    }
}

// Ten times a second, the camera stays clear of every mesh: never inside
// one, never close enough for the near plane to cut into it.
TEST_F(ShowFiles, CameraKeepsClearOfEveryMesh) {
    for (const ShowScene& s : showScenes()) {
        SCOPED_TRACE(s.file);
        Lib3dsFile* f = lib3ds_file_load((dir / s.file).string().c_str());
        ASSERT_NE(f, nullptr);
        Lib3dsNode* cam = lib3ds_file_node_by_name(f, "Camera01", LIB3DS_CAMERA_NODE);
        ASSERT_NE(cam, nullptr);
        float worst = 1e30f;
        int worstFrame = 0;
        std::string worstMesh;
        for (int frame = 0; frame * 100 < s.durationMs; frame++) {
            lib3ds_file_eval(f, static_cast<float>(frame));
            Vec3 eye{cam->data.camera.pos[0], cam->data.camera.pos[1], cam->data.camera.pos[2]};
            std::string nearest;
            float d = 1e30f;
            for (Lib3dsNode* n = f->nodes; n; n = n->next) clearance(f, n, eye, &d, &nearest);
            if (d < worst) worst = d, worstFrame = frame, worstMesh = nearest;
        }
        EXPECT_GE(worst, 25.0f) << "at frame " << worstFrame << ", " << worstMesh;
        lib3ds_file_free(f);
    }
}

}  // namespace
