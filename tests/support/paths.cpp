#include "tests/support/paths.h"

#include <cstdlib>
#include <filesystem>

static std::string envOr(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

// The folder named by the variable, if it is set and there.
static std::string existingDir(const char* name) {
    std::string dir = envOr(name, "");
    std::error_code ignored;
    return !dir.empty() && std::filesystem::is_directory(dir, ignored) ? dir : "";
}

std::string sourceDir() { return envOr("VELMORA_SOURCE_DIR", "."); }

std::string builtDataDir() { return envOr("VELMORA_DATA_DIR", "data"); }

std::string testDataPath(const std::string& relative) {
    const std::string dir = existingDir("VELMORA_TESTDATA_DIR");
    if (dir.empty()) return "";
    const std::string path = dir + "/" + relative;
    std::error_code ignored;
    return std::filesystem::exists(path, ignored) ? path : "";
}

std::string missingTestData(const std::string& relative) {
    const std::string dir = envOr("VELMORA_TESTDATA_DIR", "");
    if (dir.empty()) return "no third-party test corpus in this build (VELMORA_TESTDATA_DIR), needs " + relative;
    return relative + " is not in the test corpus " + dir;
}

std::string thirdParty3dsDir() { return existingDir("VELMORA_3DS_MODELS_DIR"); }
