// Scene files before lib3ds: every real file still loads as lib3ds reads it
// from disk, and files that would make lib3ds misread are refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <lib3ds/camera.h>
#include <lib3ds/chunk.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include "platform/win32/testing.h"
#include "scene/scene.h"
#include "scene/scene_check.h"
#include "scene/scene_file.h"
#include "tests/scene/scene_fixture.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

bool isSceneFile(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".3ds" || p.filename() == "testFormatDetection";
}

std::vector<std::string> sceneFiles(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && fs::file_size(e.path()) > 0 && isSceneFile(e.path()))
            out.push_back(e.path().string());
    return out;
}

// What drawing uses of a parsed file, as text to compare.
std::string describe(Lib3dsFile* f) {
    std::ostringstream s;
    for (Lib3dsMesh* m = f->meshes; m; m = m->next) {
        s << "mesh " << m->name << " " << m->points << " " << m->faces << " " << m->texels << "\n";
        for (Lib3dsDword i = 0; i < m->points; i++)
            s << m->pointL[i].pos[0] << "," << m->pointL[i].pos[1] << "," << m->pointL[i].pos[2] << " ";
        for (Lib3dsDword i = 0; i < m->faces; i++)
            s << m->faceL[i].points[0] << "/" << m->faceL[i].points[1] << "/" << m->faceL[i].points[2] << ":"
              << m->faceL[i].material << " ";
        for (Lib3dsDword i = 0; i < m->texels; i++) s << m->texelL[i][0] << "," << m->texelL[i][1] << " ";
        s << "\n";
    }
    for (Lib3dsMaterial* m = f->materials; m; m = m->next)
        s << "material " << m->name << " " << m->texture1_map.name << " " << m->transparency << "\n";
    for (Lib3dsCamera* c = f->cameras; c; c = c->next) s << "camera " << c->name << " " << c->fov << "\n";
    lib3ds_file_eval(f, 0.0f);
    struct Walk {
        static void nodes(std::ostringstream& s, Lib3dsNode* n, int depth) {
            for (; n; n = n->next) {
                s << std::string(depth, ' ') << n->type << " " << n->name << " " << n->node_id << " "
                  << n->matrix[3][0] << "," << n->matrix[3][1] << "," << n->matrix[3][2] << "\n";
                nodes(s, n->childs, depth + 1);
            }
        }
    };
    Walk::nodes(s, f->nodes, 0);
    return s.str();
}

// Every file lib3ds reads from disk is read the same through the check.
void expectLoadedAsFromDisk(const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        Lib3dsFile* fromDisk = lib3ds_file_load(path.c_str());
        ASSERT_NE(fromDisk, nullptr) << path;
        Lib3dsFile* checked = loadSceneFile(path.c_str());
        EXPECT_NE(checked, nullptr) << "refused: " << path;
        if (checked) {
            EXPECT_EQ(describe(checked), describe(fromDisk)) << path;
            lib3ds_file_free(checked);
        }
        lib3ds_file_free(fromDisk);
    }
}

TEST(SceneCheck, TheShowsScenesLoadAsLib3dsReadsThemFromDisk) {
    std::vector<std::string> files = sceneFiles(builtDataDir());
    EXPECT_GE(files.size(), 7u) << "the show's scenes are built into " << builtDataDir();
    expectLoadedAsFromDisk(files);
}

TEST(SceneCheck, ThirdPartyScenesLoadAsLib3dsReadsThemFromDisk) {
    if (thirdParty3dsDir().empty())
        GTEST_SKIP() << "no third-party 3DS scenes: install assimp-testmodels (scripts/setup.sh does)";
    std::vector<std::string> files = sceneFiles(thirdParty3dsDir());
    EXPECT_GE(files.size(), 7u);
    expectLoadedAsFromDisk(files);
}

TEST(SceneCheck, TestCorpusScenesLoadAsLib3dsReadsThemFromDisk) {
    SKIP_WITHOUT_TEST_DATA("3ds");
    std::vector<std::string> files = sceneFiles(testDataPath("3ds"));
    EXPECT_FALSE(files.empty());
    expectLoadedAsFromDisk(files);
}

