// Plays the show headless on a simulated clock and writes the frames drawn at
// the given moments (ms of show time) as PNG files, to look at what a viewer
// sees. Run from the build folder, where data/ lies:
//   ./tests/app/capture_frames out_dir 0 8000 17143 ...
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/win32/testing.h"

namespace {

bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // GL's rows start at the bottom.
    for (int y = height - 1; y >= 0; --y)
        png_write_row(png, const_cast<unsigned char*>(&rgb[static_cast<size_t>(y) * width * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s out_dir ms [ms ...]\n", argv[0]);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string out = argv[1];
    std::vector<int> moments;
    for (int i = 2; i < argc; ++i) moments.push_back(std::atoi(argv[i]));

    win32test::captureMessageBoxes(true);
    const DWORD t0 = 1000;
    win32test::setClock(t0);
    // The scene drawn lags one frame behind its animation, so each moment is
    // drawn twice: once to evaluate it, once to show it.
    size_t next = 0;
    int pass = 0;
    int failures = 0;
    win32test::onSwapBuffers([&] {
        if (next >= moments.size()) {
            PostQuitMessage(0);
            return;
        }
        if (pass == 2) {
            std::vector<unsigned char> rgb(640 * 480 * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
            std::string path = out + "/frame_" + std::to_string(moments[next]) + ".png";
            if (writePng(path, 640, 480, rgb))
                std::printf("%s\n", path.c_str());
            else
                failures++;
            next++;
            pass = 1;
        } else {
            pass++;
        }
        if (next < moments.size()) win32test::setClock(t0 + static_cast<DWORD>(moments[next]));
    });
    WinMain(nullptr, nullptr, nullptr, SW_SHOW);
    for (const auto& box : win32test::messageBoxes()) std::printf("box: %s: %s\n", box.caption.c_str(), box.text.c_str());
    return failures ? 1 : 0;
}
