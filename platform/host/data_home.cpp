#include "platform/host/data_home.h"

#include <SDL.h>

#include <filesystem>
#include <string>

namespace datahome {

bool enterInstalledDataHome() {
    // The executable's folder, symbolic links resolved, with a trailing '/'.
    char* base = SDL_GetBasePath();
    if (!base) return false;
    const std::filesystem::path home = std::filesystem::path(base) / VELMORA_INSTALL_HOME;
    SDL_free(base);
    std::error_code error;
    if (!std::filesystem::is_directory(home / "data", error)) return false;
    std::filesystem::current_path(home, error);
    return !error;
}

}  // namespace datahome
