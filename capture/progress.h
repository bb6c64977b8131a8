// The capture's progress line on a terminal, and its closing figures.
#ifndef VELMORA_CAPTURE_PROGRESS_H
#define VELMORA_CAPTURE_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <cstdio>

class Progress {
public:
    // Draws on `out` only when it is a terminal.
    Progress(FILE* out, int64_t totalFrames, double showSeconds);
    // After each frame: frames done and the show time they cover.
    void update(int64_t framesDone, double showSecondsDone);
    // Clears the line.
    void end();
    // Wall seconds since construction.
    double elapsed() const;

private:
    FILE* out_;
    bool terminal_;
    int64_t total_;
    double showSeconds_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

// Seconds of CPU time the process has used, in every thread.
double processCpuSeconds();

#endif
