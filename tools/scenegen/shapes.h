// Mesh shapes, centred on the origin, with texture coordinates. 3D Studio's
// frame: x right, y away from the viewer, z up.
#ifndef VELMORA_TOOLS_SCENEGEN_SHAPES_H
#define VELMORA_TOOLS_SCENEGEN_SHAPES_H

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
// Upper-case text of cubes, one cube per lit cell of a 5 x 7 font, in the
// x-z plane, facing the viewer, centred; the image spans the whole text.
MeshData blockText(const std::string& material, const char* text, float cell);

#endif
