// A triangle mesh under construction: points with texture coordinates and
// faces naming their material, turned into a lib3ds mesh at the end.
#ifndef VELMORA_TOOLS_SCENEGEN_MESH_DATA_H
#define VELMORA_TOOLS_SCENEGEN_MESH_DATA_H

#include <functional>
#include <string>
#include <vector>

#include <lib3ds/mesh.h>

struct Vec3 {
    float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float k);
Vec3 operator*(Vec3 a, Vec3 b);  // each axis by its own factor
Vec3 cross(Vec3 a, Vec3 b);
float dot(Vec3 a, Vec3 b);
float length(Vec3 a);
Vec3 normalized(Vec3 a);

struct Uv {
    float u, v;  // v = 0 is the top row of the image
};

struct Face {
    int a, b, c;  // counter-clockwise seen from the front
    int material;  // index into MeshData::materials
};

class MeshData {
public:
    explicit MeshData(const std::string& material);

    int addPoint(Vec3 p, Uv uv);
    void addFace(int a, int b, int c);
    // Adds the triangle turned so that its front faces along `front`;
    // triangles without area are dropped.
    void addFaceFacing(int a, int b, int c, Vec3 front);
    // Appends another mesh moved by `offset`, keeping its faces' materials.
    void append(const MeshData& other, Vec3 offset);
    // Texture coordinates from the x and z of each point: the box from
    // `low` to `high` maps onto the image once, z high at the top.
    void mapPlanarXZ(Vec3 low, Vec3 high);
    // Turns every point about the x, y or z axis through the origin.
    void rotateX(float angle);
    void rotateY(float angle);
    void rotateZ(float angle);
    void scaleBy(Vec3 factors);
    // Turns the mesh so that its z axis points along `axis`, its x axis
    // staying level.
    void orient(Vec3 axis);
    // Moves every point `amount` along its direction from the origin, scaled
    // by fractal noise in [-1, 1] of where it lies: rock, cloud and wave.
    void roughen(float amount, float featureSize, unsigned seed);
    // Drops the faces that `hidden`, given a face's centre and the unit
    // normal of its front, says are never seen.
    void dropFaces(const std::function<bool(Vec3 centre, Vec3 normal)>& hidden);

    // A new lib3ds mesh with the points placed at `at`; its matrix records
    // that placement, as 3D Studio does. The caller owns the mesh.
    Lib3dsMesh* toLib3ds(const char* name, Vec3 at) const;

    std::vector<Vec3> points;
    std::vector<Uv> texels;
    std::vector<Face> faces;
    std::vector<std::string> materials;
    // Above 1, the mesh is lit that much more strongly: its points are stored
    // that many times further from their place and the mesh matrix scales
    // them back, which lengthens the normals, and the renderer does not
    // renormalise them. Sides turned from the viewer's light then stay lit.
    float lightGain = 1.0f;

private:
    int materialIndex(const std::string& name);
};

#endif
