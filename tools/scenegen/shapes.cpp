#include "tools/scenegen/shapes.h"

#include <cmath>
#include <cstring>

static const float kTwoPi = 6.28318530717959f;
static const float kPi = 3.14159265358979f;

// A (columns + 1) x (rows + 1) grid of points, row-major, made into two
// triangles per cell, each turned to face `front(cell centre)`.
template <typename Point, typename Front>
static MeshData grid(const std::string& material, int columns, int rows, Point point, Front front) {
    MeshData mesh(material);
    for (int r = 0; r <= rows; r++)
        for (int c = 0; c <= columns; c++) {
            Uv uv{};
            Vec3 p = point(c, r, uv);
            mesh.addPoint(p, uv);
        }
    auto at = [&](int c, int r) { return r * (columns + 1) + c; };
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            int p00 = at(c, r), p10 = at(c + 1, r), p01 = at(c, r + 1), p11 = at(c + 1, r + 1);
            Vec3 f = front(c, r);
            mesh.addFaceFacing(p01, p11, p10, f);
            mesh.addFaceFacing(p01, p10, p00, f);
        }
    return mesh;
}

static void quad(MeshData& mesh, Vec3 centre, Vec3 right, Vec3 up, float repeat) {
    int a = mesh.addPoint(centre - right - up, {0.0f, repeat});
    int b = mesh.addPoint(centre + right - up, {repeat, repeat});
    int c = mesh.addPoint(centre + right + up, {repeat, 0.0f});
    int d = mesh.addPoint(centre - right + up, {0.0f, 0.0f});
    mesh.addFace(a, b, c);
    mesh.addFace(a, c, d);
}

MeshData box(const std::string& material, Vec3 size, float repeat) {
    MeshData mesh(material);
    Vec3 h = size * 0.5f;
    Vec3 x{h.x, 0, 0}, y{0, h.y, 0}, z{0, 0, h.z};
    quad(mesh, Vec3{0, 0, 0} - y, x, z, repeat);      // front, -y
    quad(mesh, y, Vec3{0, 0, 0} - x, z, repeat);      // back, +y
    quad(mesh, x, y, z, repeat);                      // right, +x
    quad(mesh, Vec3{0, 0, 0} - x, Vec3{0, 0, 0} - y, z, repeat);  // left, -x
    quad(mesh, z, x, y, repeat);                      // top, +z
    quad(mesh, Vec3{0, 0, 0} - z, x, Vec3{0, 0, 0} - y, repeat);  // bottom, -z
    return mesh;
}

MeshData plane(const std::string& material, float width, float depth, int cells, float repeat) {
    return grid(
        material, cells, cells,
        [&](int c, int r, Uv& uv) {
            float fc = static_cast<float>(c) / cells, fr = static_cast<float>(r) / cells;
            uv = {fc * repeat, (1.0f - fr) * repeat};
            return Vec3{(fc - 0.5f) * width, (fr - 0.5f) * depth, 0.0f};
        },
        [](int, int) { return Vec3{0, 0, 1}; });
}

MeshData sprite(const std::string& material, float width, float height) {
    MeshData mesh(material);
    quad(mesh, Vec3{0, 0, 0}, Vec3{width * 0.5f, 0, 0}, Vec3{0, 0, height * 0.5f}, 1.0f);
    return mesh;
}

MeshData halo(const std::string& material, float inner, float outer, int segments) {
    MeshData ring = annulus(material, inner, outer, segments, 2);
    ring.rotateX(kPi / 2);
    // Kept off the image's top and bottom rows: with the image repeating,
    // filtering at v = 0 or 1 would mix in the far edge's row and draw a
    // faint ring at the halo's rim.
    for (Uv& t : ring.texels) t.v = 0.02f + 0.95f * t.v;
    return ring;
}

