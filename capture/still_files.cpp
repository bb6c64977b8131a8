#include "capture/still_files.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string partPathFor(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + base + ".part" + std::to_string(getpid());
}

bool writeFramePng(const std::string& path, int width, int height, const uint8_t* bgra) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    // Fast compression: the frames of a whole show are many.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* in = bgra + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[x * 3] = in[x * 4 + 2];
            row[x * 3 + 1] = in[x * 4 + 1];
            row[x * 3 + 2] = in[x * 4];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool FrameFolder::open(const std::string& dir, std::string* error) {
    dir_ = dir;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            *error = dir + ": not a folder";
            return false;
        }
    } else if (mkdir(dir.c_str(), 0777) == 0) {
        made_ = true;
    } else {
        *error = dir + ": cannot make the folder: " + std::strerror(errno);
        return false;
    }
    if (access(dir.c_str(), W_OK) != 0) {
        *error = dir + ": cannot write here: " + std::strerror(errno);
        abandon();
        return false;
    }
    return true;
}

std::string FrameFolder::pathFor(int64_t frame) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frame));
    return dir_ + name;
}

bool FrameFolder::write(int64_t frame, int width, int height, const uint8_t* bgra, std::string* error) {
    std::string path = pathFor(frame);
    written_.push_back(path);
    if (writeFramePng(path, width, height, bgra)) return true;
    *error = path + ": cannot write the frame";
    return false;
}

void FrameFolder::abandon() {
    for (const std::string& path : written_) std::remove(path.c_str());
    written_.clear();
    if (made_) rmdir(dir_.c_str());
    made_ = false;
}

WavFile::~WavFile() {
    if (!finished_) abandon();
}

bool WavFile::open(const std::string& path, int rate, std::string* error) {
    path_ = path;
    partPath_ = partPathFor(path);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(partPath_.c_str(), SFM_WRITE, &info);
    if (!file_) {
        *error = path + ": cannot write here: " + sf_strerror(nullptr);
        std::remove(partPath_.c_str());
        partPath_.clear();
        return false;
    }
    return true;
}

bool WavFile::add(const float* samples, int frames, std::string* error) {
    if (frames <= 0) return true;
    if (sf_writef_float(file_, samples, frames) == frames) return true;
    *error = path_ + ": cannot write: " + sf_strerror(file_);
    return false;
}

bool WavFile::finish(std::string* error) {
    int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0 || std::rename(partPath_.c_str(), path_.c_str()) != 0) {
        *error = path_ + ": cannot finish the file";
        abandon();
        return false;
    }
    partPath_.clear();
    finished_ = true;
    return true;
}

void WavFile::abandon() {
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (!partPath_.empty()) std::remove(partPath_.c_str());
    partPath_.clear();
    if (finished_) std::remove(path_.c_str());
    finished_ = false;
}