// Chunks written by hand, so a test can say exactly which length, count or
// index is wrong.
struct Chunk {
    Chunk(unsigned id, std::string data = "", std::vector<Chunk> children = {}, long length = -1)
        : id(id), data(data), children(children), length(length) {}
    unsigned id;
    std::string data;
    std::vector<Chunk> children;
    long length;       // the length field when not the true one
    std::string tail;  // bytes after the children, inside the chunk
};

std::string le16(unsigned v) { return {char(v & 0xFF), char(v >> 8 & 0xFF)}; }
std::string le32(unsigned long v) { return le16(v & 0xFFFF) + le16(v >> 16 & 0xFFFF); }
std::string cstr(const std::string& s) { return s + '\0'; }
std::string floats(int n) { return std::string(size_t(4) * n, '\0'); }

std::string bytes(const Chunk& c) {
    std::string body = c.data;
    for (const Chunk& k : c.children) body += bytes(k);
    body += c.tail;
    return le16(c.id) + le32(c.length >= 0 ? (unsigned long)c.length : body.size() + 6) + body;
}

Chunk points(int n) { return {LIB3DS_POINT_ARRAY, le16(n) + floats(3 * n), {}}; }

Chunk faces(std::vector<unsigned> corners, std::vector<Chunk> lists = {}) {
    std::string d = le16(unsigned(corners.size() / 3));
    for (size_t i = 0; i < corners.size(); i += 3)
        d += le16(corners[i]) + le16(corners[i + 1]) + le16(corners[i + 2]) + le16(0);
    return {LIB3DS_FACE_ARRAY, d, lists};
}

Chunk materialGroup(std::vector<unsigned> list) {
    std::string d = cstr("Red") + le16(unsigned(list.size()));
    for (unsigned f : list) d += le16(f);
    return {LIB3DS_MSH_MAT_GROUP, d, {}};
}

Chunk object(const std::string& name, std::vector<Chunk> children) {
    return {LIB3DS_NAMED_OBJECT, cstr(name), children};
}

Chunk mesh(std::vector<Chunk> children) { return object("Box", {{LIB3DS_N_TRI_OBJECT, "", children}}); }

Chunk nodeHeader(const std::string& name, unsigned parent) {
    return {LIB3DS_NODE_HDR, cstr(name) + le16(0) + le16(0) + le16(parent), {}};
}

Chunk objectNode(unsigned id, unsigned parent) {
    return {LIB3DS_OBJECT_NODE_TAG, "", {{LIB3DS_NODE_ID, le16(id), {}}, nodeHeader("Box", parent)}};
}

// A camera, a mesh of three points and one face in material "Red", and
// keyframer nodes for the camera, its target and the mesh.
Chunk scene(std::vector<Chunk> meshChildren, std::vector<Chunk> moreMdata = {}, std::vector<Chunk> nodes = {}) {
    Chunk mdata{LIB3DS_MDATA, "", {object("Camera01", {{LIB3DS_N_CAMERA, floats(8), {}}}), mesh(meshChildren)}};
    for (const Chunk& c : moreMdata) mdata.children.push_back(c);
    Chunk kf{LIB3DS_KFDATA, "", {}};
    kf.children.push_back({LIB3DS_CAMERA_NODE_TAG, "", {{LIB3DS_NODE_ID, le16(0), {}}, nodeHeader("Camera01", 0xFFFF)}});
    kf.children.push_back({LIB3DS_TARGET_NODE_TAG, "", {{LIB3DS_NODE_ID, le16(1), {}}, nodeHeader("Camera01", 0xFFFF)}});
    for (const Chunk& n : nodes) kf.children.push_back(n);
    return {LIB3DS_M3DMAGIC, "", {mdata, kf}};
}

std::vector<Chunk> goodMesh() { return {points(3), faces({0, 1, 2}, {materialGroup({0})})}; }

bool readable(const std::string& b) {
    return sceneBytesReadable(reinterpret_cast<const unsigned char*>(b.data()), b.size()) != 0;
}

TEST(SceneCheck, WellFormedHandWrittenFileIsReadAsWritten) {
    std::string b = bytes(scene({points(3), faces({0, 1, 2}, {materialGroup({0})})}));
    ASSERT_TRUE(readable(b));
    Lib3dsFile* f = parseSceneBytes(reinterpret_cast<const unsigned char*>(b.data()), b.size());
    ASSERT_NE(f, nullptr);
    Lib3dsMesh* m = lib3ds_file_mesh_by_name(f, "Box");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->points, 3u);
    ASSERT_EQ(m->faces, 1u);
    EXPECT_STREQ(m->faceL[0].material, "Red");
    EXPECT_NE(lib3ds_file_node_by_name(f, "Camera01", LIB3DS_TARGET_NODE), nullptr);
    lib3ds_file_free(f);
}

