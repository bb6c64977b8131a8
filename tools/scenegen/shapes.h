// Mesh shapes, centred on the origin, with texture coordinates. 3D Studio's
// frame: x right, y away from the viewer, z up.
#ifndef VELMORA_TOOLS_SCENEGEN_SHAPES_H
#define VELMORA_TOOLS_SCENEGEN_SHAPES_H

#include <functional>
#include <vector>

#include "tools/scenegen/mesh_data.h"

// Which way a closed surface shows its front: out for solids, in for rooms,
// domes and tunnels seen from inside.
enum class Facing { Outside, Inside };

// Each side carries the whole image `repeat` times.
MeshData box(const std::string& material, Vec3 size, float repeat = 1.0f);
// Flat grid in the x-y plane facing up (+z), the image repeated `repeat` times.
MeshData plane(const std::string& material, float width, float depth, int cells, float repeat);
// Upright quad in the x-z plane facing the viewer (-y); the image once.
MeshData sprite(const std::string& material, float width, float height);
// A sprite of a round glow, black outside its circle: the octagon round that
// circle, the image placed as on the square sprite, without its dark corners.
MeshData glowSprite(const std::string& material, float size);
// A flat ring in the x-z plane facing the viewer (-y): a glow round a round
// thing that costs no drawing inside it; v runs from the inner edge outwards.
MeshData halo(const std::string& material, float inner, float outer, int segments);
// Three quads crossing at right angles: a glow that reads from every side.
MeshData glowCross(const std::string& material, float size);
// Two upright quads crossing: a shaft of light standing on the origin.
MeshData beam(const std::string& material, float width, float height);
MeshData sphere(const std::string& material, float radius, int slices, int stacks, Facing facing,
                float repeat = 1.0f);
// Ring about the z axis: `radius` to the middle of the tube, `thickness` the tube's radius.
MeshData torus(const std::string& material, float radius, float thickness, int segments, int sides,
               float repeat = 1.0f);
// Round tube along a path of centres; the image wraps once around and
// repeats `repeatAlong` times over the whole length.
MeshData tube(const std::string& material, const std::vector<Vec3>& path, float radius, int sides,
              Facing facing, float repeatAlong);
// The same with a radius of its own at each point of the path.
MeshData tube(const std::string& material, const std::vector<Vec3>& path, const std::vector<float>& radii,
              int sides, Facing facing, float repeatAlong);
// A box whose edges and corners are rounded with `radius`; each side is a
// 3 x 3 grid whose outer cells bend round the edges, so flat shading gives
// the edges a graded highlight.
MeshData roundedBox(const std::string& material, Vec3 size, float radius, float repeat = 1.0f);
// A box with its edges and corners cut off at `bevel`: 44 triangles whose
// slanted cuts catch the light as highlights.
MeshData chamferBox(const std::string& material, Vec3 size, float bevel);
// A point of a lathe profile: distance from the z axis, and height.
struct ProfilePoint {
    float radius, z;
};
// Surface of revolution about the z axis. The profile runs from top to
// bottom, the solid on its inner side; u goes round `repeat` times, v runs
// down the profile by length.
MeshData lathe(const std::string& material, const std::vector<ProfilePoint>& profile, int segments,
               float repeat = 1.0f);
// Grid in the x-y plane facing up, each point raised by `height(x, y)`; the
// image repeated `repeat` times across it.
MeshData heightField(const std::string& material, float width, float depth, int cells, float repeat,
                     const std::function<float(float, float)>& height);
// Flat ring in the x-y plane facing up; u goes round `repeat` times, v runs
// from the inner edge (0) to the outer edge (1).
MeshData annulus(const std::string& material, float inner, float outer, int segments, int rings,
                 float repeat = 1.0f);
// A sky seen from inside: the sphere from the zenith down to `lowest`
// radians below the horizon; v runs from the zenith (0) to that edge (1).
MeshData dome(const std::string& material, float radius, int slices, int stacks, float lowest,
              float repeat = 1.0f);
// Upper-case text of cubes, one cube per lit cell of a 5 x 7 font, in the
// x-z plane, facing the viewer, centred; the image spans the whole text.
MeshData blockText(const std::string& material, const char* text, float cell);
// One letter of such text, as `blockText` places it in a text of `letters`
// letters, bevelled cubes instead of sharp ones, for a viewer in front
// (towards -y): faces hidden from there are left out. Nothing for a space.
MeshData blockLetter(const std::string& material, char letter, int index, int letters, float cell);

#endif
