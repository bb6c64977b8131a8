// Procedural texture patterns. Each depends on its arguments only; all but the
// gradient and the glow tile, so they can repeat across large faces.
#ifndef VELMORA_TOOLS_SCENEGEN_PATTERNS_H
#define VELMORA_TOOLS_SCENEGEN_PATTERNS_H

#include <functional>
#include <vector>

#include "tools/scenegen/image.h"
#include "tools/scenegen/mesh_data.h"

// A colour ramp: stops spread evenly from t = 0 to t = 1.
class Palette {
public:
    Palette(std::initializer_list<Rgb> stops);
    Rgb at(float t) const;  // t clamped to [0, 1]
    Rgb cyclic(float t) const;  // t wrapped, the last stop blends back into the first

private:
    std::vector<Rgb> stops_;
};

// Tileable fractal value noise in [0, 1], period `cells` at the first octave.
float fractalNoise(float x, float y, int cells, int octaves, unsigned seed);
// Fractal value noise in [0, 1] in space, one lattice cell per unit; not tiled.
float fractalNoise3(Vec3 p, int octaves, unsigned seed);

// Each pixel from its centre (u, v) in [0, 1), v = 0 the top row.
Image paint(int width, int height, const std::function<Rgb(float u, float v)>& colour);
// A bright blob on black, 1 at `d` = 0 and 0 from `d` = 1 on, smoothly.
float falloff(float d);

// Top row is t = 0 (the first stop), bottom row t = 1.
Image verticalGradient(int width, int height, const Palette& palette);
Image noise(int size, int cells, int octaves, unsigned seed, const Palette& palette);
// A round glow on black: a hot core and a soft halo, for additive sprites.
Image glow(int size, Rgb core, Rgb halo, float sharpness);
// A dark floor with glowing grid lines.
Image gridLines(int size, int cells, Rgb floor, Rgb line);

#endif
