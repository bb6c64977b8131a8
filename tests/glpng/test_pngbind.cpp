// pngBind on real files and on images written here with known pixels.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "platform/glpng.h"
#include "tests/glpng/png_writer.h"
#include "tests/support/gl_context.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

GLint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLint levelSide(int level, GLenum which) {
    GLint side = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, which, &side);
    return side;
}

GLint parameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Level 0 of the bound texture as RGB rows, first row at t = 0.
std::vector<unsigned char> texels() {
    std::vector<unsigned char> out(size_t(levelSide(0, GL_TEXTURE_WIDTH)) * levelSide(0, GL_TEXTURE_HEIGHT) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// Texture names in use among the first few thousand.
int textureCount() {
    int n = 0;
    for (GLuint name = 1; name < 4096; ++name) n += glIsTexture(name) ? 1 : 0;
    return n;
}

bool isPowerOfTwo(GLint v) { return v > 0 && (v & (v - 1)) == 0; }

GLint nextPowerOfTwo(GLint v) {
    GLint p = 1;
    while (p < v) p *= 2;
    return p;
}

// Checks the bound texture's mipmap chain: halving sides down to 1 x 1, no more.
void expectFullChain(const std::string& what) {
    GLint w = levelSide(0, GL_TEXTURE_WIDTH), h = levelSide(0, GL_TEXTURE_HEIGHT);
    ASSERT_TRUE(isPowerOfTwo(w) && isPowerOfTwo(h)) << what << " " << w << "x" << h;
    int level = 0;
    for (;; ++level) {
        EXPECT_EQ(levelSide(level, GL_TEXTURE_WIDTH), std::max(1, w >> level)) << what << " level " << level;
        EXPECT_EQ(levelSide(level, GL_TEXTURE_HEIGHT), std::max(1, h >> level)) << what << " level " << level;
        if ((w >> level) <= 1 && (h >> level) <= 1) break;
    }
    EXPECT_EQ(levelSide(level + 1, GL_TEXTURE_WIDTH), 0) << what;
}

// Width and height from a file's IHDR, to compare with what was uploaded.
bool readHeaderSize(const std::string& path, GLint* width, GLint* height) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[24] = {};
    if (!in.read(reinterpret_cast<char*>(b), sizeof b)) return false;
    *width = GLint(b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19]);
    *height = GLint(b[20] << 24 | b[21] << 16 | b[22] << 8 | b[23]);
    return true;
}

unsigned int bindFile(const std::string& path, pngInfo* info = nullptr) {
    return pngBind(path.c_str(), PNG_BUILDMIPMAPS, PNG_SOLID, info, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
}

class PngBind : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        char pattern[] = "/tmp/pngbind-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        unsetenv("VIEWING_GAMMA");
    }
    void TearDown() override {
        unsetenv("VIEWING_GAMMA");
        if (!dir.empty()) fs::remove_all(dir);
    }

    // Writes the image and loads it, failing the test when either fails.
    std::vector<unsigned char> load(const PngImage& image, const std::string& name = "image.png") {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(writePng(path, image));
        EXPECT_NE(bindFile(path), 0u) << name;
        return texels();
    }

    // A failed load deletes the texture it made, which leaves none bound.
    void expectRejected(const std::string& path) {
        int before = textureCount();
        EXPECT_EQ(pngBind(path.c_str(), PNG_BUILDMIPMAPS, PNG_SOLID, nullptr, GL_CLAMP, GL_NEAREST, GL_NEAREST), 0u)
            << path;
        EXPECT_EQ(boundTexture(), 0) << path;
        EXPECT_EQ(textureCount(), before) << path;
    }

    // A loaded file: power-of-two level 0 that holds the image, full chain.
    void expectLoaded(const std::string& path) {
        pngInfo info = {};
        unsigned int texture = bindFile(path, &info);
        ASSERT_NE(texture, 0u) << path;
        EXPECT_EQ(GLuint(boundTexture()), texture) << path;
        GLint width = 0, height = 0;
        ASSERT_TRUE(readHeaderSize(path, &width, &height));
        EXPECT_EQ(info.Width, unsigned(width)) << path;
        EXPECT_EQ(info.Height, unsigned(height)) << path;
        EXPECT_EQ(levelSide(0, GL_TEXTURE_WIDTH), nextPowerOfTwo(width)) << path;
        EXPECT_EQ(levelSide(0, GL_TEXTURE_HEIGHT), nextPowerOfTwo(height)) << path;
        EXPECT_EQ(levelSide(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB) << path;
        expectFullChain(path);
    }

    TestGlContext gl;
    std::string dir;
};

PngImage grey8(int width, int height, unsigned char value) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.colourType = PNG_COLOR_TYPE_GRAY;
    image.rows.assign(size_t(width) * height, value);
    return image;
}

