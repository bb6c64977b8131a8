// A fresh working folder holding data/, the layout the show reads from; the
// old working directory comes back and the folder goes when it ends.
#ifndef VELMORA_TESTS_DATA_FOLDER_H
#define VELMORA_TESTS_DATA_FOLDER_H

#include <filesystem>
#include <string>

class ScopedDataFolder {
public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

    bool ok() const { return !dir.empty(); }
    std::filesystem::path data() const { return dir / "data"; }

    std::filesystem::path dir;     // the new working directory
    std::filesystem::path oldDir;  // the one before it
};

#endif
