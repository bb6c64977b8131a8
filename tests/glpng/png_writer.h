// Writes small PNG files with known pixels, through libpng's writing calls.
#ifndef VELMORA_TESTS_GLPNG_PNG_WRITER_H
#define VELMORA_TESTS_GLPNG_PNG_WRITER_H

#include <string>
#include <vector>

struct PngImage {
    int width = 0;
    int height = 0;
    int colourType = 0;          // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    double gamma = 0.0;          // gAMA chunk value; 0 writes none
    std::vector<unsigned char> palette;       // RGB triples
    std::vector<unsigned char> transparency;  // tRNS alphas for the palette
    std::vector<unsigned char> rows;          // packed rows, top first, as stored in PNG
};

bool writePng(const std::string& path, const PngImage& image);

#endif