MeshData glowCross(const std::string& material, float size) {
    MeshData mesh(material);
    float h = size * 0.5f;
    quad(mesh, Vec3{0, 0, 0}, Vec3{h, 0, 0}, Vec3{0, 0, h}, 1.0f);
    quad(mesh, Vec3{0, 0, 0}, Vec3{0, h, 0}, Vec3{0, 0, h}, 1.0f);
    quad(mesh, Vec3{0, 0, 0}, Vec3{h, 0, 0}, Vec3{0, h, 0}, 1.0f);
    return mesh;
}

MeshData beam(const std::string& material, float width, float height) {
    MeshData mesh(material);
    Vec3 up{0, 0, height * 0.5f};
    quad(mesh, up, Vec3{width * 0.5f, 0, 0}, up, 1.0f);
    quad(mesh, up, Vec3{0, width * 0.5f, 0}, up, 1.0f);
    return mesh;
}

// The sphere from its top pole down to `span` radians from it.
static MeshData sphereBand(const std::string& material, float radius, int slices, int stacks, float span,
                           Facing facing, float repeat) {
    float sign = facing == Facing::Outside ? 1.0f : -1.0f;
    auto direction = [&](float c, float r) {
        float theta = kTwoPi * c / slices, phi = span * r / stacks;
        return Vec3{std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
    };
    return grid(
        material, slices, stacks,
        [&](int c, int r, Uv& uv) {
            uv = {repeat * static_cast<float>(c) / slices, static_cast<float>(r) / stacks};
            // Exact poles, so their cells' slivers are dropped as the empty triangles they are.
            if (r == 0) return Vec3{0, 0, radius};
            if (r == stacks && span == kPi) return Vec3{0, 0, -radius};
            return direction(static_cast<float>(c), static_cast<float>(r)) * radius;
        },
        [&](int c, int r) { return direction(c + 0.5f, r + 0.5f) * sign; });
}

MeshData sphere(const std::string& material, float radius, int slices, int stacks, Facing facing,
                float repeat) {
    return sphereBand(material, radius, slices, stacks, kPi, facing, repeat);
}

MeshData torus(const std::string& material, float radius, float thickness, int segments, int sides,
               float repeat) {
    auto centre = [&](float c) {
        float theta = kTwoPi * c / segments;
        return Vec3{std::cos(theta) * radius, std::sin(theta) * radius, 0.0f};
    };
    auto surface = [&](float c, float r) {
        float theta = kTwoPi * c / segments, phi = kTwoPi * r / sides;
        float ring = radius + thickness * std::cos(phi);
        return Vec3{ring * std::cos(theta), ring * std::sin(theta), thickness * std::sin(phi)};
    };
    return grid(
        material, segments, sides,
        [&](int c, int r, Uv& uv) {
            uv = {repeat * static_cast<float>(c) / segments, static_cast<float>(r) / sides};
            return surface(static_cast<float>(c), static_cast<float>(r));
        },
        [&](int c, int r) { return surface(c + 0.5f, r + 0.5f) - centre(c + 0.5f); });
}

MeshData tube(const std::string& material, const std::vector<Vec3>& path, float radius, int sides,
              Facing facing, float repeatAlong) {
    return tube(material, path, std::vector<float>(path.size(), radius), sides, facing, repeatAlong);
}

MeshData tube(const std::string& material, const std::vector<Vec3>& path, const std::vector<float>& radii,
              int sides, Facing facing, float repeatAlong) {
    int last = static_cast<int>(path.size()) - 1;
    float sign = facing == Facing::Outside ? 1.0f : -1.0f;
    // A ring's frame: along the path, and two axes across it, z kept upwards.
    auto ring = [&](int k, float side) {
        Vec3 along = normalized(path[k < last ? k + 1 : k] - path[k > 0 ? k - 1 : k]);
        Vec3 across = normalized(cross(along, Vec3{0, 0, 1}));
        Vec3 up = cross(across, along);
        float phi = kTwoPi * side / sides;
        return (across * std::cos(phi) + up * std::sin(phi)) * radii[k];
    };
    return grid(
        material, sides, last,
        [&](int c, int r, Uv& uv) {
            uv = {static_cast<float>(c) / sides, repeatAlong * static_cast<float>(r) / last};
            return path[r] + ring(r, static_cast<float>(c));
        },
        [&](int c, int r) { return ring(r, c + 0.5f) * sign; });
}

MeshData roundedBox(const std::string& material, Vec3 size, float radius, float repeat) {
    Vec3 h = size * 0.5f;
    Vec3 inner{h.x - radius, h.y - radius, h.z - radius};
    MeshData mesh(material);
    // Grid lines at the box's edges and where the rounding starts.
    auto line = [](int i, float half, float in) {
        const float at[4] = {-half, -in, in, half};
        return at[i];
    };
    auto clampTo = [](float v, float limit) { return v < -limit ? -limit : (v > limit ? limit : v); };
    for (int axis = 0; axis < 3; axis++)
        for (int sign = -1; sign <= 1; sign += 2) {
            MeshData side = grid(
                material, 3, 3,
                [&](int c, int r, Uv& uv) {
                    float cube[3];
                    const float half[3] = {h.x, h.y, h.z}, in[3] = {inner.x, inner.y, inner.z};
                    int ua = (axis + 1) % 3, va = (axis + 2) % 3;
                    cube[axis] = sign * half[axis];
                    cube[ua] = line(c, half[ua], in[ua]);
                    cube[va] = line(r, half[va], in[va]);
                    Vec3 p{cube[0], cube[1], cube[2]};
                    Vec3 q{clampTo(p.x, inner.x), clampTo(p.y, inner.y), clampTo(p.z, inner.z)};
                    uv = {repeat * (cube[ua] / half[ua] * 0.5f + 0.5f), repeat * (0.5f - cube[va] / half[va] * 0.5f)};
                    return q + normalized(p - q) * radius;
                },
                [&](int c, int r) {
                    Vec3 n{0, 0, 0};
                    float* k = axis == 0 ? &n.x : (axis == 1 ? &n.y : &n.z);
                    *k = static_cast<float>(sign);
                    // The outer cells lean towards the neighbouring sides.
                    int ua = (axis + 1) % 3, va = (axis + 2) % 3;
                    float lean[3] = {0, 0, 0};
                    lean[ua] = c == 0 ? -0.7f : (c == 2 ? 0.7f : 0.0f);
                    lean[va] = r == 0 ? -0.7f : (r == 2 ? 0.7f : 0.0f);
                    return n + Vec3{lean[0], lean[1], lean[2]};
                });
            mesh.append(side, Vec3{0, 0, 0});
        }
    return mesh;
}

MeshData chamferBox(const std::string& material, Vec3 size, float bevel) {
    MeshData mesh(material);
    Vec3 h = size * 0.5f;
    Vec3 in = h - Vec3{bevel, bevel, bevel};
    // Each corner's three points, one on each side that meets there.
    auto corner = [&](int sx, int sy, int sz, int side) {
        Vec3 p{sx * in.x, sy * in.y, sz * in.z};
        if (side == 0) p.x = sx * h.x;
        if (side == 1) p.y = sy * h.y;
        if (side == 2) p.z = sz * h.z;
        // Planar on the side the point lies on, the image once across it.
        Uv uv = side == 0 ? Uv{0.5f + p.y / size.y, 0.5f - p.z / size.z}
                          : (side == 1 ? Uv{0.5f + p.x / size.x, 0.5f - p.z / size.z}
                                       : Uv{0.5f + p.x / size.x, 0.5f - p.y / size.y});
        return mesh.addPoint(p, uv);
    };
    int at[2][2][2][3];
    for (int x = 0; x < 2; x++)
        for (int y = 0; y < 2; y++)
            for (int z = 0; z < 2; z++)
                for (int side = 0; side < 3; side++) at[x][y][z][side] = corner(x * 2 - 1, y * 2 - 1, z * 2 - 1, side);
    auto face = [&](int a, int b, int c) {
        Vec3 centre = (mesh.points[a] + mesh.points[b] + mesh.points[c]) * (1.0f / 3.0f);
        mesh.addFaceFacing(a, b, c, centre);
    };
    auto quadOf = [&](int a, int b, int c, int d) {  // a-b-c-d round the edge
        face(a, b, c);
        face(a, c, d);
    };
    for (int s = 0; s < 2; s++) {
        quadOf(at[s][0][0][0], at[s][1][0][0], at[s][1][1][0], at[s][0][1][0]);  // sides
        quadOf(at[0][s][0][1], at[1][s][0][1], at[1][s][1][1], at[0][s][1][1]);
        quadOf(at[0][0][s][2], at[1][0][s][2], at[1][1][s][2], at[0][1][s][2]);
    }
    for (int a = 0; a < 2; a++)
        for (int b = 0; b < 2; b++) {
            quadOf(at[a][b][0][0], at[a][b][1][0], at[a][b][1][1], at[a][b][0][1]);  // edges along z
            quadOf(at[a][0][b][0], at[a][1][b][0], at[a][1][b][2], at[a][0][b][2]);  // along y
            quadOf(at[0][a][b][1], at[1][a][b][1], at[1][a][b][2], at[0][a][b][2]);  // along x
        }
    for (int x = 0; x < 2; x++)
        for (int y = 0; y < 2; y++)
            for (int z = 0; z < 2; z++) face(at[x][y][z][0], at[x][y][z][1], at[x][y][z][2]);
    return mesh;
}

MeshData lathe(const std::string& material, const std::vector<ProfilePoint>& profile, int segments,
               float repeat) {
    int rows = static_cast<int>(profile.size()) - 1;
    std::vector<float> along{0.0f};
    for (int r = 1; r <= rows; r++) {
        float dr = profile[r].radius - profile[r - 1].radius, dz = profile[r].z - profile[r - 1].z;
        along.push_back(along.back() + std::sqrt(dr * dr + dz * dz));
    }
    auto round = [&](float c) {
        float theta = kTwoPi * c / segments;
        return Vec3{std::cos(theta), std::sin(theta), 0.0f};
    };
    return grid(
        material, segments, rows,
        [&](int c, int r, Uv& uv) {
            uv = {repeat * static_cast<float>(c) / segments, along[r] / along.back()};
            Vec3 d = round(static_cast<float>(c));
            return Vec3{d.x * profile[r].radius, d.y * profile[r].radius, profile[r].z};
        },
        [&](int c, int r) {
            // The outward normal of the profile's segment, turned round.
            float nr = profile[r].z - profile[r + 1].z, nz = profile[r + 1].radius - profile[r].radius;
            Vec3 d = round(c + 0.5f);
            return Vec3{d.x * nr, d.y * nr, nz};
        });
}

MeshData heightField(const std::string& material, float width, float depth, int cells, float repeat,
                     const std::function<float(float, float)>& height) {
    return grid(
        material, cells, cells,
        [&](int c, int r, Uv& uv) {
            float fc = static_cast<float>(c) / cells, fr = static_cast<float>(r) / cells;
            uv = {fc * repeat, (1.0f - fr) * repeat};
            float x = (fc - 0.5f) * width, y = (fr - 0.5f) * depth;
            return Vec3{x, y, height(x, y)};
        },
        [](int, int) { return Vec3{0, 0, 1}; });
}

MeshData annulus(const std::string& material, float inner, float outer, int segments, int rings, float repeat) {
    return grid(
        material, segments, rings,
        [&](int c, int r, Uv& uv) {
            float theta = kTwoPi * c / segments, fr = static_cast<float>(r) / rings;
            uv = {repeat * static_cast<float>(c) / segments, fr};
            float radius = inner + (outer - inner) * fr;
            return Vec3{std::cos(theta) * radius, std::sin(theta) * radius, 0.0f};
        },
        [](int, int) { return Vec3{0, 0, 1}; });
}

MeshData dome(const std::string& material, float radius, int slices, int stacks, float lowest, float repeat) {
    MeshData sky = sphereBand(material, radius, slices, stacks, kPi / 2 + lowest, Facing::Inside, repeat);
    // Kept off the image's first and last rows: with the image repeating,
    // filtering at the lower edge would mix in the zenith's colour and draw
    // a line round the bottom of the sky.
    for (Uv& t : sky.texels) t.v = 0.01f + 0.98f * t.v;
    return sky;
}

// 5 x 7 glyphs, top row first; '#' is a cube.
struct Glyph {
    char letter;
    const char* rows[7];
};

static const Glyph kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", ".#.#.", ".#.#.", ".#.#.", "..#..", "..#.."}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
};

