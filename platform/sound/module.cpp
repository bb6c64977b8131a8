// FMUSIC_*: modules read whole into memory and decoded by libopenmpt.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "platform/sound/internal.h"

using soundlayer::setError;

namespace {

// No module comes near this; a larger file is refused unread.
const size_t kMaxModuleBytes = size_t(64) << 20;

#ifdef _WIN32
// Every byte as it is in the file.
const int kOpenFlags = O_RDONLY | O_BINARY;
#else
// Opening does not wait for a writer, so a named pipe is refused, not
// waited on.
const int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
#endif

// Reads the file whole; an error code, or 0. Only a regular file is read.
int readWhole(const char* name, std::vector<char>& data) {
    int fd = open(name, kOpenFlags);
    if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? FMOD_ERR_FILE_NOT_FOUND : FMOD_ERR_FILE_LOAD;
    struct stat info;
    int code = 0;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        code = FMOD_ERR_FILE_LOAD;
    else if (size_t(info.st_size) > kMaxModuleBytes)
        code = FMOD_ERR_OUT_OF_MEMORY;
    try {
        char chunk[65536];
        ssize_t n = 0;
        while (code == 0 && (n = read(fd, chunk, sizeof chunk)) > 0) {
            // The file may have grown since it was measured.
            if (data.size() + size_t(n) > kMaxModuleBytes) code = FMOD_ERR_OUT_OF_MEMORY;
            else data.insert(data.end(), chunk, chunk + n);
        }
        if (code == 0 && n < 0) code = FMOD_ERR_FILE_LOAD;
    } catch (const std::bad_alloc&) {
        code = FMOD_ERR_OUT_OF_MEMORY;
    }
    close(fd);
    return code;
}

// Decodes the file's bytes; an error code, or 0 with *out set.
int decode(const std::vector<char>& data, openmpt_module** out) {
    if (data.empty()) return FMOD_ERR_FILE_FORMAT;
    int error = OPENMPT_ERROR_OK;
    const int probe = openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data.data(), data.size(),
                                                data.size(), openmpt_log_func_silent, nullptr,
                                                openmpt_error_func_store, nullptr, &error, nullptr);
    if (probe == OPENMPT_PROBE_FILE_HEADER_RESULT_ERROR)
        return error == OPENMPT_ERROR_OUT_OF_MEMORY ? FMOD_ERR_OUT_OF_MEMORY : FMOD_ERR_FILE_LOAD;
    // The whole file was offered, so wanting more means it is too short to be a module.
    if (probe != OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS) return FMOD_ERR_FILE_FORMAT;

    error = OPENMPT_ERROR_OK;
    *out = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                              openmpt_error_func_store, nullptr, &error, nullptr, nullptr);
    if (!*out) return error == OPENMPT_ERROR_OUT_OF_MEMORY ? FMOD_ERR_OUT_OF_MEMORY : FMOD_ERR_FILE_LOAD;
    return 0;
}

// Common checks of the calls that take a module; false with the code set.
bool usable(FMUSIC_MODULE* mod) {
    if (!soundlayer::state().initialised) {
        setError(FMOD_ERR_NOT_INITIALISED);
        return false;
    }
    if (!soundlayer::liveModule(mod)) {
        setError(FMOD_ERR_INVALID_PARAM);
        return false;
    }
    return true;
}

}  // namespace

namespace soundlayer {

bool liveModule(FMUSIC_MODULE* mod) {
    const std::vector<FMUSIC_MODULE*>& all = state().modules;
    return mod && std::find(all.begin(), all.end(), mod) != all.end();
}

}  // namespace soundlayer

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    if (!soundlayer::enter("FMUSIC_LoadSong")) return nullptr;
    soundlayer::State& s = soundlayer::state();
    if (!s.initialised) {
        setError(FMOD_ERR_NOT_INITIALISED);
        return nullptr;
    }
    if (!name) {
        setError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    openmpt_module* decoded = nullptr;
    int code;
    {
        std::vector<char> data;
        code = readWhole(name, data);
        if (code == 0) code = decode(data, &decoded);
    }
    if (code) {
        setError(code);
        return nullptr;
    }
    FMUSIC_MODULE* mod = new (std::nothrow) FMUSIC_MODULE;
    if (!mod) {
        openmpt_module_destroy(decoded);
        setError(FMOD_ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    mod->mod = decoded;
    soundlayer::locked([&] { s.modules.push_back(mod); });
    return mod;
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) {
    if (!soundlayer::enter("FMUSIC_PlaySong") || !usable(mod)) return -1;
    soundlayer::locked([&] {
        openmpt_module_set_position_seconds(mod->mod, 0.0);
        mod->playing = true;
    });
    return 1;
}

signed char FMUSIC_StopSong(FMUSIC_MODULE* mod) {
    if (!soundlayer::enter("FMUSIC_StopSong") || !usable(mod)) return 0;
    soundlayer::locked([&] { mod->playing = false; });
    return 1;
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* mod) {
    if (!soundlayer::enter("FMUSIC_FreeSong") || !usable(mod)) return 0;
    std::vector<FMUSIC_MODULE*>& all = soundlayer::state().modules;
    soundlayer::locked([&] { all.erase(std::find(all.begin(), all.end(), mod)); });
    soundlayer::destroyModule(mod);
    return 1;
}
