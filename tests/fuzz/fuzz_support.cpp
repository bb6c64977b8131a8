#include "tests/fuzz/fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

std::string g_folder;

void removeFolder() {
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(g_folder, ignored);
}

}  // namespace

void enterFuzzFolder() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char shm[] = "/dev/shm/velmora-fuzz-XXXXXX";
    char tmp[] = "/tmp/velmora-fuzz-XXXXXX";
    const char* dir = mkdtemp(shm);
    if (!dir) dir = mkdtemp(tmp);
    if (!dir || chdir(dir) != 0 || mkdir("data", 0700) != 0) {
        fprintf(stderr, "fuzz: no working folder\n");
        abort();
    }
    g_folder = dir;
    atexit(removeFolder);
}

bool writeDataFile(const char* name, const uint8_t* data, size_t size) {
    std::string path = std::string("data/") + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}
