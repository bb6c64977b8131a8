// pngBind on libpng (decoding, transforms, gamma) and GLU (rescaling and
// mipmaps). libpng reports errors by longjmp, so the decoding frame holds
// only plain data and every buffer is owned by the caller, which frees it on
// every path.
#include "platform/glpng/glpng.h"
#include "platform/host/regular_file.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <charconv>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace glpnglayer {

// Files pngBind has tried to open; read by the testing library.
long openCount = 0;

}  // namespace glpnglayer

namespace {

const double kScreenGamma = 2.2;
// Assumed for files without gAMA or sRGB: what a 2.2 screen shows unchanged.
const double kDefaultFileGamma = 1.0 / 2.2;
// Screen gammas libpng can correct for in its fixed point.
const double kMinScreenGamma = 1e-4;
const double kMaxScreenGamma = 100.0;
// The most memory one load may hold at once: the decoded image, its copy
// scaled to powers of two, and the texture with all its mipmap levels. A
// small file can declare a huge image, and a side just past a power of two
// doubles.
const size_t kMaxTextureBytes = size_t(64) << 20;

// The decoded image: tightly packed 8-bit RGB rows, top row first.
struct Image {
    png_uint_32 width;
    png_uint_32 height;
    unsigned char* pixels;
    png_bytep* rows;
    pngInfo info;
};

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Files with odd ancillary chunks are common; their warnings are noise.
void onWarning(png_structp, png_const_charp) {}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The whole of [begin, end) as a decimal number, independent of the C locale:
// from_chars where the C++ library reads floating point with it; elsewhere
// (Emscripten's) the same grammar is checked here and read by strtod, which
// reads "." as the point in a program that never sets a locale.
bool readDecimal(const char* begin, const char* end, double* value) {
#if defined(__cpp_lib_to_chars)
    std::from_chars_result parsed = std::from_chars(begin, end, *value);
    return parsed.ec == std::errc() && parsed.ptr == end;
#else
    auto digits = [&](const char*& p) {
        const char* from = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        return p - from;
    };
    const char* p = begin;
    if (p < end && *p == '-') ++p;
    long count = digits(p);
    if (p < end && *p == '.') count += digits(++p);
    if (count == 0) return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-')) ++p;
        if (digits(p) == 0) return false;
    }
    if (p != end) return false;
    *value = std::strtod(std::string(begin, end).c_str(), nullptr);
    return true;
#endif
}

// 2.2, or 2.2 divided by VIEWING_GAMMA when that is a positive finite
// decimal number giving a screen gamma libpng can use. Anything else would
// divide by zero or hand libpng an invalid gamma, so it is ignored.
double screenGamma() {
    const char* text = std::getenv("VIEWING_GAMMA");
    if (!text) return kScreenGamma;
    const char* begin = text;
    const char* end = text + std::strlen(text);
    while (begin < end && isSpace(*begin)) ++begin;
    while (end > begin && isSpace(end[-1])) --end;
    double value = 0.0;
    if (begin == end || !readDecimal(begin, end, &value)) return kScreenGamma;
    if (!std::isfinite(value) || value <= 0.0) return kScreenGamma;
    double screen = kScreenGamma / value;
    if (!(screen >= kMinScreenGamma && screen <= kMaxScreenGamma)) return kScreenGamma;
    return screen;
}

// The smallest power of two holding side, but no more than the GL limit.
GLsizei powerOfTwoSide(png_uint_32 side, GLint maxSize) {
    GLsizei limit = 1;
    while (limit <= maxSize / 2) limit *= 2;
    GLsizei fitted = 1;
    while (png_uint_32(fitted) < side && fitted < limit) fitted *= 2;
    return fitted;
}

