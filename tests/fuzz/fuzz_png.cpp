// A texture file loaded as the texture registry loads it.
#include <GL/gl.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "tests/support/gl_context.h"
#include "textures/texture_registry.h"

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Gives every whole chunk a right CRC. libpng refuses a chunk whose CRC is
// wrong, and a fuzzer cannot learn one from coverage, so nearly every mutation
// would stop there instead of reaching the header, the image data and our
// bounds.
void fixChunkCrcs(std::vector<uint8_t>& png) {
    size_t at = 8;  // after the signature
    while (png.size() >= 12 && at <= png.size() - 12) {
        uint32_t length = be32(&png[at]);
        if (length > png.size() - 12 - at) break;
        uint32_t crc = uint32_t(crc32(0, &png[at + 4], uInt(length + 4)));
        uint8_t* out = &png[at + 8 + length];
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        at += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestGlContext* gl = new TestGlContext(16, 16);
    if (!gl->ok()) abort();
    std::vector<uint8_t> png(data, data + size);
    fixChunkCrcs(png);
    if (!writeDataFile("fuzz.png", png.data(), png.size())) abort();
    TextureRegistry textures;
    textures.load("fuzz.png");
    glDeleteTextures(textures.count, textures.ids);
    return 0;
}
