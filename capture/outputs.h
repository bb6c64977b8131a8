// Every output of one capture in one record: opened together before anything
// is drawn, finished together, and all removed unless all finished, so a run
// that fails at any step, even after the video got its name, leaves nothing.
#ifndef VELMORA_CAPTURE_OUTPUTS_H
#define VELMORA_CAPTURE_OUTPUTS_H

#include <memory>
#include <string>

#include "capture/options.h"
#include "capture/still_files.h"
#include "capture/video_file.h"

class CaptureOutputs {
public:
    CaptureOutputs() = default;
    // Removes everything unless finish succeeded.
    ~CaptureOutputs();
    CaptureOutputs(const CaptureOutputs&) = delete;
    CaptureOutputs& operator=(const CaptureOutputs&) = delete;

    // Opens the outputs the options name, stereo sound at sampleRate; false
    // with a message when one cannot be written, the others removed again.
    bool open(const CaptureOptions& options, int sampleRate, std::string* error);
    // Finishes each; false with a message when one cannot be finished, and
    // then every output, finished or not, is removed.
    bool finish(std::string* error);
    // Removes everything written.
    void abandon();

    // Null when not asked for.
    VideoFile* video() const { return video_.get(); }
    FrameFolder* frames() const { return frames_.get(); }
    WavFile* wav() const { return wav_.get(); }
    bool wantsSound() const { return video_ || wav_; }

private:
    std::unique_ptr<VideoFile> video_;
    std::unique_ptr<FrameFolder> frames_;
    std::unique_ptr<WavFile> wav_;
    bool finished_ = false;
};

#endif
