// Comparing a rendered frame with its reference picture, with a tolerance
// for the rounding of one Mesa release against another.
#ifndef VELMORA_TESTS_CAPTURE_IMAGE_COMPARE_H
#define VELMORA_TESTS_CAPTURE_IMAGE_COMPARE_H

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top first
};

bool readRgbPng(const std::string& path, RgbImage* image);
bool writeRgbPng(const std::string& path, const RgbImage& image);

struct ImageDifference {
    bool sameSize = false;
    int differingPixels = 0;  // pixels with a channel off by more than the tolerance
    double differingShare = 0;
    RgbImage picture;         // the difference, brightened, for a person to look at
};

ImageDifference compareImages(const RgbImage& actual, const RgbImage& expected, int channelTolerance);

#endif
