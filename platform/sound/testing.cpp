// The call log, the fault seam and the output capture.
#include "platform/sound/testing.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/sound/internal.h"
#include "platform/sound/pull.h"

namespace {

std::vector<std::string> g_log;
std::map<std::string, int> g_faults;

// The capture is filled on the device thread and read on the test's.
std::mutex g_captureMutex;
std::condition_variable g_captured;
bool g_capturing = false;
std::vector<float> g_samples;

}  // namespace

namespace soundlayer {

bool enter(const char* name) {
    g_log.push_back(name);
    auto fault = g_faults.find(name);
    if (fault == g_faults.end()) return true;
    setError(fault->second);
    g_faults.erase(fault);
    return false;
}

void tap(const float* samples, int frames) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    if (!g_capturing) return;
    g_samples.insert(g_samples.end(), samples, samples + frames * 2);
    g_captured.notify_all();
}

}  // namespace soundlayer

namespace soundtest {

void reset() {
    FSOUND_Close();
    soundpull::setPulled(false);
    soundlayer::clearError();
    g_faults.clear();
    g_log.clear();
    std::lock_guard<std::mutex> lock(g_captureMutex);
    g_capturing = false;
    g_samples.clear();
}

void failNextCall(const std::string& name, int code) { g_faults[name] = code; }

const std::vector<std::string>& callLog() { return g_log; }
void clearCallLog() { g_log.clear(); }

void captureOutput(bool on) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    g_capturing = on;
}

std::vector<float> takeCaptured() {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    std::vector<float> taken;
    taken.swap(g_samples);
    return taken;
}

bool waitForCapturedFrames(size_t frames, int timeoutMs) {
    std::unique_lock<std::mutex> lock(g_captureMutex);
    return g_captured.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return g_samples.size() >= frames * 2; });
}

int deviceRate() { return soundlayer::state().initialised ? soundlayer::state().rate : 0; }
int deviceBufferFrames() { return soundlayer::state().initialised ? soundlayer::state().bufferFrames : 0; }

}  // namespace soundtest
