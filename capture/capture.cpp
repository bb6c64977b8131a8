#include "capture/capture.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/show.h"
#include "capture/outputs.h"
#include "capture/progress.h"
#include "capture/timing.h"
#include "capture/writer.h"
#include "music/music_player.h"
#include "platform/host/clock.h"
#include "platform/host/pull.h"
#include "platform/win32.h"

namespace {

// The rate the music player opens the sound library at.
const int kSampleRate = 44100;

volatile sig_atomic_t g_interrupted = 0;

void onSignal(int) { g_interrupted = 1; }

int complain(const std::string& message) {
    std::fprintf(stderr, "velmora-capture: %s\n", message.c_str());
    return 1;
}

// Ctrl+C and kill end the run between frames; what was written is removed.
void catchSignals() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The frames to write, in order.
std::vector<int64_t> framesToWrite(const CaptureOptions& o) {
    std::vector<int64_t> frames;
    if (!o.atMs.empty()) {
        for (int ms : o.atMs) frames.push_back(firstFrameFrom(ms, o.fps));
        std::sort(frames.begin(), frames.end());
        frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
        return frames;
    }
    for (int64_t n = firstFrameFrom(o.fromMs, o.fps); n < firstFrameFrom(o.toMs, o.fps); ++n) frames.push_back(n);
    return frames;
}

// The show played headless: its music player, window and GL context, opened
// in order and released in reverse on every path.
struct HeadlessShow {
    MusicPlayer* player = nullptr;
    bool windowOpen = false;

    ~HeadlessShow() {
        if (windowOpen) g_settings->shutdown(g_window, g_dc, g_context);
        if (player) {
            player->release();
            delete player;
        }
        hostclock::release();
        soundpull::setPulled(false);
    }

    // Loads the show for width x height pictures and starts it at clock 0.
    bool open(int width, int height, std::string* error) {
        soundpull::setPulled(true);
        g_done = 0;
        g_settings = new DisplaySettings();
        // The picture is drawn at the asked size, into a frame buffer of its own.
        g_settings->fullScreen = 1;
        g_settings->width = width;
        g_settings->height = height;
        player = new MusicPlayer(DATA_DIR "velmora.xm", Module);
        if (!player->song) {
            *error = "the music could not be loaded";
            return false;
        }
        g_window = g_settings->openWindow(0);
        if (!g_window || !g_settings->enableGL(g_window, &g_dc, &g_context)) {
            *error = "no GL context for a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
            return false;
        }
        windowOpen = true;
        hostclock::drive(0);
        loadShow();
        startShow(player);
        return true;
    }

    // Draws the frame for clock value now, after what the window system
    // queued, as the demo's loop does.
    void drawAt(int now) {
        // Only WM_QUIT sets it here; the show's own end does not stop a capture.
        g_done = 0;
        while (handleWaitingMessage()) {
        }
        if (g_done) g_interrupted = 1;
        hostclock::drive(static_cast<DWORD>(now));
        drawShowFrame(player, now);
    }
};

// The music from the show's start: pulled frame by frame for the frames'
// exact share of samples, and ended for good once the song has.
class SoundFeed {
public:
    SoundFeed(bool wanted, int fps) : on_(wanted), fps_(fps) {}

    // Mixes and drops what plays before frame.
    void skipTo(int64_t frame) {
        int64_t skip = samplesBefore(frame, kSampleRate, fps_);
        std::vector<float> scratch(4096 * 2);
        while (skip > 0 && on_) {
            const int n = static_cast<int>(std::min<int64_t>(skip, 4096));
            on_ = soundpull::pull(scratch.data(), n) == n;
            skip -= n;
        }
    }

