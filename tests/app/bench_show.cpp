// Plays the whole show headless (640 x 480, Mesa's llvmpipe) on a simulated
// clock that advances a fixed step per frame, and prints what each scene costs
// in real time per frame, and in CPU time of all the process's threads (the
// rasteriser's included), which holds better on a busy machine. Run from the build folder, where data/ lies:
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./tests/app/bench_show [step ms]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/globals.h"
#include "platform/win32/testing.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Scene starts in ms of show time, and their names.
const int kStarts[] = {0, 17143, 34286, 51429, 60000, 94286, 113572, 147859};
const char* const kNames[] = {"ltitre", "add2", "prepre", "readd", "tunnel", "nua", "eau"};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const int step = argc > 1 ? std::atoi(argv[1]) : 40;
    if (step <= 0) return 2;

    win32test::captureMessageBoxes(true);
    const DWORD t0 = 1000;
    win32test::setClock(t0);

    std::vector<double> sums(7, 0.0);
    std::vector<double> cpuSums(7, 0.0);
    std::vector<int> counts(7, 0);
    int showMs = 0;
    Clock::time_point started = Clock::now();
    Clock::time_point last;
    double lastCpu = 0;
    double loadMs = -1;

    win32test::onSwapBuffers([&] {
        Clock::time_point now = Clock::now();
        double cpu = cpuMs();
        if (loadMs < 0) {
            loadMs = std::chrono::duration<double, std::milli>(now - started).count();
        } else {
            int scene = 0;
            while (scene < 6 && showMs >= kStarts[scene + 1]) ++scene;
            sums[scene] += std::chrono::duration<double, std::milli>(now - last).count();
            cpuSums[scene] += cpu - lastCpu;
            counts[scene]++;
        }
        last = now;
        lastCpu = cpu;
        showMs += step;
        win32test::setClock(t0 + static_cast<DWORD>(showMs));
    });
    WinMain(nullptr, nullptr, nullptr, SW_SHOW);

    std::printf("start-up to first frame (dialog, window, all scenes and textures): %.1f ms\n", loadMs);
    std::printf("%-8s %8s %12s %8s %16s\n", "scene", "frames", "ms/frame", "fps", "cpu ms/frame");
    for (int i = 0; i < 7; ++i) {
        double ms = counts[i] ? sums[i] / counts[i] : 0;
        double cpu = counts[i] ? cpuSums[i] / counts[i] : 0;
        std::printf("%-8s %8d %12.2f %8.1f %16.2f\n", kNames[i], counts[i], ms, ms > 0 ? 1000.0 / ms : 0, cpu);
    }
    std::printf("boxes shown: %zu\n", win32test::messageBoxes().size());
    return 0;
}
