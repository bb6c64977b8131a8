// Small .3ds files for the scene tests, made with lib3ds's own writing calls.
#ifndef VELMORA_TESTS_SCENE_SCENE_FILES_H
#define VELMORA_TESTS_SCENE_SCENE_FILES_H

#include <string>
#include <vector>

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

struct P3 {
    float x, y, z;
};

struct TestFace {
    int a, b, c;
    const char* material;
};

class SceneFile {
public:
    SceneFile();
    ~SceneFile();
    SceneFile(const SceneFile&) = delete;
    SceneFile& operator=(const SceneFile&) = delete;

    Lib3dsFile* file() { return file_; }

    // Appended in the order given, not sorted, so the file keeps that order.
    Lib3dsCamera* camera(const char* name, P3 position, P3 target, float fov);
    Lib3dsLight* light(const char* name, P3 position);
    Lib3dsMaterial* material(const char* name, const char* texture, float transparency = 0.0f);

    // Nodes; a track gets a key at frame 0 and, when `to` is given, one at `frame`.
    Lib3dsNode* cameraNode(const char* name, P3 position, float fov, float roll = 0.0f);
    Lib3dsNode* targetNode(const char* name, P3 position);
    Lib3dsNode* objectNode(const char* name, Lib3dsNode* parent = nullptr);
    static void positionKey(Lib3dsLin3Track& track, int frame, P3 value);
    static void valueKey(Lib3dsLin1Track& track, int frame, float value);

    // A mesh with the given points, faces and, when any, texels (one per point
    // unless `texelCount` says otherwise).
    Lib3dsMesh* mesh(const char* name, const std::vector<P3>& points, const std::vector<TestFace>& faces,
                     bool withTexels = true, int texelCount = -1);

    bool save(const std::string& path);

private:
    Lib3dsFile* file_;
    int nextId_ = 0;
};

// A square of side 2 * half in the plane y = 0, facing -y, its texels
// putting the image's top-left at the top-left corner.
std::vector<P3> squarePoints(float half);
std::vector<TestFace> squareFaces(const char* material);

// The usual scene: camera "Camera01" at (0, -100, 0) looking at the origin
// with a 45 degree field of view, its camera and target nodes.
void addStandardCamera(SceneFile& f);

#endif
