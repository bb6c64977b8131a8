// Writes the captured frames and sound on a thread of its own, so encoding
// one frame overlaps drawing the next.
#ifndef VELMORA_CAPTURE_WRITER_H
#define VELMORA_CAPTURE_WRITER_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class VideoFile;
class FrameFolder;
class WavFile;

struct CaptureJob {
    int64_t frame = 0;
    std::vector<uint8_t> pixels;  // BGRA, bottom row first
    std::vector<float> sound;     // the frame's interleaved stereo samples
};

class CaptureWriter {
public:
    // Any of the outputs may be null.
    CaptureWriter(VideoFile* video, FrameFolder* frames, WavFile* wav, int width, int height);
    ~CaptureWriter();

    // An empty job to fill, its picture buffer sized; waits while the
    // writer is that far behind.
    std::unique_ptr<CaptureJob> take();
    void submit(std::unique_ptr<CaptureJob> job);
    // Waits until everything submitted is written; false with the first
    // failure's message.
    bool drain(std::string* error);
    // True once a write failed; the drawing should stop.
    bool failed();

private:
    void run();
    bool write(CaptureJob& job, std::string* error);

    VideoFile* video_;
    FrameFolder* frames_;
    WavFile* wav_;
    int width_;
    int height_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<CaptureJob>> queue_;
    std::vector<std::unique_ptr<CaptureJob>> spare_;
    int inFlight_ = 0;
    bool quit_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread thread_;
};

#endif