TEST(SceneCheck, IndicesPastWhatTheMeshHoldsAreRefused) {
    // A face's corner must be below the points the mesh ends with.
    EXPECT_TRUE(readable(bytes(scene({points(3), faces({0, 1, 2})}))));
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 3})}))));
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 60000, 2})}))));
    // Points given before the faces and replaced after them count as replaced.
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 2}), points(2)}))));
    EXPECT_TRUE(readable(bytes(scene({points(2), faces({0, 1, 2}), points(3)}))));
    // Faces without any points.
    EXPECT_FALSE(readable(bytes(scene({faces({0, 0, 0})}))));
    // A material group names faces below the count of its face array.
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 2}, {materialGroup({1})})}))));
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 2}, {materialGroup({0, 0xFFFF})})}))));
}

TEST(SceneCheck, CountsLargerThanTheirChunkAreRefused) {
    Chunk shortPoints{LIB3DS_POINT_ARRAY, le16(4) + floats(9), {}};
    EXPECT_FALSE(readable(bytes(scene({shortPoints, faces({0, 1, 2})}))));
    Chunk shortFaces = faces({0, 1, 2});
    shortFaces.data = le16(2) + shortFaces.data.substr(2);
    EXPECT_FALSE(readable(bytes(scene({points(3), shortFaces}))));
    Chunk shortTexels{LIB3DS_TEX_VERTS, le16(3) + floats(4), {}};
    EXPECT_FALSE(readable(bytes(scene({points(3), shortTexels}))));
    // The smoothing list holds one group per face.
    Chunk smoothing{LIB3DS_SMOOTH_GROUP, le32(1), {}};
    EXPECT_TRUE(readable(bytes(scene({points(3), faces({0, 1, 2}, {smoothing})}))));
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 2, 2, 1, 0}, {smoothing})}))));
    Chunk group = materialGroup({0});
    group.data = cstr("Red") + le16(5) + le16(0);
    EXPECT_FALSE(readable(bytes(scene({points(3), faces({0, 1, 2}, {group})}))));

    // Track keys: a camera position track claiming a million keys.
    Chunk track{LIB3DS_POS_TRACK_TAG, le16(0) + le32(0) + le32(0) + le32(1000000) + le32(0) + le16(0) + floats(3), {}};
    Chunk cameraNode{LIB3DS_CAMERA_NODE_TAG, "", {{LIB3DS_NODE_ID, le16(7), {}}, nodeHeader("C2", 0xFFFF), track}};
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {}, {cameraNode}))));
    cameraNode.children[2].data = le16(0) + le32(0) + le32(0) + le32(1) + le32(0) + le16(0) + floats(3);
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {}, {cameraNode}))));
    // A key whose flags announce tension and bias carries two more floats.
    cameraNode.children[2].data = le16(0) + le32(0) + le32(0) + le32(1) + le32(0) + le16(5) + floats(3);
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {}, {cameraNode}))));
}

TEST(SceneCheck, ChunkLengthsThatLeaveTheirParentOrStandStillAreRefused) {
    EXPECT_FALSE(readable(""));
    EXPECT_FALSE(readable(std::string("\x4d\x4d\x06\x00", 4)));
    EXPECT_TRUE(readable(bytes({LIB3DS_M3DMAGIC, "", {}})));
    // Only the chunks lib3ds starts a file with.
    EXPECT_FALSE(readable(bytes({0x1234, "", {}})));
    EXPECT_TRUE(readable(bytes({LIB3DS_MDATA, "", {}})));

    // An unknown chunk of length 0 would be read again for ever; 1 to 5
    // would put the next header inside this one.
    for (long length : {0L, 1L, 5L}) {
        Chunk stuck{0x7777, "", {}, length};
        EXPECT_FALSE(readable(bytes(scene(goodMesh(), {stuck})))) << length;
    }
    // The top chunk running past the end of the file, a child running past
    // its parent, and a header cut short at the end of its parent.
    Chunk top = scene(goodMesh());
    std::string whole = bytes(top);
    EXPECT_FALSE(readable(whole.substr(0, whole.size() - 1)));
    Chunk overlong = points(3);
    overlong.length = 1000;
    EXPECT_FALSE(readable(bytes(scene({overlong, faces({0, 1, 2})}))));
    Chunk withTail = mesh({points(3), faces({0, 1, 2})});
    withTail.children[0].tail = "\x10\x41\x00";
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {withTail}))));
    // A child whose id is 0 ends its parent's list for lib3ds, whatever follows.
    Chunk ended = mesh({points(3), faces({0, 1, 2})});
    ended.children[0].children.insert(ended.children[0].children.begin(), Chunk{0, "", {}, 0});
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {ended}))));
}

