// The capture's other outputs: numbered PNG frames and the sound as WAV.
#ifndef VELMORA_CAPTURE_STILL_FILES_H
#define VELMORA_CAPTURE_STILL_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include <sndfile.h>

// A hidden name beside path for writing it before it is whole; the same
// folder keeps the final rename on one file system.
std::string partPathFor(const std::string& path);

// Writes BGRA rows, bottom row first (as GL reads them), as an RGB PNG file.
bool writeFramePng(const std::string& path, int width, int height, const uint8_t* bgra);

// A folder of numbered frames. Files it wrote (and the folder, when it made
// it) are removed again by abandon.
class FrameFolder {
public:
    // Makes the folder when missing; false with a message when it cannot be used.
    bool open(const std::string& dir, std::string* error);
    std::string pathFor(int64_t frame) const;
    bool write(int64_t frame, int width, int height, const uint8_t* bgra, std::string* error);
    void abandon();

private:
    std::string dir_;
    bool made_ = false;
    std::vector<std::string> written_;
};

// 16-bit stereo WAV written under a temporary name and renamed when finished.
class WavFile {
public:
    // An unfinished file is removed.
    ~WavFile();
    bool open(const std::string& path, int rate, std::string* error);
    bool add(const float* samples, int frames, std::string* error);
    bool finish(std::string* error);
    // Removes what was written, the finished file too.
    void abandon();

private:
    std::string path_;
    std::string partPath_;
    SNDFILE* file_ = nullptr;
    bool finished_ = false;
};

#endif