static const Glyph* glyph(char letter) {
    for (const Glyph& g : kFont)
        if (g.letter == letter) return &g;
    return nullptr;  // spaces and unknown letters leave a gap
}

// The cubes of letter `index` of a text of `letters` letters, centred on the
// text. With `frontOnly`, faces never seen from the front are left out:
// the back half, and sides against a neighbouring cube.
static MeshData letterCubes(const MeshData& cube, char letter, int index, int letters, float cell,
                            bool frontOnly) {
    MeshData mesh(cube.materials[0]);
    const Glyph* g = glyph(letter);
    if (!g) return mesh;
    float width = (letters * 6 - 1) * cell, height = 7 * cell;
    auto lit = [g](int row, int col) {
        return row >= 0 && row < 7 && col >= 0 && col < 5 && g->rows[row][col] == '#';
    };
    for (int row = 0; row < 7; row++)
        for (int col = 0; col < 5; col++) {
            if (!lit(row, col)) continue;
            Vec3 at{(index * 6 + col + 0.5f) * cell - width * 0.5f, 0.0f, (6 - row + 0.5f) * cell - height * 0.5f};
            MeshData one = cube;
            if (frontOnly) {
                one.dropFaces([&](Vec3, Vec3 n) {
                    return n.y > 0.3f || (n.x > 0.99f && lit(row, col + 1)) || (n.x < -0.99f && lit(row, col - 1)) ||
                           (n.z > 0.99f && lit(row - 1, col)) || (n.z < -0.99f && lit(row + 1, col));
                });
            }
            mesh.append(one, at);
            // Diagonal strokes joined by a smaller cube at the shared corner,
            // so that V, M, R and rounded corners read as lines, not steps.
            for (int side : {-1, 1}) {
                if (!lit(row + 1, col + side) || lit(row + 1, col) || lit(row, col + side)) continue;
                MeshData joint = cube;
                joint.scaleBy(Vec3{0.62f, 0.62f, 0.62f});
                if (frontOnly) joint.dropFaces([](Vec3, Vec3 n) { return n.y > 0.3f; });
                mesh.append(joint, at + Vec3{0.5f * side * cell, 0.0f, -0.5f * cell});
            }
        }
    // The image spans the whole text, so letters drawn apart still share it.
    mesh.mapPlanarXZ(Vec3{-width * 0.5f, 0, -height * 0.5f}, Vec3{width * 0.5f, 0, height * 0.5f});
    return mesh;
}

MeshData blockText(const std::string& material, const char* text, float cell) {
    MeshData mesh(material);
    MeshData cube = box(material, Vec3{cell, cell, cell} * 0.92f);
    int letters = static_cast<int>(std::strlen(text));
    for (int i = 0; i < letters; i++) mesh.append(letterCubes(cube, text[i], i, letters, cell, false), Vec3{0, 0, 0});
    return mesh;
}

MeshData blockLetter(const std::string& material, char letter, int index, int letters, float cell) {
    MeshData cube = chamferBox(material, Vec3{cell, cell, cell}, cell * 0.1f);
    return letterCubes(cube, letter, index, letters, cell, true);
}