TEST_F(PngBind, CompletePngSuiteLoadsAllButTheCorruptImages) {
    SKIP_WITHOUT_TEST_DATA("png/pngsuite-full");
    int loaded = 0, rejected = 0;
    for (const auto& entry : fs::directory_iterator(testDataPath("png/pngsuite-full"))) {
        if (entry.path().extension() != ".png") continue;
        std::string name = entry.path().filename().string();
        if (name[0] == 'x') {
            expectRejected(entry.path().string());
            ++rejected;
        } else {
            expectLoaded(entry.path().string());
            ++loaded;
        }
    }
    EXPECT_EQ(rejected, 14);
    EXPECT_GT(loaded, 150);
}

// crashers/ holds fuzzed files: libpng rejects all but the one whose empty
// ancillary chunks it only warns about. Every other file there is valid.
TEST_F(PngBind, LibpngTestImagesLoadUnlessLibpngRejectsThem) {
    SKIP_WITHOUT_TEST_DATA("png/libpng-testpngs");
    int loaded = 0, rejected = 0;
    for (const auto& entry : fs::recursive_directory_iterator(testDataPath("png/libpng-testpngs"))) {
        if (!entry.is_regular_file() || entry.path().extension() != ".png") continue;
        std::string path = entry.path().string();
        bool fuzzed = entry.path().parent_path().filename() == "crashers";
        if (!fuzzed || entry.path().filename() == "empty_ancillary_chunks.png") {
            expectLoaded(path);
            ++loaded;
        } else {
            expectRejected(path);
            ++rejected;
        }
    }
    EXPECT_EQ(loaded, 117);
    EXPECT_EQ(rejected, 22);
}

TEST_F(PngBind, InterlacedSuiteImagesMatchTheirProgressiveTwins) {
    SKIP_WITHOUT_TEST_DATA("png/pngsuite-full");
    for (const auto& entry : fs::directory_iterator(testDataPath("png/pngsuite-full"))) {
        std::string name = entry.path().filename().string();
        if (name.rfind("basi", 0) != 0) continue;
        ASSERT_NE(bindFile(entry.path().string()), 0u) << name;
        std::vector<unsigned char> interlaced = texels();
        ASSERT_NE(bindFile(entry.path().parent_path().string() + "/basn" + name.substr(4)), 0u) << name;
        EXPECT_EQ(interlaced, texels()) << name;
    }
}

// Every colour type at every depth PNG allows, on sides that leave some of
// the interlace passes empty: both twins load and give the same texels.
TEST_F(PngBind, EveryColourTypeAndDepthLoadsTheSameInterlacedOrNot) {
    struct Kind {
        int colourType, channels;
        std::vector<int> depths;
    };
    const Kind kinds[] = {{PNG_COLOR_TYPE_GRAY, 1, {1, 2, 4, 8, 16}},
                          {PNG_COLOR_TYPE_PALETTE, 1, {1, 2, 4, 8}},
                          {PNG_COLOR_TYPE_RGB, 3, {8, 16}},
                          {PNG_COLOR_TYPE_GRAY_ALPHA, 2, {8, 16}},
                          {PNG_COLOR_TYPE_RGB_ALPHA, 4, {8, 16}}};
    unsigned seed = 7;
    for (const Kind& kind : kinds)
        for (int depth : kind.depths) {
            const std::string what = "colour type " + std::to_string(kind.colourType) + " depth " + std::to_string(depth);
            PngImage image;
            image.width = 5;
            image.height = 3;
            image.colourType = kind.colourType;
            image.bitDepth = depth;
            if (kind.colourType == PNG_COLOR_TYPE_PALETTE)
                for (int i = 0; i < (3 << depth); ++i) image.palette.push_back(static_cast<unsigned char>(i * 37));
            const size_t rowBytes = (size_t(image.width) * kind.channels * depth + 7) / 8;
            for (size_t i = 0; i < rowBytes * image.height; ++i) {
                seed = seed * 1103515245u + 12345u;
                image.rows.push_back(static_cast<unsigned char>(seed >> 24));
            }
            const std::vector<unsigned char> progressive = load(image, "p.png");
            expectFullChain(what);
            image.interlaced = true;
            EXPECT_EQ(load(image, "i.png"), progressive) << what;
            EXPECT_NE(std::count(progressive.begin(), progressive.end(), progressive[0]), long(progressive.size()))
                << what << ": one flat colour";
        }
}

