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
#include "capture/progress.h"
#include "capture/still_files.h"
#include "capture/timing.h"
#include "capture/video_file.h"
#include "capture/writer.h"
#include "music/music_player.h"
#include "platform/sound/pull.h"
#include "platform/win32.h"
#include "platform/win32/clock.h"

namespace {

// The rate the music player opens the sound library at.
const int kSampleRate = 44100;

volatile sig_atomic_t g_interrupted = 0;

void onSignal(int) { g_interrupted = 1; }

int complain(const std::string& message) {
    std::fprintf(stderr, "velmora-capture: %s\n", message.c_str());
    return 1;
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

// Handles what the window system queued, as the demo's loop does between frames.
void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g_interrupted = 1;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void drawAt(MusicPlayer* player, int64_t frame, int fps) {
    pumpMessages();
    const int now = static_cast<int>(frameTimeMs(frame, fps));
    win32clock::drive(static_cast<DWORD>(now));
    drawShowFrame(player, now);
}

// Everything opened for one run, released in reverse on every path.
struct Session {
    MusicPlayer* player = nullptr;
    bool windowOpen = false;

    ~Session() {
        if (windowOpen) g_settings->shutdown(g_window, g_dc, g_context);
        if (player) {
            player->release();
            delete player;
        }
        win32clock::release();
        soundpull::setPulled(false);
    }
};

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

    // Every output is opened before anything is drawn, so a bad path fails at once.
    std::unique_ptr<VideoFile> video;
    std::unique_ptr<FrameFolder> frames;
    std::unique_ptr<WavFile> wav;
    std::string error;
    auto abandonAll = [&] {
        if (video) video->abandon();
        if (frames) frames->abandon();
        if (wav) wav->abandon();
    };
    if (!o.output.empty()) {
        video.reset(new VideoFile);
        if (!video->open(o.output, o.width, o.height, o.fps, kSampleRate, o.quality)) {
            error = video->error();
            abandonAll();
            return complain(error);
        }
    }
    if (!o.framesDir.empty()) {
        frames.reset(new FrameFolder);
        if (!frames->open(o.framesDir, &error)) {
            abandonAll();
            return complain(error);
        }
    }
    if (!o.wavPath.empty()) {
        wav.reset(new WavFile);
        if (!wav->open(o.wavPath, kSampleRate, &error)) {
            abandonAll();
            return complain(error);
        }
    }

    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    Session session;
    soundpull::setPulled(true);
    g_done = 0;
    g_settings = new DisplaySettings();
    // The picture is drawn at the asked size, into a frame buffer of its own.
    g_settings->fullScreen = 1;
    g_settings->width = o.width;
    g_settings->height = o.height;
    session.player = new MusicPlayer(DATA_DIR "velmora.xm", Module);
    if (!session.player->song) {
        abandonAll();
        return complain("the music could not be loaded");
    }
    g_window = g_settings->openWindow(0);
    if (!g_window || !g_settings->enableGL(g_window, &g_dc, &g_context)) {
        abandonAll();
        return complain("no GL context for a " + std::to_string(o.width) + "x" + std::to_string(o.height) +
                        " picture");
    }
    session.windowOpen = true;

    win32clock::drive(0);
    loadShow();
    startShow(session.player);

    const bool withSound = video || wav;
    const double showSeconds = static_cast<double>(plan.size()) / o.fps;
    std::vector<float> sound;
    bool musicOn = withSound;
    if (withSound) {
        // The music plays from the show's start: what comes before the range is mixed and dropped.
        int64_t skip = samplesBefore(plan.front(), kSampleRate, o.fps);
        sound.resize(4096 * 2);
        while (skip > 0 && musicOn) {
            int n = static_cast<int>(std::min<int64_t>(skip, 4096));
            musicOn = soundpull::pull(sound.data(), n) == n;
            skip -= n;
        }
    }

    const double cpuAtStart = processCpuSeconds();
    Progress progress(stderr, static_cast<int64_t>(plan.size()), showSeconds);
    int64_t written = 0;
    {
        CaptureWriter writer(video.get(), frames.get(), wav.get(), o.width, o.height);
        int64_t lastDrawn = -1;
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        for (int64_t frame : plan) {
            if (g_interrupted || writer.failed()) break;
            // The scenes draw the pose set by the frame before, so that frame
            // is drawn first when it was not.
            if (frame > 0 && lastDrawn != frame - 1) drawAt(session.player, frame - 1, o.fps);
            drawAt(session.player, frame, o.fps);
            lastDrawn = frame;

            std::unique_ptr<CaptureJob> job = writer.take();
            job->frame = frame;
            glReadPixels(0, 0, o.width, o.height, GL_BGRA, GL_UNSIGNED_BYTE, job->pixels.data());
            if (musicOn) {
                const int n = static_cast<int>(samplesBefore(frame + 1, kSampleRate, o.fps) -
                                               samplesBefore(frame, kSampleRate, o.fps));
                job->sound.resize(static_cast<size_t>(n) * 2);
                const int got = soundpull::pull(job->sound.data(), n);
                // The music has ended: the sound track ends with it.
                if (got < n) {
                    job->sound.resize(static_cast<size_t>(got) * 2);
                    musicOn = false;
                }
            }
            writer.submit(std::move(job));
            ++written;
            progress.update(written, static_cast<double>(written) / o.fps);
        }
        const bool drained = writer.drain(&error);
        progress.end();
        if (g_interrupted) {
            abandonAll();
            std::fprintf(stderr, "velmora-capture: interrupted; nothing written\n");
            return 130;
        }
        if (!drained) {
            abandonAll();
            return complain(error);
        }
    }
    if (video && !video->finish()) {
        error = video->error();
        abandonAll();
        return complain(error);
    }
    if (wav && !wav->finish(&error)) {
        abandonAll();
        return complain(error);
    }

    const double wall = progress.elapsed();
    const double cpu = processCpuSeconds() - cpuAtStart;
    // Which file holds which moment: the frame drawn at or just after it.
    for (int ms : o.atMs) {
        const int64_t frame = firstFrameFrom(ms, o.fps);
        std::printf("%s %d ms (drawn at %lld ms)\n", frames->pathFor(frame).c_str(), ms,
                    static_cast<long long>(frameTimeMs(frame, o.fps)));
    }
    std::printf("%lld frames, %.3f s of show in %.1f s (%.2fx real time), %.1f s of CPU (%.1f ms a frame)\n",
                static_cast<long long>(written), showSeconds, wall, wall > 0 ? showSeconds / wall : 0.0, cpu,
                written ? cpu * 1000.0 / written : 0.0);
    return 0;
}