// Bytes of the RGB texture a width x height image becomes, with its mipmap
// levels when asked for.
unsigned long long textureBytes(png_uint_32 width, png_uint_32 height, int mipmap, GLint maxSize) {
    unsigned long long w = powerOfTwoSide(width, maxSize);
    unsigned long long h = powerOfTwoSide(height, maxSize);
    unsigned long long total = 0;
    for (;;) {
        total += w * h * 3;
        if (mipmap == PNG_NOMIPMAPS || (w == 1 && h == 1)) return total;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
}

// Bytes one load holds at once for a width x height image: the decoded
// rows, the scaled copy when a side is not a power of two, and the texture.
unsigned long long workingBytes(png_uint_32 width, png_uint_32 height, int mipmap, GLint maxSize) {
    const unsigned long long decoded = 3ull * width * height;
    const unsigned long long w = powerOfTwoSide(width, maxSize);
    const unsigned long long h = powerOfTwoSide(height, maxSize);
    const unsigned long long scaled = (w != width || h != height) ? 3ull * w * h : 0;
    return decoded + scaled + textureBytes(width, height, mipmap, maxSize);
}

// Every libpng call that may fail runs here, after setjmp. Nothing in this
// frame has a destructor and no local set after setjmp is read after a
// longjmp; buffers go into *image so the caller frees them.
int decode(png_structp png, png_infop pngInfoPtr, double screen, int mipmap, GLint maxSize, Image* image) {
    if (setjmp(png_jmpbuf(png))) return 0;

    png_set_sig_bytes(png, 8);
    // Of the ancillary chunks only the gamma ones (and tRNS, which libpng
    // always reads) matter to an opaque texture. The rest are skipped
    // unread, so a forged length cannot make libpng allocate and clear
    // a gigabyte for text or metadata.
    static const png_byte kGammaChunks[] = {'g', 'A', 'M', 'A', 0, 's', 'R', 'G', 'B', 0};
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kGammaChunks, 2);
    png_read_info(png, pngInfoPtr);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colour = 0;
    png_get_IHDR(png, pngInfoPtr, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
    // Refused from the header alone, before anything is decoded or scaled.
    if (width == 0 || height == 0 || workingBytes(width, height, mipmap, maxSize) > kMaxTextureBytes) return 0;
    image->info.Width = width;
    image->info.Height = height;
    image->info.Depth = unsigned(depth);
    image->info.Alpha = (colour & PNG_COLOR_MASK_ALPHA) ? unsigned(depth) : 0u;

    // Opaque 8-bit RGB whatever the file holds.
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (depth == 16) png_set_scale_16(png);
    png_set_strip_alpha(png);

    // Fixed point throughout: libpng's floating entry reads values of 128 or
    // more as already scaled.
    png_fixed_point fileGamma = png_fixed_point(std::lround(kDefaultFileGamma * PNG_FP_1));
    png_get_gAMA_fixed(png, pngInfoPtr, &fileGamma);
    png_set_gamma_fixed(png, png_fixed_point(std::lround(screen * PNG_FP_1)), fileGamma);

    png_set_interlace_handling(png);
    png_read_update_info(png, pngInfoPtr);
    if (png_get_channels(png, pngInfoPtr) != 3 || png_get_bit_depth(png, pngInfoPtr) != 8) return 0;

    size_t rowBytes = png_get_rowbytes(png, pngInfoPtr);
    if (width == 0 || height == 0 || rowBytes != size_t(width) * 3 || rowBytes > kMaxTextureBytes / height) return 0;
    image->pixels = static_cast<unsigned char*>(std::malloc(rowBytes * height));
    image->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!image->pixels || !image->rows) return 0;
    for (png_uint_32 y = 0; y < height; ++y) image->rows[y] = image->pixels + size_t(y) * rowBytes;

    png_read_image(png, image->rows);
    // Reading to the end also checks the chunks after the image data.
    png_read_end(png, nullptr);
    image->width = width;
    image->height = height;
    return 1;
}

int readImage(std::FILE* file, double screen, int mipmap, GLint maxSize, Image* image) {
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature) return 0;
    if (png_sig_cmp(signature, 0, sizeof signature) != 0) return 0;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png) return 0;
    png_infop pngInfoPtr = png_create_info_struct(png);
    if (!pngInfoPtr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return 0;
    }
    png_init_io(png, file);
    int ok = decode(png, pngInfoPtr, screen, mipmap, maxSize, image);
    png_destroy_read_struct(&png, &pngInfoPtr, nullptr);
    return ok;
}

int upload(const Image* image, int mipmap, GLint maxSize) {
    GLsizei width = powerOfTwoSide(image->width, maxSize);
    GLsizei height = powerOfTwoSide(image->height, maxSize);

    // Our rows are tightly packed; whatever pixel storage the caller set is
    // put back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);

    int ok = 1;
    const unsigned char* pixels = image->pixels;
    unsigned char* scaled = nullptr;
    if (png_uint_32(width) != image->width || png_uint_32(height) != image->height) {
        scaled = static_cast<unsigned char*>(std::malloc(size_t(width) * size_t(height) * 3));
        ok = scaled && gluScaleImage(GL_RGB, GLint(image->width), GLint(image->height), GL_UNSIGNED_BYTE, pixels,
                                     width, height, GL_UNSIGNED_BYTE, scaled) == 0;
        pixels = scaled;
    }
    if (ok) {
        // Rows go up top first, so the image's top row lies at t = 0.
        if (mipmap == PNG_NOMIPMAPS)
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        else
            ok = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels) == 0;
    }
    glPopClientAttrib();
    std::free(scaled);
    return ok;
}

}  // namespace

unsigned int pngBind(const char* filename, int mipmap, int trans, pngInfo* info,
                     int wrapst, int minfilter, int magfilter) {
    (void)trans;  // every texture is opaque

    // The texture exists, is bound and has its parameters before the file is
    // touched, so a failed load still leaves it bound.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapst);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapst);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minfilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magfilter);
    int ok = 0;
    std::FILE* file = nullptr;
    if (filename) {
        ++glpnglayer::openCount;
        file = openRegularFile(filename);
    }
    if (file) {
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        Image image;
        std::memset(&image, 0, sizeof image);
        ok = readImage(file, screenGamma(), mipmap, maxSize, &image);
        std::fclose(file);
        if (ok) ok = upload(&image, mipmap, maxSize);
        if (ok && info) *info = image.info;
        std::free(image.rows);
        std::free(image.pixels);
    }
    if (ok) return texture;
    // A failed load gives its name back; deleting the bound texture leaves
    // texture 0 bound, which holds no image either.
    glDeleteTextures(1, &texture);
    return 0;
}

