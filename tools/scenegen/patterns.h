// Procedural texture patterns. Each depends on its arguments only; all but the
// gradient and the glow tile, so they can repeat across large faces.
#ifndef VELMORA_TOOLS_SCENEGEN_PATTERNS_H
#define VELMORA_TOOLS_SCENEGEN_PATTERNS_H

#include <vector>

#include "tools/scenegen/image.h"

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

Image checker(int size, int cells, Rgb a, Rgb b);
// Top row is t = 0 (the first stop), bottom row t = 1.
Image verticalGradient(int width, int height, const Palette& palette);
Image noise(int size, int cells, int octaves, unsigned seed, const Palette& palette);
// Concentric rings around the centre, fading out towards the corners.
Image rings(int size, float count, const Palette& palette);
// A round glow on black: a hot core and a soft halo, for additive sprites.
Image glow(int size, Rgb core, Rgb halo, float sharpness);
// Horizontal bands, each band a hue from the palette with a bright edge.
Image stripes(int size, int bands, const Palette& palette, float edge);
Image plasma(int size, const Palette& palette, float turns);
Image bricks(int size, int rows, int columns, Rgb brick, Rgb mortar, unsigned seed);
Image starfield(int size, int stars, unsigned seed);
// Crossing sine swells, blue, for the water surface.
Image waves(int size, const Palette& palette, unsigned seed);
// Thin bright lines on black: light caught by ripples, for an additive layer.
Image caustics(int size, Rgb colour, unsigned seed);
// The image darkened towards a circle's edge and black beyond it, so a
// sprite shows no square outline.
Image fadeEdges(const Image& image, float power);
// A dark floor with glowing grid lines.
Image gridLines(int size, int cells, Rgb floor, Rgb line);

#endif
