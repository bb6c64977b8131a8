// Plays the whole show headless (640 x 480, Mesa's llvmpipe) on the driven
// clock at a fixed step, and prints what loading and each scene cost: wall
// time per frame (p50, p99, max), process CPU time per frame (every thread,
// which a busy machine disturbs less), and the first frame after each cut,
// which records the scene's display lists. Run from the build folder:
//   ./tests/app/bench_show [STEP_MS] [--capture]
// --capture reads each frame back as the capture does instead of presenting it.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/show.h"
#include "music/music_player.h"
#include "platform/host/clock.h"
#include "scene/scene_sequence_effect.h"
#include "textures/texture_registry.h"
#include "timeline/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct SceneCost {
    std::string name;
    std::vector<double> wall;  // per frame, ms; the first is the cut's
    double cpu = 0;            // ms, all frames
    double firstCpu = 0;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int step = 17;
    bool readBack = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--capture") == 0)
            readBack = true;
        else if ((step = std::atoi(argv[i])) <= 0) {
            std::fprintf(stderr, "usage: %s [STEP_MS] [--capture]\n", argv[0]);
            return 2;
        }
    }

    // As the demo starts by default: full screen at 640 x 480.
    g_settings = new DisplaySettings();
    Clock::time_point t = Clock::now();
    MusicPlayer* player = new MusicPlayer(DATA_DIR "velmora.xm", Module);
    const double moduleMs = msSince(t);
    g_window = g_settings->openWindow(0);
    if (!g_window || !g_settings->enableGL(g_window, &g_dc, &g_context)) return 1;

    hostclock::drive(1000);
    t = Clock::now();
    loadShow();
    const double showLoadMs = msSince(t);
    // The same textures once more into a registry of their own: their share of the load.
    TextureRegistry again;
    t = Clock::now();
    for (int i = 0; i < g_textures->count; ++i) again.load(g_textures->names[i]);
    const double texturesMs = msSince(t);
    glDeleteTextures(again.count, again.ids);

    SceneSequenceEffect* show = static_cast<SceneSequenceEffect*>(g_timeline->effects[0]);
    std::vector<SceneCost> scenes(static_cast<size_t>(show->finalScene) + 1);
    std::vector<int> starts;
    for (int i = 0, begin = 0; i <= show->finalScene; begin += show->durations[i++]) {
        starts.push_back(begin);
        const char* path = show->scenes[i] ? show->scenes[i]->path : "?";
        const char* slash = std::strrchr(path, '/');
        scenes[static_cast<size_t>(i)].name = slash ? slash + 1 : path;
    }

    startShow(player);
    std::vector<unsigned char> pixels(640 * 480 * 4);
    for (int ms = 0; !g_done; ms += step) {
        hostclock::drive(static_cast<DWORD>(1000 + ms));
        const Clock::time_point frameStart = Clock::now();
        const double cpuStart = cpuMs();
        drawShowFrame(player, 1000 + ms);
        if (readBack)
            glReadPixels(0, 0, 640, 480, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        else
            SwapBuffers(g_dc);
        size_t s = 0;
        while (s + 1 < starts.size() && ms >= starts[s + 1]) ++s;
        SceneCost& c = scenes[s];
        const double cpu = cpuMs() - cpuStart;
        if (c.wall.empty()) c.firstCpu = cpu;
        c.wall.push_back(msSince(frameStart));
        c.cpu += cpu;
    }
    glFinish();

    rusage u;
    getrusage(RUSAGE_SELF, &u);
    std::printf("load: module %.1f ms, scenes %.1f ms, textures %.1f ms (%d), peak memory %.1f MB\n", moduleMs,
                showLoadMs - texturesMs, texturesMs, g_textures->count, u.ru_maxrss / 1024.0);
    std::printf("frames every %d ms of show, %s\n", step, readBack ? "read back as the capture does" : "presented");
    std::printf("%-12s %6s %8s %8s %8s %9s | %11s %10s %9s\n", "scene", "frames", "p50 ms", "p99 ms", "max ms",
                "CPU ms/f", "first ms", "first CPU", "lists ms");
    for (const SceneCost& c : scenes) {
        if (c.wall.empty()) continue;
        std::vector<double> rest(c.wall.begin() + 1, c.wall.end());
        std::printf("%-12s %6zu %8.2f %8.2f %8.2f %9.2f | %11.2f %10.2f %9.2f\n", c.name.c_str(), c.wall.size(),
                    percentile(rest, 0.5),
                    percentile(rest, 0.99), *std::max_element(c.wall.begin(), c.wall.end()),
                    c.cpu / c.wall.size(), c.wall.front(), c.firstCpu,
                    std::max(0.0, c.firstCpu - (c.cpu - c.firstCpu) / std::max<size_t>(1, rest.size())));
    }
    std::printf("lists ms: CPU of the first frame after the cut less the scene's mean, what recording its display lists costs\n");

    g_settings->shutdown(g_window, g_dc, g_context);
    player->release();
    delete player;
    return 0;
}
