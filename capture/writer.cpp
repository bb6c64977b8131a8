#include "capture/writer.h"

#include "capture/still_files.h"
#include "capture/video_file.h"

namespace {

// Frames in flight: one being written, one waiting, one being filled.
const int kDepth = 3;

}  // namespace

CaptureWriter::CaptureWriter(VideoFile* video, FrameFolder* frames, WavFile* wav, int width, int height)
    : video_(video), frames_(frames), wav_(wav), width_(width), height_(height) {
    thread_ = std::thread([this] { run(); });
}

CaptureWriter::~CaptureWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::unique_ptr<CaptureJob> CaptureWriter::take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return inFlight_ < kDepth || failed_; });
    ++inFlight_;
    std::unique_ptr<CaptureJob> job;
    if (!spare_.empty()) {
        job = std::move(spare_.back());
        spare_.pop_back();
    } else {
        job.reset(new CaptureJob);
    }
    job->pixels.resize(static_cast<size_t>(width_) * height_ * 4);
    job->sound.clear();
    return job;
}

void CaptureWriter::submit(std::unique_ptr<CaptureJob> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool CaptureWriter::failed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

bool CaptureWriter::drain(std::string* error) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && (inFlight_ == 0 || failed_); });
    if (failed_) *error = error_;
    return !failed_;
}

void CaptureWriter::run() {
    for (;;) {
        std::unique_ptr<CaptureJob> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        std::string error;
        // After a failure the rest is dropped: nothing of it will be kept.
        bool skip = failed();
        bool ok = skip || write(*job, &error);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!ok && !failed_) {
                failed_ = true;
                error_ = error;
            }
            --inFlight_;
            spare_.push_back(std::move(job));
        }
        changed_.notify_all();
    }
}

bool CaptureWriter::write(CaptureJob& job, std::string* error) {
    const int soundFrames = static_cast<int>(job.sound.size() / 2);
    if (video_) {
        if (!job.pixels.empty() && !video_->addPicture(job.pixels.data())) {
            *error = video_->error();
            return false;
        }
        if (!video_->addSound(job.sound.data(), soundFrames)) {
            *error = video_->error();
            return false;
        }
    }
    if (wav_ && !wav_->add(job.sound.data(), soundFrames, error)) return false;
    if (frames_ && !job.pixels.empty() && !frames_->write(job.frame, width_, height_, job.pixels.data(), error))
        return false;
    return true;
}
