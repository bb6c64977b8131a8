#include "tests/glpng/png_writer.h"

#include <png.h>

#include <cstdio>

namespace {

// No object with a destructor lives in this frame across setjmp.
bool writeRows(std::FILE* file, const PngImage& image, png_bytep* rowPointers) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                     int(image.palette.size() / 3));
    if (!image.transparency.empty())
        png_set_tRNS(png, info, image.transparency.data(), int(image.transparency.size()), nullptr);
    if (image.gamma > 0.0) png_set_gAMA(png, info, image.gamma);
    png_set_rows(png, info, rowPointers);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const PngImage& image) {
    size_t rowBytes = image.rows.size() / size_t(image.height);
    std::vector<png_bytep> rowPointers(size_t(image.height));
    for (int y = 0; y < image.height; ++y)
        rowPointers[size_t(y)] = const_cast<png_bytep>(image.rows.data() + size_t(y) * rowBytes);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = writeRows(file, image, rowPointers.data());
    return std::fclose(file) == 0 && ok;
}
