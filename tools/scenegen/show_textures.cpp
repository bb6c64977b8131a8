#include "tools/scenegen/patterns.h"
#include "tools/scenegen/show.h"

namespace {

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{1, 1, 1};

Image stars() { return starfield(256, 420, 11u); }

Image gold() {
    return verticalGradient(128, 128, Palette{{1.0f, 0.98f, 0.85f}, {1.0f, 0.78f, 0.25f}, {0.55f, 0.25f, 0.05f},
                                              {0.95f, 0.6f, 0.15f}, {1.0f, 0.9f, 0.6f}});
}

Image grid() { return gridLines(128, 4, Rgb{0.02f, 0.0f, 0.06f}, Rgb{0.2f, 0.9f, 1.0f}); }

Image flare() { return glow(128, Rgb{1.0f, 0.95f, 0.8f}, Rgb{1.0f, 0.45f, 0.12f}, 14.0f); }

Image rainbowRings() {
    return rings(128, 5.0f, Palette{{1.0f, 0.2f, 0.3f}, {1.0f, 0.8f, 0.1f}, {0.2f, 1.0f, 0.4f},
                                   {0.1f, 0.6f, 1.0f}, {0.8f, 0.2f, 1.0f}});
}

Image plasmaColours() {
    return plasma(256, Palette{{0.9f, 0.1f, 0.5f}, {1.0f, 0.55f, 0.1f}, {1.0f, 0.95f, 0.3f},
                               {0.1f, 0.8f, 0.9f}, {0.25f, 0.1f, 0.7f}},
                  1.5f);
}

Image checkerTiles() { return checker(128, 8, Rgb{1.0f, 0.55f, 0.1f}, Rgb{0.05f, 0.55f, 0.6f}); }

Image brickWall() { return bricks(128, 8, 4, Rgb{0.75f, 0.38f, 0.25f}, Rgb{0.55f, 0.55f, 0.5f}, 3u); }

Image marble() {
    return noise(128, 4, 5, 21u, Palette{{0.95f, 0.95f, 1.0f}, {0.55f, 0.6f, 0.8f}, {0.95f, 0.9f, 0.95f},
                                         {0.3f, 0.35f, 0.6f}});
}

// Domes map the image from the zenith (top row) to the nadir (bottom row):
// the horizon is the middle row, and what lies below it stays dark, since
// the floor or the sea is added over it.
Image dusk() {
    return verticalGradient(128, 128, Palette{{0.02f, 0.02f, 0.12f}, {0.15f, 0.05f, 0.35f}, {0.95f, 0.35f, 0.55f},
                                              kBlack, kBlack});
}

Image lightShaft() {
    return verticalGradient(64, 64, Palette{kBlack, {0.05f, 0.25f, 0.35f}, {0.25f, 0.55f, 0.6f}});
}

Image nebula() {
    return noise(256, 4, 5, 5u, Palette{kBlack, kBlack, {0.25f, 0.02f, 0.35f}, {0.8f, 0.15f, 0.5f},
                                        {1.0f, 0.6f, 0.2f}});
}

Image neonBands() {
    return stripes(128, 8, Palette{{0.0f, 0.9f, 1.0f}, {0.6f, 0.1f, 1.0f}, {1.0f, 0.1f, 0.6f}, {0.1f, 0.3f, 1.0f}},
                   0.18f);
}

Image hoop() { return glow(64, kWhite, Rgb{1.0f, 0.15f, 0.8f}, 3.0f); }

Image cloud() {
    return fadeEdges(noise(256, 4, 5, 8u, Palette{kBlack, {0.15f, 0.15f, 0.18f}, {0.45f, 0.45f, 0.5f}, {0.6f, 0.6f, 0.62f}}),
                     0.8f);
}

Image sky() {
    return verticalGradient(128, 128, Palette{{0.05f, 0.2f, 0.55f}, {0.3f, 0.6f, 0.95f}, {0.85f, 0.92f, 1.0f},
                                              {0.1f, 0.15f, 0.3f}, {0.05f, 0.08f, 0.2f}});
}

Image rock() {
    return noise(128, 8, 4, 13u, Palette{{0.2f, 0.15f, 0.12f}, {0.45f, 0.38f, 0.3f}, {0.65f, 0.6f, 0.55f},
                                         {0.35f, 0.45f, 0.25f}});
}

Image water() {
    return waves(256, Palette{{0.0f, 0.05f, 0.2f}, {0.0f, 0.25f, 0.5f}, {0.1f, 0.55f, 0.7f}, {0.6f, 0.9f, 1.0f}},
                 17u);
}

Image ripple() { return caustics(256, Rgb{0.25f, 0.45f, 0.6f}, 29u); }

Image sunset() {
    return verticalGradient(128, 128, Palette{{0.08f, 0.02f, 0.2f}, {0.35f, 0.06f, 0.4f}, {0.75f, 0.2f, 0.35f},
                                              {1.0f, 0.5f, 0.2f}, {1.0f, 0.8f, 0.4f}, kBlack, kBlack, kBlack,
                                              kBlack});
}

Image pavement() { return gridLines(128, 4, Rgb{0.1f, 0.08f, 0.12f}, Rgb{0.55f, 0.35f, 0.5f}); }

}  // namespace

const std::vector<ShowTexture>& showTextures() {
    static const std::vector<ShowTexture> textures{
        {"stars.png", stars},       {"gold.png", gold},       {"grid.png", grid},
        {"flare.png", flare},       {"rings.png", rainbowRings}, {"plasma.png", plasmaColours},
        {"checker.png", checkerTiles}, {"bricks.png", brickWall}, {"marble.png", marble},
        {"dusk.png", dusk},         {"shaft.png", lightShaft}, {"nebula.png", nebula},
        {"neon.png", neonBands},    {"hoop.png", hoop},       {"cloud.png", cloud},
        {"sky.png", sky},           {"rock.png", rock},       {"water.png", water},
        {"ripple.png", ripple},     {"sunset.png", sunset},   {"pavement.png", pavement},
    };
    return textures;
}
