// A video file with one picture stream and one sound stream, encoded with
// FFmpeg's libraries. The container follows the file's extension: .mp4 and
// .mkv hold H.264 and AAC, .webm holds VP9 and Opus. The file is written
// under a temporary name beside it and renamed into place when finished, so
// a failed or interrupted capture leaves nothing half written.
#ifndef VELMORA_CAPTURE_VIDEO_FILE_H
#define VELMORA_CAPTURE_VIDEO_FILE_H

#include <cstdint>
#include <string>

#include "capture/options.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct AVAudioFifo;
struct SwsContext;
struct SwrContext;

class VideoFile {
public:
    VideoFile() = default;
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // Opens the file for width x height pictures at fps, and stereo float
    // sound at sampleRate; false with error() set.
    bool open(const std::string& path, int width, int height, int fps, int sampleRate, Quality quality);
    // One picture: BGRA rows, bottom row first, as GL reads them.
    bool addPicture(const uint8_t* bgra);
    // Interleaved stereo float frames at the rate given to open.
    bool addSound(const float* samples, int frames);
    // Flushes the encoders, ends the file and gives it its name.
    bool finish();
    // Removes what was written, the finished file too: a run that fails
    // after this file was finished leaves nothing behind either.
    void abandon();

    const std::string& error() const { return error_; }

private:
    bool openVideo(const std::string& codec, int width, int height, int fps, Quality quality);
    bool openAudio(const std::string& codec, int sampleRate, Quality quality);
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    bool sendSound(bool flush);
    bool fail(const std::string& what, int code = 0);
    void close();

    std::string path_;
    std::string partPath_;
    std::string error_;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVCodecContext* audio_ = nullptr;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVFrame* sound_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scale_ = nullptr;
    SwrContext* resample_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int64_t pictures_ = 0;
    int64_t samplesSent_ = 0;
    bool headerWritten_ = false;
    bool finished_ = false;
};

#endif
