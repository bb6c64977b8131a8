// Times pngBind: the valid PngSuite images and one 1024 x 1024 image.
// Prints milliseconds per texture; not a test. With "--large", binds one
// generated 4000 x 4000 grey image (a 64 KB file) once instead, for a peak
// memory measure: /usr/bin/time -v bench_pngbind --large
#include <GL/gl.h>
#include <png.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/glpng.h"
#include "tests/glpng/png_writer.h"
#include "tests/support/gl_context.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

double millisecondsPerLoad(const std::vector<std::string>& paths, int rounds) {
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round)
        for (const std::string& path : paths) {
            GLuint texture = pngBind(path.c_str(), PNG_BUILDMIPMAPS, PNG_SOLID, nullptr, GL_REPEAT,
                                     GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
            if (texture == 0) std::fprintf(stderr, "failed: %s\n", path.c_str());
            glDeleteTextures(1, &texture);
        }
    glFinish();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / (double(paths.size()) * rounds);
}

// One bind of a large image that compresses to almost nothing.
int bindLarge() {
    PngImage large;
    large.width = 4000;
    large.height = 4000;
    large.colourType = PNG_COLOR_TYPE_GRAY;
    large.rows.assign(size_t(4000) * 4000, 128);
    const std::string path = (fs::temp_directory_path() / "bench_pngbind_4000.png").string();
    if (!writePng(path, large)) return 1;
    large.rows = std::vector<unsigned char>();
    const auto start = std::chrono::steady_clock::now();
    GLuint texture = pngBind(path.c_str(), PNG_BUILDMIPMAPS, PNG_SOLID, nullptr, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR,
                             GL_LINEAR);
    glFinish();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    std::printf("4000 x 4000 grey image, %lld bytes: %s in %.0f ms\n", static_cast<long long>(fs::file_size(path)),
                texture ? "bound" : "refused", spent.count());
    fs::remove(path);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TestGlContext gl;
    if (!gl.ok()) {
        std::fprintf(stderr, "no GL context\n");
        return 1;
    }
    if (argc > 1 && std::string(argv[1]) == "--large") return bindLarge();

    std::vector<std::string> suite;
    const std::string suiteDir = testDataPath("png/pngsuite-full");
    if (!suiteDir.empty())
        for (const auto& entry : fs::directory_iterator(suiteDir)) {
            std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".png" && name[0] != 'x') suite.push_back(entry.path().string());
        }
    std::sort(suite.begin(), suite.end());

    // A smooth RGB gradient with some noise, so it compresses like a photo.
    PngImage big;
    big.width = 1024;
    big.height = 1024;
    big.colourType = PNG_COLOR_TYPE_RGB;
    big.rows.resize(size_t(1024) * 1024 * 3);
    unsigned seed = 1;
    for (size_t i = 0; i < big.rows.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        big.rows[i] = static_cast<unsigned char>((i / 3 % 1024) / 4 + (i / 3072) / 8 + (seed >> 28));
    }
    std::string bigPath = (fs::temp_directory_path() / "bench_pngbind_1024.png").string();
    if (!writePng(bigPath, big)) {
        std::fprintf(stderr, "cannot write %s\n", bigPath.c_str());
        return 1;
    }

    if (suite.empty()) {
        std::printf("PngSuite: %s\n", missingTestData("png/pngsuite-full").c_str());
    } else {
        millisecondsPerLoad(suite, 1);  // warm caches and the GL driver
        std::printf("PngSuite, %zu valid images: %.3f ms per texture\n", suite.size(), millisecondsPerLoad(suite, 5));
    }
    std::printf("1024 x 1024 RGB image: %.3f ms per texture\n", millisecondsPerLoad({bigPath}, 10));
    fs::remove(bigPath);
    return 0;
}