// Files that are PNG up to one damaged chunk, as a bad disk or a hostile
// sender leaves them: every one fails instead of giving a texture.
TEST_F(PngBind, DamagedChunksAreRejected) {
    ASSERT_TRUE(writePng(dir + "/good.png", grey8(8, 8, 77)));
    std::string good;
    {
        std::ifstream in(dir + "/good.png", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    // Chunk types' offsets; the length is the four bytes before, the CRC the four after the data.
    const size_t ihdr = good.find("IHDR"), idat = good.find("IDAT");
    ASSERT_TRUE(ihdr != std::string::npos && idat != std::string::npos);
    auto dataLength = [](const std::string& bytes, size_t type) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + type - 4;
        return size_t(p[0]) << 24 | size_t(p[1]) << 16 | size_t(p[2]) << 8 | p[3];
    };
    auto fixCrc = [&](std::string& bytes, size_t type) {
        const size_t length = dataLength(bytes, type);
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()) + type, uInt(4 + length));
        for (int i = 0; i < 4; ++i) bytes[type + 4 + length + i] = char(crc >> (24 - 8 * i));
    };
    struct Damage {
        const char* name;
        size_t chunk, at;  // at: offset into the chunk's data
        char value;
        bool crcFixed;
    };
    const Damage damages[] = {
        {"bad-crc.png", idat, dataLength(good, idat), '\x55', false},  // the CRC itself
        {"zero-width.png", ihdr, 3, 0, true},
        {"depth-3.png", ihdr, 8, 3, true},
        {"colour-type-5.png", ihdr, 9, 5, true},
        {"not-zlib.png", idat, 0, '\x7F', true},  // the compressed stream's header
    };
    for (const Damage& d : damages) {
        std::string bytes = good;
        bytes[d.chunk + 4 + d.at] = d.value;
        if (d.crcFixed) fixCrc(bytes, d.chunk);
        std::ofstream(dir + "/" + d.name, std::ios::binary) << bytes;
        expectRejected(dir + "/" + d.name);
    }
}

