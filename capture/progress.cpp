#include "capture/progress.h"

#include <sys/resource.h>
#include <unistd.h>

#include <string>

Progress::Progress(FILE* out, int64_t totalFrames, double showSeconds)
    : out_(out),
      terminal_(isatty(fileno(out)) != 0),
      total_(totalFrames > 0 ? totalFrames : 1),
      showSeconds_(showSeconds),
      start_(std::chrono::steady_clock::now()),
      lastDrawn_() {}

double Progress::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::update(int64_t done, double showDone) {
    if (!terminal_) return;
    auto now = std::chrono::steady_clock::now();
    // A few times a second is enough to read, and costs nothing.
    if (done < total_ && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    const int width = 24;
    const int filled = static_cast<int>(done * width / total_);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, '.');
    const double wall = elapsed();
    const double speed = wall > 0 ? showDone / wall : 0;
    const double left = speed > 0 ? (showSeconds_ - showDone) / speed : 0;
    std::fprintf(out_, "\r[%s] %lld/%lld frames  %.1f/%.1f s  %.2fx real time  %d:%02d left ", bar.c_str(),
                 static_cast<long long>(done), static_cast<long long>(total_), showDone, showSeconds_, speed,
                 static_cast<int>(left) / 60, static_cast<int>(left) % 60);
    std::fflush(out_);
}

void Progress::end() {
    if (!terminal_) return;
    std::fprintf(out_, "\r%*s\r", 90, "");
    std::fflush(out_);
}

double processCpuSeconds() {
    rusage usage;
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}
