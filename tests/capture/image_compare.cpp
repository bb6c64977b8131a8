#include "tests/capture/image_compare.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

bool readRgbPng(const std::string& path, RgbImage* image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

bool writeRgbPng(const std::string& path, const RgbImage& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

ImageDifference compareImages(const RgbImage& actual, const RgbImage& expected, int tolerance) {
    ImageDifference d;
    d.sameSize = actual.width == expected.width && actual.height == expected.height &&
                 actual.rgb.size() == expected.rgb.size();
    if (!d.sameSize) return d;
    d.picture = expected;
    const size_t pixels = static_cast<size_t>(actual.width) * actual.height;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(actual.rgb[i * 3 + c] - expected.rgb[i * 3 + c]));
        // Differing pixels in red over a dimmed reference.
        unsigned char* out = &d.picture.rgb[i * 3];
        if (worst > tolerance) {
            ++d.differingPixels;
            out[0] = 255;
            out[1] = out[2] = 0;
        } else {
            for (int c = 0; c < 3; ++c) out[c] = static_cast<unsigned char>(out[c] / 4);
        }
    }
    d.differingShare = pixels ? static_cast<double>(d.differingPixels) / pixels : 0;
    return d;
}
