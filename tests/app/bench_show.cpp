// Plays the whole show headless (640 x 480, Mesa's llvmpipe) on the driven
// clock at a fixed step, and prints what loading and each scene cost: wall
// time per frame (p50, p99, max), process CPU time per frame (every thread,
// which a busy machine disturbs less), the first frame after each cut over
// the scene's p50, p99 over p50, and the overdraw: fragments written per
// frame over the pixels of the frame. Run from the build folder:
//   ./tests/app/bench_show [STEP_MS] [--capture]
//   ./tests/app/bench_show [STEP_MS] --compare OTHER_BUILD_DIR [--runs N]
// --capture reads each frame back as the capture does instead of presenting it.
// --compare runs this build's benchmark and OTHER_BUILD_DIR's in turn, N
// times each (3 by default), and prints this build's figures over the other's.
#define GL_GLEXT_PROTOTYPES 1
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
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

#include <GL/glext.h>

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
    double written = 0;  // fragments over pixels, summed over the sampled frames
    double writtenMax = 0;
    int sampled = 0;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

// Overdraw, measured apart from the timed frames: counting fragments makes
// Mesa build other shader variants, which would disturb the timing. Every
// fragment that passes the depth test is written, and additive faces are
// drawn without it, so the count is what the frame writes.
void measureOverdraw(SceneSequenceEffect* show, const std::vector<int>& starts, std::vector<SceneCost>& scenes) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double pixels = static_cast<double>(viewport[2]) * viewport[3];
    GLuint query = 0;
    glGenQueries(1, &query);
    for (size_t s = 0; s < scenes.size(); ++s) {
        const int end = s + 1 < starts.size() ? starts[s + 1] : SHOW_LENGTH_MS;
        for (int ms = starts[s]; ms < end; ms += 100) {
            glBeginQuery(GL_SAMPLES_PASSED, query);
            show->render(ms, 0);
            glEndQuery(GL_SAMPLES_PASSED);
            GLuint samples = 0;
            glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
            const double ratio = samples / pixels;
            scenes[s].written += ratio;
            scenes[s].writtenMax = std::max(scenes[s].writtenMax, ratio);
            scenes[s].sampled++;
        }
    }
    glDeleteQueries(1, &query);
}

int bench(int step, bool readBack) {
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
    measureOverdraw(show, starts, scenes);

    rusage u;
    getrusage(RUSAGE_SELF, &u);
    std::printf("load: module %.1f ms, scenes %.1f ms, textures %.1f ms (%d), peak memory %.1f MB\n", moduleMs,
                showLoadMs - texturesMs, texturesMs, g_textures->count, u.ru_maxrss / 1024.0);
    std::printf("frames every %d ms of show, %s\n", step, readBack ? "read back as the capture does" : "presented");
    std::printf("%-12s %6s %8s %8s %8s %9s | %9s %10s %9s %10s %8s %7s\n", "scene", "frames", "p50 ms", "p99 ms",
                "max ms", "CPU ms/f", "first ms", "first/p50", "p99/p50", "first CPU", "overdraw", "od max");
    double cpuAll = 0;
    size_t framesAll = 0;
    for (const SceneCost& c : scenes) {
        if (c.wall.empty()) continue;
        std::vector<double> rest(c.wall.begin() + 1, c.wall.end());
        const double p50 = percentile(rest, 0.5), p99 = percentile(rest, 0.99);
        std::printf("%-12s %6zu %8.2f %8.2f %8.2f %9.2f | %9.2f %10.2f %9.2f %10.2f %8.2f %7.2f\n", c.name.c_str(),
                    c.wall.size(), p50, p99, *std::max_element(c.wall.begin(), c.wall.end()),
                    c.cpu / c.wall.size(), c.wall.front(), c.wall.front() / p50, p99 / p50,
                    c.firstCpu / (c.cpu / c.wall.size()), c.written / std::max(1, c.sampled), c.writtenMax);
        cpuAll += c.cpu;
        framesAll += c.wall.size();
    }
    std::printf("show: %zu frames, CPU %.2f ms/f\n", framesAll, cpuAll / std::max<size_t>(1, framesAll));
    std::printf("load ms: scenes, their textures and lists, and one unseen drawing of each scene\n");
    std::printf("first CPU: CPU of the first frame after the cut over the scene's CPU per frame\n");
    std::printf("overdraw: fragments written per frame over the frame's pixels, mean and max of a frame every 100 ms\n");

    g_settings->shutdown(g_window, g_dc, g_context);
    player->release();
    delete player;
    return 0;
}

