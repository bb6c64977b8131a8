// The testing interface of the glpng layer; linked into tests only
// (velmora_glpng_testing).
#include "platform/glpng/testing.h"

namespace glpnglayer {
extern long openCount;
}

long glpngtest::openCount() { return glpnglayer::openCount; }
