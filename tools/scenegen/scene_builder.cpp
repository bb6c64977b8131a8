#include "tools/scenegen/scene_builder.h"

#include <cstdio>

#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

static void copyName(char* out, size_t size, const char* name) { std::snprintf(out, size, "%s", name); }

SceneBuilder::SceneBuilder(int frames) : frames_(frames), file_(lib3ds_file_new()) {
    if (!file_) {
        failed_ = true;
        return;
    }
    file_->frames = frames;
    file_->segment_from = 0;
    file_->segment_to = frames;
}

SceneBuilder::~SceneBuilder() {
    if (file_) lib3ds_file_free(file_);
}

void SceneBuilder::material(const char* name, const char* texture, float transparency) {
    Lib3dsMaterial* m = file_ ? lib3ds_material_new() : nullptr;
    if (!m) {
        failed_ = true;
        return;
    }
    copyName(m->name, sizeof m->name, name);
    copyName(m->texture1_map.name, sizeof m->texture1_map.name, texture);
    m->texture1_map.percent = 1.0f;
    const Lib3dsRgba grey = {0.8f, 0.8f, 0.8f, 1.0f};
    for (int i = 0; i < 4; i++) {
        m->ambient[i] = grey[i] * 0.25f;
        m->diffuse[i] = grey[i];
    }
    m->shading = LIB3DS_GOURAUD;
    m->transparency = transparency;
    m->additive = transparency > 0.0f;
    lib3ds_file_insert_material(file_, m);
}

Lib3dsNode* SceneBuilder::addNode(Lib3dsNode* node, const char* name, Lib3dsNode* parent) {
    if (!node) {
        failed_ = true;
        return nullptr;
    }
    copyName(node->name, sizeof node->name, name);
    node->node_id = static_cast<Lib3dsWord>(nextNodeId_++);
    node->parent_id = parent ? parent->node_id : LIB3DS_NO_PARENT;
    lib3ds_file_insert_node(file_, node);
    return node;
}

Vec3 SceneBuilder::worldPosition(Lib3dsNode* node) const {
    for (const auto& p : placed_)
        if (p.first == node) return p.second;
    return Vec3{0, 0, 0};
}

static void restPose(SceneBuilder& scene, Lib3dsNode* node, Vec3 at) {
    scene.move(node, {{0, at}});
    scene.turn(node, {{0, Vec3{0, 0, 1}, 0.0f}});
    scene.resize(node, {{0, Vec3{1, 1, 1}}});
}

Lib3dsNode* SceneBuilder::object(const char* name, const MeshData& mesh, Vec3 at, Lib3dsNode* parent) {
    if (!file_) return nullptr;
    Vec3 world = worldPosition(parent) + at;
    Lib3dsMesh* m = mesh.toLib3ds(name, world);
    if (!m) {
        failed_ = true;
        return nullptr;
    }
    lib3ds_file_insert_mesh(file_, m);
    Lib3dsNode* node = addNode(lib3ds_node_new_object(), name, parent);
    if (!node) return nullptr;
    placed_.push_back({node, world});
    restPose(*this, node, at);
    return node;
}

Lib3dsNode* SceneBuilder::dummy(const char* instance, Vec3 at, Lib3dsNode* parent) {
    if (!file_) return nullptr;
    Lib3dsNode* node = addNode(lib3ds_node_new_object(), "$$$DUMMY", parent);
    if (!node) return nullptr;
    copyName(node->data.object.instance, sizeof node->data.object.instance, instance);
    placed_.push_back({node, worldPosition(parent) + at});
    restPose(*this, node, at);
    return node;
}

void SceneBuilder::camera(const char* name, Vec3 position, Vec3 target, float fieldOfView) {
    Lib3dsCamera* c = file_ ? lib3ds_camera_new(name) : nullptr;
    if (!c) {
        failed_ = true;
        return;
    }
    c->position[0] = position.x;
    c->position[1] = position.y;
    c->position[2] = position.z;
    c->target[0] = target.x;
    c->target[1] = target.y;
    c->target[2] = target.z;
    c->fov = fieldOfView;
    c->near_range = 10.0f;
    c->far_range = 20000.0f;
    lib3ds_file_insert_camera(file_, c);
    cameraNode_ = addNode(lib3ds_node_new_camera(), name, nullptr);
    targetNode_ = addNode(lib3ds_node_new_target(), name, nullptr);
    if (!cameraNode_ || !targetNode_) return;
    cameraPath({{0, position}});
    targetPath({{0, target}});
    fov({{0, fieldOfView}});
    roll({{0, 0.0f}});
}

void SceneBuilder::cameraPath(const std::vector<PositionKey>& keys) {
    if (cameraNode_) setKeys(cameraNode_->data.camera.pos_track, keys);
}

void SceneBuilder::targetPath(const std::vector<PositionKey>& keys) {
    if (targetNode_) setKeys(targetNode_->data.target.pos_track, keys);
}

void SceneBuilder::fov(const std::vector<ValueKey>& keys) {
    if (cameraNode_) setKeys(cameraNode_->data.camera.fov_track, keys);
}

void SceneBuilder::roll(const std::vector<ValueKey>& keys) {
    if (cameraNode_) setKeys(cameraNode_->data.camera.roll_track, keys);
}

void SceneBuilder::move(Lib3dsNode* node, const std::vector<PositionKey>& keys) {
    if (node) setKeys(node->data.object.pos_track, keys);
}

void SceneBuilder::turn(Lib3dsNode* node, const std::vector<TurnKey>& keys) {
    if (node) setKeys(node->data.object.rot_track, keys);
}

void SceneBuilder::resize(Lib3dsNode* node, const std::vector<PositionKey>& keys) {
    if (node) setKeys(node->data.object.scl_track, keys);
}

void SceneBuilder::light(const char* name, Vec3 position) {
    Lib3dsLight* l = file_ ? lib3ds_light_new(name) : nullptr;
    if (!l) {
        failed_ = true;
        return;
    }
    l->color[0] = l->color[1] = l->color[2] = 1.0f;
    l->position[0] = position.x;
    l->position[1] = position.y;
    l->position[2] = position.z;
    l->multiplier = 1.0f;
    lib3ds_file_insert_light(file_, l);
}

bool SceneBuilder::save(const std::string& path) {
    if (failed_ || !file_) return false;
    return lib3ds_file_save(file_, path.c_str()) != 0;
}
