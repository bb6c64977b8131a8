#include "capture/outputs.h"

CaptureOutputs::~CaptureOutputs() {
    if (!finished_) abandon();
}

bool CaptureOutputs::open(const CaptureOptions& o, int sampleRate, std::string* error) {
    if (!o.output.empty()) {
        video_.reset(new VideoFile);
        if (!video_->open(o.output, o.width, o.height, o.fps, sampleRate, o.quality)) {
            *error = video_->error();
            abandon();
            return false;
        }
    }
    if (!o.framesDir.empty()) {
        frames_.reset(new FrameFolder);
        if (!frames_->open(o.framesDir, error)) {
            abandon();
            return false;
        }
    }
    if (!o.wavPath.empty()) {
        wav_.reset(new WavFile);
        if (!wav_->open(o.wavPath, sampleRate, error)) {
            abandon();
            return false;
        }
    }
    return true;
}

bool CaptureOutputs::finish(std::string* error) {
    bool ok = true;
    if (video_ && !video_->finish()) {
        *error = video_->error();
        ok = false;
    }
    if (ok && wav_ && !wav_->finish(error)) ok = false;
    if (!ok) {
        abandon();
        return false;
    }
    finished_ = true;
    return true;
}

void CaptureOutputs::abandon() {
    if (video_) video_->abandon();
    if (frames_) frames_->abandon();
    if (wav_) wav_->abandon();
    finished_ = false;
}