    // The samples of frame into sound; fewer, then none, after the song's end.
    void take(int64_t frame, std::vector<float>* sound) {
        sound->clear();
        if (!on_) return;
        const int n = static_cast<int>(samplesBefore(frame + 1, kSampleRate, fps_) -
                                       samplesBefore(frame, kSampleRate, fps_));
        sound->resize(static_cast<size_t>(n) * 2);
        const int got = soundpull::pull(sound->data(), n);
        if (got < n) {
            sound->resize(static_cast<size_t>(got) * 2);
            on_ = false;
        }
    }

private:
    bool on_;
    int fps_;
};

// Draws every planned frame and hands it to the writer; the number written.
int64_t drawPlan(const CaptureOptions& o, const std::vector<int64_t>& plan, HeadlessShow& show, SoundFeed& sound,
                 CaptureWriter& writer, Progress& progress) {
    int64_t written = 0;
    int64_t lastDrawn = -1;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int64_t frame : plan) {
        if (g_interrupted || writer.failed()) break;
        // The scenes draw the pose set by the frame before, so that frame
        // is drawn first when it was not.
        if (frame > 0 && lastDrawn != frame - 1) show.drawAt(static_cast<int>(frameTimeMs(frame - 1, o.fps)));
        show.drawAt(static_cast<int>(frameTimeMs(frame, o.fps)));
        lastDrawn = frame;

        std::unique_ptr<CaptureJob> job = writer.take();
        job->frame = frame;
        glReadPixels(0, 0, o.width, o.height, GL_BGRA, GL_UNSIGNED_BYTE, job->pixels.data());
        sound.take(frame, &job->sound);
        writer.submit(std::move(job));
        ++written;
        progress.update(written, static_cast<double>(written) / o.fps);
    }
    return written;
}

// Which file holds which moment, and how fast the run went.
void report(const CaptureOptions& o, const CaptureOutputs& outputs, int64_t written, double wall, double cpu) {
    for (int ms : o.atMs) {
        const int64_t frame = firstFrameFrom(ms, o.fps);
        std::printf("%s %d ms (drawn at %lld ms)\n", outputs.frames()->pathFor(frame).c_str(), ms,
                    static_cast<long long>(frameTimeMs(frame, o.fps)));
    }
    const double showSeconds = static_cast<double>(written) / o.fps;
    std::printf("%lld frames, %.3f s of show in %.1f s (%.2fx real time), %.1f s of CPU (%.1f ms a frame)\n",
                static_cast<long long>(written), showSeconds, wall, wall > 0 ? showSeconds / wall : 0.0, cpu,
                written ? cpu * 1000.0 / written : 0.0);
}

}  // namespace

int runCapture(const CaptureOptions& o) {
    // Headless: no window is ever shown and no sound device opened.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    struct stat st;
    if (stat(DATA_DIR "velmora.xm", &st) != 0)
        return complain("no " DATA_DIR "velmora.xm here: run the installed program, or run it from the build "
                        "folder that holds the show's " DATA_DIR);
    const std::vector<int64_t> plan = framesToWrite(o);
    if (plan.empty()) return complain("no frame to draw");

    // Every output is opened before anything is drawn, so a bad path fails at
    // once; from here on any early return removes them.
    std::string error;
    CaptureOutputs outputs;
    if (!outputs.open(o, kSampleRate, &error)) return complain(error);
    catchSignals();
    HeadlessShow show;
    if (!show.open(o.width, o.height, &error)) return complain(error);
    SoundFeed sound(outputs.wantsSound(), o.fps);
    sound.skipTo(plan.front());

    const double cpuAtStart = processCpuSeconds();
    Progress progress(stderr, static_cast<int64_t>(plan.size()), static_cast<double>(plan.size()) / o.fps);
    int64_t written = 0;
    bool drained = false;
    {
        CaptureWriter writer(outputs.video(), outputs.frames(), outputs.wav(), o.width, o.height);
        written = drawPlan(o, plan, show, sound, writer, progress);
        drained = writer.drain(&error);
        progress.end();
    }
    if (g_interrupted) {
        std::fprintf(stderr, "velmora-capture: interrupted; nothing written\n");
        return 130;
    }
    if (!drained || !outputs.finish(&error)) return complain(error);
    report(o, outputs, written, progress.elapsed(), processCpuSeconds() - cpuAtStart);
    return 0;
}
