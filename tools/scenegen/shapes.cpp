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

MeshData sphere(const std::string& material, float radius, int slices, int stacks, Facing facing,
                float repeat) {
    float sign = facing == Facing::Outside ? 1.0f : -1.0f;
    auto direction = [&](float c, float r) {
        float theta = kTwoPi * c / slices, phi = kPi * r / stacks;
        return Vec3{std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
    };
    return grid(
        material, slices, stacks,
        [&](int c, int r, Uv& uv) {
            uv = {repeat * static_cast<float>(c) / slices, static_cast<float>(r) / stacks};
            // Exact poles, so their cells' slivers are dropped as the empty triangles they are.
            if (r == 0 || r == stacks) return Vec3{0, 0, r == 0 ? radius : -radius};
            return direction(static_cast<float>(c), static_cast<float>(r)) * radius;
        },
        [&](int c, int r) { return direction(c + 0.5f, r + 0.5f) * sign; });
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
    int last = static_cast<int>(path.size()) - 1;
    float sign = facing == Facing::Outside ? 1.0f : -1.0f;
    // A ring's frame: along the path, and two axes across it, z kept upwards.
    auto ring = [&](int k, float side) {
        Vec3 along = normalized(path[k < last ? k + 1 : k] - path[k > 0 ? k - 1 : k]);
        Vec3 across = normalized(cross(along, Vec3{0, 0, 1}));
        Vec3 up = cross(across, along);
        float phi = kTwoPi * side / sides;
        return (across * std::cos(phi) + up * std::sin(phi)) * radius;
    };
    return grid(
        material, sides, last,
        [&](int c, int r, Uv& uv) {
            uv = {static_cast<float>(c) / sides, repeatAlong * static_cast<float>(r) / last};
            return path[r] + ring(r, static_cast<float>(c));
        },
        [&](int c, int r) { return ring(r, c + 0.5f) * sign; });
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
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
};

static const Glyph* glyph(char letter) {
    for (const Glyph& g : kFont)
        if (g.letter == letter) return &g;
    return nullptr;  // spaces and unknown letters leave a gap
}

MeshData blockText(const std::string& material, const char* text, float cell) {
    MeshData mesh(material);
    MeshData cube = box(material, Vec3{cell, cell, cell} * 0.92f);
    int letters = static_cast<int>(std::strlen(text));
    float width = (letters * 6 - 1) * cell, height = 7 * cell;
    for (int i = 0; i < letters; i++) {
        const Glyph* g = glyph(text[i]);
        if (!g) continue;
        for (int row = 0; row < 7; row++)
            for (int col = 0; col < 5; col++) {
                if (g->rows[row][col] != '#') continue;
                Vec3 at{(i * 6 + col + 0.5f) * cell - width * 0.5f, 0.0f, (6 - row + 0.5f) * cell - height * 0.5f};
                mesh.append(cube, at);
            }
    }
    mesh.mapPlanarXZ(Vec3{-width * 0.5f, 0, -height * 0.5f}, Vec3{width * 0.5f, 0, height * 0.5f});
    return mesh;
}