// One build's figures, read back from its table: what every version of this
// benchmark prints in its first columns.
struct Figures {
    std::map<std::string, std::vector<double>> scenes;  // p50, p99, CPU ms/f, first ms, frames
    std::vector<std::string> order;
    double showCpu = 0;  // ms per frame over the whole show
    double loadMs = 0;
    std::string text;  // the table as printed
    bool ok = false;
};

// Runs a build's benchmark in that build's folder, where its data lies.
Figures runBuild(const std::string& dir, const std::string& program, int step) {
    Figures f;
    const std::string command = "cd '" + dir + "' && '" + program + "' " + std::to_string(step) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return f;
    char line[512];
    double cpuSum = 0, frames = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        f.text += line;
        double module = 0, scenesMs = 0, texturesMs = 0;
        if (std::sscanf(line, "load: module %lf ms, scenes %lf ms, textures %lf", &module, &scenesMs,
                        &texturesMs) == 3)
            f.loadMs = scenesMs + texturesMs;
        std::istringstream in(line);
        std::string name, bar;
        double n, p50, p99, max, cpu, first;
        if (!(in >> name >> n >> p50 >> p99 >> max >> cpu >> bar >> first) || bar != "|") continue;
        f.scenes[name] = {p50, p99, cpu, first, n};
        f.order.push_back(name);
        cpuSum += cpu * n;
        frames += n;
    }
    f.ok = pclose(pipe) == 0 && frames > 0;
    f.showCpu = frames > 0 ? cpuSum / frames : 0;
    return f;
}

int compare(const std::string& other, int step, int runs) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    char here[4096];
    if (length <= 0 || !getcwd(here, sizeof here)) return 1;
    self[length] = '\0';
    const std::string otherProgram = other + "/tests/app/bench_show";
    std::printf("new: %s, old: %s/tests/app/bench_show, %d runs each, in turn\n", here, other.c_str(), runs);
    std::vector<double> showRatios;
    for (int r = 0; r < runs; ++r) {
        // Alternate which goes first, so neither always finds the machine warmer.
        Figures fresh, old;
        if (r % 2 == 0) {
            fresh = runBuild(here, self, step);
            old = runBuild(other, otherProgram, step);
        } else {
            old = runBuild(other, otherProgram, step);
            fresh = runBuild(here, self, step);
        }
        if (!fresh.ok || !old.ok) {
            std::fprintf(stderr, "run %d: a benchmark failed (new %s, old %s)\n", r + 1, fresh.ok ? "ran" : "failed",
                         old.ok ? "ran" : "failed");
            return 1;
        }
        std::printf("\nrun %d, new:\n%s\nrun %d, old:\n%s", r + 1, fresh.text.c_str(), r + 1, old.text.c_str());
        std::printf("\nrun %d: new over old\n%-12s %8s %8s %9s %9s | %11s %11s\n", r + 1, "scene", "p50", "p99",
                    "CPU ms/f", "first ms", "new first/p50", "new p99/p50");
        for (const std::string& name : fresh.order) {
            const std::vector<double>& a = fresh.scenes[name];
            if (!old.scenes.count(name)) continue;
            const std::vector<double>& b = old.scenes[name];
            std::printf("%-12s %8.2f %8.2f %9.2f %9.2f | %13.2f %11.2f\n", name.c_str(), a[0] / b[0], a[1] / b[1],
                        a[2] / b[2], a[3] / b[3], a[3] / a[0], a[1] / a[0]);
        }
        std::printf("show CPU ms/f: new %.2f, old %.2f, new over old %.3f; load ms: new %.1f, old %.1f\n",
                    fresh.showCpu, old.showCpu, fresh.showCpu / old.showCpu, fresh.loadMs, old.loadMs);
        showRatios.push_back(fresh.showCpu / old.showCpu);
    }
    std::printf("\nshow CPU per frame, new over old, each run:");
    for (double ratio : showRatios) std::printf(" %.3f", ratio);
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int step = 17, runs = 3;
    bool readBack = false;
    const char* other = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--capture") == 0)
            readBack = true;
        else if (std::strcmp(argv[i], "--compare") == 0 && i + 1 < argc)
            other = argv[++i];
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc && (runs = std::atoi(argv[++i])) > 0)
            continue;
        else if ((step = std::atoi(argv[i])) <= 0) {
            std::fprintf(stderr, "usage: %s [STEP_MS] [--capture | --compare OTHER_BUILD_DIR [--runs N]]\n",
                         argv[0]);
            return 2;
        }
    }
    if (other) return compare(other, step, runs);
    return bench(step, readBack);
}
