// One 3D Studio scene under construction: materials, meshes with their
// object nodes, dummies, the camera with its camera and target nodes, lights.
#ifndef VELMORA_TOOLS_SCENEGEN_SCENE_BUILDER_H
#define VELMORA_TOOLS_SCENEGEN_SCENE_BUILDER_H

#include <string>
#include <vector>

#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include "tools/scenegen/mesh_data.h"
#include "tools/scenegen/tracks.h"

class SceneBuilder {
public:
    // `frames`: the length of the animation, the last key frame.
    explicit SceneBuilder(int frames);
    ~SceneBuilder();
    SceneBuilder(const SceneBuilder&) = delete;
    SceneBuilder& operator=(const SceneBuilder&) = delete;

    int frames() const { return frames_; }
    Lib3dsFile* file() { return file_; }

    // transparency above 0 draws the material additively in the show.
    void material(const char* name, const char* texture, float transparency = 0.0f);

    // The mesh and an object node of the same name, placed at `at` (relative
    // to `parent`, which must be unturned at frame 0), unturned, unscaled.
    Lib3dsNode* object(const char* name, const MeshData& mesh, Vec3 at, Lib3dsNode* parent = nullptr);
    // A mesh-less object node ("$$$DUMMY") to carry children.
    Lib3dsNode* dummy(const char* instance, Vec3 at, Lib3dsNode* parent = nullptr);

    // The camera object, and its camera node and target node, both named like it.
    void camera(const char* name, Vec3 position, Vec3 target, float fov);
    Lib3dsNode* cameraNode() { return cameraNode_; }
    Lib3dsNode* targetNode() { return targetNode_; }
    void cameraPath(const std::vector<PositionKey>& keys);
    void targetPath(const std::vector<PositionKey>& keys);
    void fov(const std::vector<ValueKey>& keys);
    void roll(const std::vector<ValueKey>& keys);

    // Animation of an object or dummy node; positions relative to its parent.
    void move(Lib3dsNode* node, const std::vector<PositionKey>& keys);
    void turn(Lib3dsNode* node, const std::vector<TurnKey>& keys);
    void resize(Lib3dsNode* node, const std::vector<PositionKey>& keys);

    void light(const char* name, Vec3 position);

    // False when any part could not be made or the file not written.
    bool save(const std::string& path);

private:
    Lib3dsNode* addNode(Lib3dsNode* node, const char* name, Lib3dsNode* parent);
    Vec3 worldPosition(Lib3dsNode* node) const;

    int frames_;
    Lib3dsFile* file_;
    Lib3dsNode* cameraNode_ = nullptr;
    Lib3dsNode* targetNode_ = nullptr;
    int nextNodeId_ = 0;
    bool failed_ = false;
    std::vector<std::pair<Lib3dsNode*, Vec3>> placed_;
};

#endif
