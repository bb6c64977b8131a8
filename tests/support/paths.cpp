#include "tests/support/paths.h"

#include <cstdlib>

static std::string envOr(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::string sourceDir() { return envOr("VELMORA_SOURCE_DIR", "."); }

std::string testDataPath(const std::string& relative) {
    return sourceDir() + "/../shared/testdata/" + relative;
}

std::string builtDataDir() { return envOr("VELMORA_DATA_DIR", "data"); }
