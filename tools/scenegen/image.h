// An RGB image in memory and its PNG file.
#ifndef VELMORA_TOOLS_SCENEGEN_IMAGE_H
#define VELMORA_TOOLS_SCENEGEN_IMAGE_H

#include <string>
#include <vector>

struct Rgb {
    float r, g, b;  // 0 to 1; written clamped
};

Rgb mix(Rgb a, Rgb b, float t);
Rgb scale(Rgb c, float k);
Rgb add(Rgb a, Rgb b);

class Image {
public:
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;
    void set(int x, int y, Rgb c);

    // 8-bit RGB PNG without time or text chunks, so equal images give equal files.
    bool writePng(const std::string& path) const;

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

#endif