TEST_F(PngBind, MissingEmptyForeignAndTruncatedFilesFailWithTheTextureBound) {
    expectRejected(dir + "/missing.png");
    std::ofstream(dir + "/empty.png").close();
    expectRejected(dir + "/empty.png");
    std::ofstream(dir + "/text.png") << "not an image at all, just text";
    expectRejected(dir + "/text.png");
    ASSERT_TRUE(writePng(dir + "/whole.png", grey8(64, 64, 10)));
    std::string whole;
    {
        std::ifstream in(dir + "/whole.png", std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream(dir + "/cut.png", std::ios::binary) << whole.substr(0, whole.size() - 30);
    expectRejected(dir + "/cut.png");
    fs::create_directory(dir + "/folder.png");
    expectRejected(dir + "/folder.png");
}

TEST_F(PngBind, NamedPipeInPlaceOfTheFileIsRefusedAtOnce) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no named pipes among its files";
#else
    ASSERT_EQ(0, mkfifo((dir + "/pipe.png").c_str(), 0600));
    alarm(20);  // a load that waits for a writer ends the test instead of hanging it
    const auto start = std::chrono::steady_clock::now();
    expectRejected(dir + "/pipe.png");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    alarm(0);
#endif
}

TEST_F(PngBind, ImagesWhoseTextureWouldPassTheBudgetAreRefusedUnread) {
    // 4097 x 4096 decodes to 48 MiB, but its texture doubles to 8192 wide:
    // 128 MiB with its mipmaps.
    ASSERT_TRUE(writePng(dir + "/wide.png", grey8(4097, 4096, 0)));
    expectRejected(dir + "/wide.png");
}

// The budget holds what one load holds at once. 1500 x 3000 decodes to
// 13.5 MB and is scaled to a 2048 x 4096 copy of 25.2 MB; its texture takes
// 25.2 MB more, or 33.6 MB with the whole mipmap chain: 63.9 MB fits the
// 64 MiB, 72.3 MB does not.
TEST_F(PngBind, TheBudgetCountsTheWorkingCopiesAndTheWholeMipmapChain) {
    ASSERT_TRUE(writePng(dir + "/tall.png", grey8(1500, 3000, 7)));
    EXPECT_NE(pngBind((dir + "/tall.png").c_str(), PNG_NOMIPMAPS, PNG_SOLID, nullptr, GL_CLAMP, GL_NEAREST,
                      GL_NEAREST),
              0u);
    EXPECT_EQ(levelSide(0, GL_TEXTURE_HEIGHT), 4096);
    expectRejected(dir + "/tall.png");
}

TEST_F(PngBind, ParametersAndPixelStoreAreAsTheCallerAsked) {
    ASSERT_TRUE(writePng(dir + "/g.png", grey8(8, 8, 1)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    unsigned int first = pngBind((dir + "/g.png").c_str(), PNG_NOMIPMAPS, PNG_SOLID, nullptr, GL_CLAMP, GL_NEAREST,
                                 GL_NEAREST);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(levelSide(1, GL_TEXTURE_WIDTH), 0);  // no mipmaps asked for
    GLint unpack = 0, pack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    EXPECT_EQ(unpack, 8);
    EXPECT_EQ(pack, 2);
    EXPECT_NE(bindFile(dir + "/g.png"), first);  // a new texture every call
}

TEST_F(PngBind, PaletteAndGreyImagesExpandToRgb) {
    PngImage palette;
    palette.width = 2;
    palette.height = 2;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 8;
    palette.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    palette.transparency = {0, 128};  // tRNS is dropped, colours kept
    palette.rows = {0, 1, 2, 3};
    EXPECT_EQ(load(palette), (std::vector<unsigned char>{255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}));

    PngImage grey;
    grey.width = 4;
    grey.height = 1;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 2;
    grey.rows = {0x1B};  // 0, 1, 2, 3
    EXPECT_EQ(load(grey), (std::vector<unsigned char>{0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));
}

TEST_F(PngBind, AlphaIsDroppedAndSixteenBitsReduced) {
    PngImage alpha;
    alpha.width = 2;
    alpha.height = 1;
    alpha.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    alpha.rows = {200, 100, 50, 0, 1, 2, 3, 255};
    EXPECT_EQ(load(alpha), (std::vector<unsigned char>{200, 100, 50, 1, 2, 3}));

    PngImage deep;
    deep.width = 2;
    deep.height = 1;
    deep.colourType = PNG_COLOR_TYPE_RGB;
    deep.bitDepth = 16;
    deep.rows = {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x12, 0x34, 0x00, 0x01, 0xFE, 0xFF};
    std::vector<unsigned char> got = load(deep);
    std::vector<int> want = {255, 128, 0, 18, 0, 254};
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1) << i;
}

TEST_F(PngBind, OddSidesAreRescaledWithTheTopRowAtTZero) {
    PngImage image;
    image.width = 3;
    image.height = 5;
    image.colourType = PNG_COLOR_TYPE_RGB;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) {
            unsigned char rgb[3] = {0, 0, 0};
            rgb[y < 2 ? 0 : y == 2 ? 1 : 2] = 255;  // red, red, green, blue, blue
            image.rows.insert(image.rows.end(), rgb, rgb + 3);
        }
    std::vector<unsigned char> got = load(image);
    ASSERT_EQ(levelSide(0, GL_TEXTURE_WIDTH), 4);
    ASSERT_EQ(levelSide(0, GL_TEXTURE_HEIGHT), 8);
    expectFullChain("3x5");
    // GLU's magnification blends a little of the opposite edge in.
    for (int x = 0; x < 4; ++x) {
        const unsigned char* top = &got[size_t(x) * 3];
        const unsigned char* bottom = &got[size_t(7 * 4 + x) * 3];
        EXPECT_TRUE(top[0] > 150 && top[1] < 30 && top[2] < 80) << "top row red at " << x;
        EXPECT_TRUE(bottom[2] > 150 && bottom[1] < 30 && bottom[0] < 80) << "bottom row blue at " << x;
    }
}

TEST_F(PngBind, SidesNeverExceedTheLargestTextureSize) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    GLint wide = maxSize + maxSize / 4;  // rounds up to twice the limit
    load(grey8(wide, 1, 90));
    EXPECT_EQ(levelSide(0, GL_TEXTURE_WIDTH), maxSize);
    EXPECT_EQ(levelSide(0, GL_TEXTURE_HEIGHT), 1);
    expectFullChain("wide");
}

TEST_F(PngBind, GammaFollowsViewingGammaWhenItIsANumber) {
    PngImage mid = grey8(1, 1, 128);
    EXPECT_EQ(load(mid)[0], 128);  // no gAMA: as a 2.2 screen shows it

    setenv("VIEWING_GAMMA", "2.2", 1);  // screen gamma 1: darker
    EXPECT_NEAR(load(mid)[0], 56, 2);
    setenv("VIEWING_GAMMA", " 0.5 ", 1);  // screen gamma 4.4: brighter
    EXPECT_NEAR(load(mid)[0], 181, 2);

    // Not a usable positive number: ignored, as if unset.
    for (const char* bad : {"", "abc", "0", "-1", "2.2x", "inf", "nan", "1e-300", "1e300", "0x1p1"}) {
        setenv("VIEWING_GAMMA", bad, 1);
        EXPECT_EQ(load(mid)[0], 128) << "VIEWING_GAMMA=\"" << bad << "\"";
    }

    unsetenv("VIEWING_GAMMA");
    mid.gamma = 1.0;  // linear file on a 2.2 screen: brighter
    EXPECT_NEAR(load(mid)[0], 186, 2);
}

}  // namespace
