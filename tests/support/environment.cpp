// The environment every test program starts in: headless SDL and the
// project's folders.
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment() {
#if !defined(_WIN32)
        // Windows has no offscreen GL: there the tests' GL windows stay hidden.
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
#endif
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("VELMORA_SOURCE_DIR", VELMORA_SOURCE_DIR_DEFAULT, 0);
        setenv("VELMORA_DATA_DIR", VELMORA_DATA_DIR_DEFAULT, 0);
        setenv("VELMORA_TESTDATA_DIR", VELMORA_TESTDATA_DIR_DEFAULT, 0);
        setenv("VELMORA_3DS_MODELS_DIR", VELMORA_3DS_MODELS_DIR_DEFAULT, 0);
    }
};

const TestEnvironment environment;

}  // namespace
