#include "tests/support/data_folder.h"

#include <stdlib.h>

namespace fs = std::filesystem;

ScopedDataFolder::ScopedDataFolder() {
    char pattern[] = "/tmp/velmora-test-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir = pattern;
    fs::create_directory(dir / "data");
    oldDir = fs::current_path();
    fs::current_path(dir);
}

ScopedDataFolder::~ScopedDataFolder() {
    std::error_code ignored;
    if (!oldDir.empty()) fs::current_path(oldDir, ignored);
    if (!dir.empty()) fs::remove_all(dir, ignored);
}
