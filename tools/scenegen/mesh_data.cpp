#include "tools/scenegen/mesh_data.h"

#include <cmath>
#include <cstdio>

#include "tools/scenegen/patterns.h"

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalized(Vec3 a) {
    float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

MeshData::MeshData(const std::string& material) { materials.push_back(material); }

int MeshData::addPoint(Vec3 p, Uv uv) {
    points.push_back(p);
    texels.push_back(uv);
    return static_cast<int>(points.size()) - 1;
}

void MeshData::addFace(int a, int b, int c) { faces.push_back({a, b, c, 0}); }

void MeshData::addFaceFacing(int a, int b, int c, Vec3 front) {
    Vec3 n = cross(points[b] - points[a], points[c] - points[a]);
    if (length(n) < 1e-6f) return;
    if (dot(n, front) < 0.0f)
        addFace(a, c, b);
    else
        addFace(a, b, c);
}

int MeshData::materialIndex(const std::string& name) {
    for (size_t i = 0; i < materials.size(); i++)
        if (materials[i] == name) return static_cast<int>(i);
    materials.push_back(name);
    return static_cast<int>(materials.size()) - 1;
}

void MeshData::append(const MeshData& other, Vec3 offset) {
    int base = static_cast<int>(points.size());
    for (size_t i = 0; i < other.points.size(); i++) addPoint(other.points[i] + offset, other.texels[i]);
    for (const Face& f : other.faces)
        faces.push_back({f.a + base, f.b + base, f.c + base, materialIndex(other.materials[f.material])});
}

void MeshData::mapPlanarXZ(Vec3 low, Vec3 high) {
    for (size_t i = 0; i < points.size(); i++) {
        texels[i].u = (points[i].x - low.x) / (high.x - low.x);
        texels[i].v = (high.z - points[i].z) / (high.z - low.z);
    }
}

void MeshData::rotateX(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    for (Vec3& p : points) p = Vec3{p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}

void MeshData::rotateY(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    for (Vec3& p : points) p = Vec3{p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}

void MeshData::rotateZ(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    for (Vec3& p : points) p = Vec3{p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

void MeshData::orient(Vec3 axis) {
    Vec3 z = normalized(axis);
    Vec3 x = cross(Vec3{0, 0, 1}, z);
    if (length(x) < 1e-4f) x = Vec3{1, 0, 0};
    x = normalized(x);
    Vec3 y = cross(z, x);
    for (Vec3& p : points) p = x * p.x + y * p.y + z * p.z;
}

void MeshData::scaleBy(Vec3 f) {
    for (Vec3& p : points) p = Vec3{p.x * f.x, p.y * f.y, p.z * f.z};
}

void MeshData::roughen(float amount, float featureSize, unsigned seed) {
    for (Vec3& p : points) {
        float n = fractalNoise3(p * (1.0f / featureSize), 4, seed) * 2.0f - 1.0f;
        p = p + normalized(p) * (amount * n);
    }
}

void MeshData::dropFaces(const std::function<bool(Vec3 centre, Vec3 normal)>& hidden) {
    std::vector<Face> kept;
    for (const Face& f : faces) {
        Vec3 a = points[f.a], b = points[f.b], c = points[f.c];
        if (!hidden((a + b + c) * (1.0f / 3.0f), normalized(cross(b - a, c - a)))) kept.push_back(f);
    }
    faces = kept;
}

Lib3dsMesh* MeshData::toLib3ds(const char* name, Vec3 at) const {
    if (points.size() > 65535) return nullptr;  // faces index points with 16 bits
    Lib3dsMesh* mesh = lib3ds_mesh_new(name);
    if (!mesh) return nullptr;
    Lib3dsDword count = static_cast<Lib3dsDword>(points.size());
    lib3ds_mesh_new_point_list(mesh, count);
    lib3ds_mesh_new_texel_list(mesh, count);
    lib3ds_mesh_new_face_list(mesh, static_cast<Lib3dsDword>(faces.size()));
    for (Lib3dsDword i = 0; i < count; i++) {
        Vec3 p = points[i] * lightGain + at;
        mesh->pointL[i].pos[0] = p.x;
        mesh->pointL[i].pos[1] = p.y;
        mesh->pointL[i].pos[2] = p.z;
        // 3D Studio's texture v runs upwards; the renderer hands v on unchanged
        // and images are loaded top row first, so store the image's own v.
        mesh->texelL[i][0] = texels[i].u;
        mesh->texelL[i][1] = texels[i].v;
    }
    for (size_t i = 0; i < faces.size(); i++) {
        Lib3dsFace& f = mesh->faceL[i];
        f.points[0] = static_cast<Lib3dsWord>(faces[i].a);
        f.points[1] = static_cast<Lib3dsWord>(faces[i].b);
        f.points[2] = static_cast<Lib3dsWord>(faces[i].c);
        f.flags = LIB3DS_FACE_FLAG_VIS_AC | LIB3DS_FACE_FLAG_VIS_BC | LIB3DS_FACE_FLAG_VIS_AB;
        std::snprintf(f.material, sizeof f.material, "%s", materials[faces[i].material].c_str());
    }
    for (int i = 0; i < 3; i++) mesh->matrix[i][i] = lightGain;
    mesh->matrix[3][0] = at.x;
    mesh->matrix[3][1] = at.y;
    mesh->matrix[3][2] = at.z;
    return mesh;
}
