#include "tools/scenegen/image.h"

#include <png.h>

#include <cstdio>

Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }

Rgb add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

Image::Image(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, Rgb{0, 0, 0}) {}

Rgb Image::at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

void Image::set(int x, int y, Rgb c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }

static png_byte toByte(float v) {
    if (v <= 0.0f) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<png_byte>(v * 255.0f + 0.5f);
}

bool Image::writePng(const std::string& path) const {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(out);
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(width_) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height_; y++) {
        for (int x = 0; x < width_; x++) {
            Rgb c = at(x, y);
            row[x * 3 + 0] = toByte(c.r);
            row[x * 3 + 1] = toByte(c.g);
            row[x * 3 + 2] = toByte(c.b);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}
