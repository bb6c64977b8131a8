// A texture file loaded as the texture registry loads it.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/fuzz_support.h"
#include "tests/support/gl_context.h"
#include "textures/texture_registry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TestGlContext* gl = new TestGlContext(16, 16);
    if (!gl->ok()) abort();
    if (!writeDataFile("fuzz.png", data, size)) abort();
    TextureRegistry textures;
    textures.load("fuzz.png");
    glDeleteTextures(textures.count, textures.ids);
    return 0;
}
