#include "tests/scene/scene_files.h"

#include <cstring>

SceneFile::SceneFile() : file_(lib3ds_file_new()) {}

SceneFile::~SceneFile() { lib3ds_file_free(file_); }

template <typename T>
static void append(T** head, T* item) {
    while (*head) head = &(*head)->next;
    *head = item;
}

Lib3dsCamera* SceneFile::camera(const char* name, P3 p, P3 t, float fov) {
    Lib3dsCamera* c = lib3ds_camera_new(name);
    c->position[0] = p.x, c->position[1] = p.y, c->position[2] = p.z;
    c->target[0] = t.x, c->target[1] = t.y, c->target[2] = t.z;
    c->fov = fov;
    append(&file_->cameras, c);
    return c;
}

Lib3dsLight* SceneFile::light(const char* name, P3 p) {
    Lib3dsLight* l = lib3ds_light_new(name);
    l->position[0] = p.x, l->position[1] = p.y, l->position[2] = p.z;
    append(&file_->lights, l);
    return l;
}

Lib3dsMaterial* SceneFile::material(const char* name, const char* texture, float transparency) {
    Lib3dsMaterial* m = lib3ds_material_new();
    std::strcpy(m->name, name);
    std::strcpy(m->texture1_map.name, texture);
    m->transparency = transparency;
    append(&file_->materials, m);
    return m;
}

void SceneFile::positionKey(Lib3dsLin3Track& track, int frame, P3 v) {
    Lib3dsLin3Key* k = lib3ds_lin3_key_new();
    k->tcb.frame = frame;
    k->value[0] = v.x, k->value[1] = v.y, k->value[2] = v.z;
    lib3ds_lin3_track_insert(&track, k);
}

void SceneFile::valueKey(Lib3dsLin1Track& track, int frame, float v) {
    Lib3dsLin1Key* k = lib3ds_lin1_key_new();
    k->tcb.frame = frame;
    k->value = v;
    lib3ds_lin1_track_insert(&track, k);
}

static Lib3dsNode* named(Lib3dsNode* n, const char* name, int id, Lib3dsNode* parent) {
    std::strcpy(n->name, name);
    n->node_id = static_cast<Lib3dsWord>(id);
    n->parent_id = parent ? parent->node_id : LIB3DS_NO_PARENT;
    return n;
}

Lib3dsNode* SceneFile::cameraNode(const char* name, P3 position, float fov, float roll) {
    Lib3dsNode* n = named(lib3ds_node_new_camera(), name, nextId_++, nullptr);
    positionKey(n->data.camera.pos_track, 0, position);
    valueKey(n->data.camera.fov_track, 0, fov);
    valueKey(n->data.camera.roll_track, 0, roll);
    lib3ds_file_insert_node(file_, n);
    return n;
}

Lib3dsNode* SceneFile::targetNode(const char* name, P3 position) {
    Lib3dsNode* n = named(lib3ds_node_new_target(), name, nextId_++, nullptr);
    positionKey(n->data.target.pos_track, 0, position);
    lib3ds_file_insert_node(file_, n);
    return n;
}

Lib3dsNode* SceneFile::objectNode(const char* name, Lib3dsNode* parent) {
    Lib3dsNode* n = named(lib3ds_node_new_object(), name, nextId_++, parent);
    lib3ds_file_insert_node(file_, n);
    return n;
}

Lib3dsMesh* SceneFile::mesh(const char* name, const std::vector<P3>& points, const std::vector<TestFace>& faces,
                            bool withTexels, int texelCount) {
    Lib3dsMesh* m = lib3ds_mesh_new(name);
    lib3ds_mesh_new_point_list(m, static_cast<Lib3dsDword>(points.size()));
    for (size_t i = 0; i < points.size(); i++) {
        m->pointL[i].pos[0] = points[i].x;
        m->pointL[i].pos[1] = points[i].y;
        m->pointL[i].pos[2] = points[i].z;
    }
    if (withTexels) {
        size_t count = texelCount < 0 ? points.size() : static_cast<size_t>(texelCount);
        lib3ds_mesh_new_texel_list(m, static_cast<Lib3dsDword>(count));
        // u follows x and v runs down z, over the points' extent.
        for (size_t i = 0; i < count && i < points.size(); i++) {
            m->texelL[i][0] = points[i].x > 0 ? 1.0f : 0.0f;
            m->texelL[i][1] = points[i].z > 0 ? 0.0f : 1.0f;
        }
    }
    lib3ds_mesh_new_face_list(m, static_cast<Lib3dsDword>(faces.size()));
    for (size_t i = 0; i < faces.size(); i++) {
        m->faceL[i].points[0] = static_cast<Lib3dsWord>(faces[i].a);
        m->faceL[i].points[1] = static_cast<Lib3dsWord>(faces[i].b);
        m->faceL[i].points[2] = static_cast<Lib3dsWord>(faces[i].c);
        std::strcpy(m->faceL[i].material, faces[i].material);
    }
    append(&file_->meshes, m);
    return m;
}

bool SceneFile::save(const std::string& path) { return lib3ds_file_save(file_, path.c_str()) != 0; }

std::vector<P3> squarePoints(float half) {
    return {{-half, 0, -half}, {half, 0, -half}, {half, 0, half}, {-half, 0, half}};
}

std::vector<TestFace> squareFaces(const char* material) { return {{0, 1, 2, material}, {0, 2, 3, material}}; }

void addStandardCamera(SceneFile& f) {
    f.camera("Camera01", {0, -100, 0}, {0, 0, 0}, 45);
    f.cameraNode("Camera01", {0, -100, 0}, 45);
    f.targetNode("Camera01", {0, 0, 0});
}
