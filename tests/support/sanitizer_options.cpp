// Sanitizer settings for the programs of a sanitized build (every test
// program, and the show itself there): leaks inside system libraries we do
// not own are kept apart; ours are never suppressed.
#include <dlfcn.h>

#include <initializer_list>

namespace {

struct KeepGlLibrariesLoaded {
    KeepGlLibrariesLoaded() {
        // SDL and Mesa unload their GL libraries when done; kept loaded, a
        // leak inside them is still named by its library in the report.
        for (const char* lib : {"libGL.so.1", "libGLX.so.0", "libGLX_mesa.so.0", "libGLdispatch.so.0",
                                "libEGL.so.1", "libEGL_mesa.so.0", "libglapi.so.0", "libgbm.so.1",
                                "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
            dlopen(lib, RTLD_LAZY | RTLD_NODELETE);
    }
};

const KeepGlLibrariesLoaded keep;

}  // namespace

extern "C" {

// Read by the sanitizers at start-up when they are linked in.
const char* __asan_default_options() { return "detect_leaks=1"; }
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Leaks inside system libraries we do not own; ours are never suppressed.
const char* __lsan_default_suppressions() {
    return "leak:libGLX_mesa.so\n"
           "leak:libGL.so\n"
           "leak:libGLdispatch.so\n"
           "leak:libEGL\n"
           "leak:libglapi.so\n"
           "leak:libgbm.so\n"
           "leak:swrast_dri.so\n"
           "leak:libgallium\n"
           "leak:libLLVM\n"
           "leak:libSDL2-2.0.so\n"
           "leak:libX11.so\n"
           "leak:libxcb.so\n"
           "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libpango\n"
           "leak:libcairo.so\n"
           "leak:libharfbuzz.so\n"
           "leak:libatk\n"
           "leak:libepoxy.so\n"
           "leak:libasound.so\n"
           "leak:libpulse\n"
           "leak:libpipewire\n";
}

}