TEST(SceneCheck, StringsMustEndInsideTheirChunkAndField) {
    Chunk material{LIB3DS_MAT_ENTRY, "", {{LIB3DS_MAT_NAME, cstr(std::string(63, 'm')), {}}}};
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {material}))));
    material.children[0].data = cstr(std::string(64, 'm'));
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {material}))));
    material.children[0].data = "Red";
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {material}))));
    Chunk texture{LIB3DS_MAT_ENTRY, "", {{LIB3DS_MAT_TEXMAP, "", {{LIB3DS_MAT_MAPNAME, "tex.png", {}}}}}};
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {texture}))));
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {object(std::string(70, 'o'), {})}))));
}

TEST(SceneCheck, NodeHierarchiesLib3dsCannotBuildAreRefused) {
    // Without a header a node keeps parent id 0; the first node of a section
    // is numbered 0, so it names itself as its parent.
    Chunk bare{LIB3DS_OBJECT_NODE_TAG, "", {}};
    Chunk kf{LIB3DS_KFDATA, "", {bare}};
    EXPECT_FALSE(readable(bytes({LIB3DS_M3DMAGIC, "", {kf}})));
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {}, {objectNode(9, 9)}))));
    // A parent that comes later in the file is found once it is read.
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {}, {objectNode(10, 11), objectNode(11, 0xFFFF)}))));

    auto chain = [](int length) {
        std::vector<Chunk> nodes;
        for (int i = 0; i < length; i++) nodes.push_back(objectNode(100 + i, i ? 99 + i : 0xFFFF));
        return nodes;
    };
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {}, chain(100)))));
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {}, chain(SCENE_MAX_NODE_DEPTH + 2)))));
}

TEST(SceneCheck, GradientWithMoreColoursThanLib3dsKeepsIsRefused) {
    Chunk gradient{LIB3DS_V_GRADIENT, floats(1), {}};
    for (int i = 0; i < 3; i++) gradient.children.push_back({LIB3DS_COLOR_F, floats(3), {}});
    EXPECT_TRUE(readable(bytes(scene(goodMesh(), {gradient}))));
    gradient.children.push_back({LIB3DS_COLOR_F, floats(3), {}});
    EXPECT_FALSE(readable(bytes(scene(goodMesh(), {gradient}))));
}

using SceneCheckLoad = SceneFixture;

// Refused files go the way of unreadable ones, and never reach lib3ds: its
// chunk level counter would overflow after a few failed reads.
TEST_F(SceneCheckLoad, RefusedFilesAreReportedAsUnreadableAndLaterFilesStillLoad) {
    std::ofstream(dataPath("bad.3ds"), std::ios::binary) << bytes(scene({points(3), faces({0, 1, 7})}));
    Scene refused;
    EXPECT_EQ(refused.load("bad.3ds"), 0);
    EXPECT_EQ(refused.file, nullptr);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Load3ds error : Can't load 3ds file data/bad.3ds"});

    std::string notAScene = bytes({0x1234, "", {{LIB3DS_MDATA, "", {}}}});
    std::string failing = bytes(scene(goodMesh(), {object(std::string(70, 'o'), {})}));
    for (int i = 0; i < 200; i++) {
        const std::string& b = i % 2 ? notAScene : failing;
        EXPECT_EQ(parseSceneBytes(reinterpret_cast<const unsigned char*>(b.data()), b.size()), nullptr);
    }
    std::ofstream(dataPath("good.3ds"), std::ios::binary) << bytes(scene(goodMesh()));
    Scene loaded;
    EXPECT_EQ(loaded.load("good.3ds"), 1);
}

}  // namespace
