// The testing interface of the sound layer: the seams filled in, the call
// log, faults and the output capture. Linked into tests only
// (velmora_sound_testing).
#include "platform/sound/testing.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/sound/internal.h"

namespace {

// The testing library's own state, in one record beside the layer's.
struct TestState {
    std::vector<std::string> log;    // calls made, by name
    std::map<std::string, int> faults;  // the next call of each name fails with the code
    bool capturing = false;
    std::vector<float> samples;      // captured interleaved stereo frames
};

TestState& testState() {
    static TestState s;
    return s;
}

// The capture is filled on the device thread and read on the test's: both
// take this lock for capturing and samples.
std::mutex g_captureMutex;
std::condition_variable g_captured;

bool enter(const char* name, int* code) {
    TestState& s = testState();
    s.log.push_back(name);
    auto fault = s.faults.find(name);
    if (fault == s.faults.end()) return true;
    *code = fault->second;
    s.faults.erase(fault);
    return false;
}

void mixed(const float* samples, int frames) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    TestState& s = testState();
    if (!s.capturing) return;
    s.samples.insert(s.samples.end(), samples, samples + frames * 2);
    g_captured.notify_all();
}

const soundlayer::Seams kSeams = {enter, mixed};

// In place before main(): a test program logs every call from its first.
struct InstallSeams {
    InstallSeams() { soundlayer::seams = &kSeams; }
} installSeams;

}  // namespace

namespace soundtest {

void reset() {
    // Closing stops the device thread; nothing reads the state after it.
    FSOUND_Close();
    soundlayer::state() = soundlayer::State();
    std::lock_guard<std::mutex> lock(g_captureMutex);
    testState() = TestState();
}

void failNextCall(const std::string& name, int code) { testState().faults[name] = code; }

const std::vector<std::string>& callLog() { return testState().log; }
void clearCallLog() { testState().log.clear(); }

void captureOutput(bool on) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    testState().capturing = on;
}

std::vector<float> takeCaptured() {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    std::vector<float> taken;
    taken.swap(testState().samples);
    return taken;
}

bool waitForCapturedFrames(size_t frames, int timeoutMs) {
    std::unique_lock<std::mutex> lock(g_captureMutex);
    return g_captured.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return testState().samples.size() >= frames * 2; });
}

int deviceRate() { return soundlayer::state().initialised ? soundlayer::state().rate : 0; }
int deviceBufferFrames() { return soundlayer::state().initialised ? soundlayer::state().bufferFrames : 0; }

}  // namespace soundtest
