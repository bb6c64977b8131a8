// Testing interface of the glpng layer.
#ifndef VELMORA_PLATFORM_GLPNG_TESTING_H
#define VELMORA_PLATFORM_GLPNG_TESTING_H

namespace glpngtest {

// How many times pngBind has tried to open a file since the process began.
long openCount();

}  // namespace glpngtest

#endif
