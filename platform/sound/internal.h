// State shared by the files of the sound layer; not for the system's folders.
#ifndef VELMORA_PLATFORM_SOUND_INTERNAL_H
#define VELMORA_PLATFORM_SOUND_INTERNAL_H

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>
#include <sndfile.h>

#include <vector>

#include "platform/sound/sound_api.h"

struct FMUSIC_MODULE {
    openmpt_module* mod = nullptr;
    bool playing = false;  // read by the device callback
};

struct FSOUND_STREAM {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    SDL_AudioStream* convert = nullptr;  // file's rate and channels -> device's
    std::vector<float> readBuffer;       // frames read from the file
    bool playing = false;                // read and cleared by the callback
    bool atEnd = false;                  // the file is read out
    bool started = false;                // has been read from since opening
    int channel = -1;
};

namespace soundlayer {

// Everything the layer holds: the device and what is open while FSOUND_Init
// holds, and the last error. Everything the callback reads is changed only
// with the device locked; a fresh State is the layer as at process start.
struct State {
    bool initialised = false;
    SDL_AudioDeviceID device = 0;
    int rate = 0;
    int bufferFrames = 0;
    std::vector<FMUSIC_MODULE*> modules;
    std::vector<FSOUND_STREAM*> streams;
    std::vector<FSOUND_STREAM*> channels;  // the stream playing on each, or null
    std::vector<float> scratch;            // one source's block, in the callback
    int error = FMOD_ERR_NONE;             // FSOUND_GetError's answer; outlives FSOUND_Close
    bool pulled = false;                   // no device: the program pulls the mixer (host/pull.h)
};
State& state();

// Mixes every playing source into out (frames stereo frames), block by
// block; returns how many frames a source produced. Run by the device
// callback, or by the program pulling the mixer (platform/host/pull.h).
int mix(float* out, int frames);

inline void setError(int code) { state().error = code; }
inline void clearError() { state().error = FMOD_ERR_NONE; }

// Where a test may step in. Null in the program, so every call goes straight
// through: no log, no lock, no allocation. The testing library
// (velmora_sound_testing) fills it when it is linked in.
struct Seams {
    // On entry to the named call; false makes it fail with *code.
    bool (*enter)(const char* name, int* code);
    // Every block the device mixes, as interleaved stereo frames; on the device's thread.
    void (*mixed)(const float* samples, int frames);
};
extern const Seams* seams;

// Says whether the named call may go on; a test may make it fail, with its code set.
inline bool enter(const char* name) {
    int code = FMOD_ERR_NONE;
    if (!seams || seams->enter(name, &code)) return true;
    setError(code);
    return false;
}

// Runs fn with the device callback held off.
template <typename Fn>
void locked(Fn fn) {
    State& s = state();
    if (s.device) SDL_LockAudioDevice(s.device);
    fn();
    if (s.device) SDL_UnlockAudioDevice(s.device);
}

bool liveModule(FMUSIC_MODULE* mod);
bool liveStream(FSOUND_STREAM* stream);
void destroyModule(FMUSIC_MODULE* mod);
void destroyStream(FSOUND_STREAM* stream);

// Adds one block of a playing stream into out (stereo frames at the device
// rate); marks it finished once its file is read out.
void mixStream(FSOUND_STREAM* stream, float* out, int frames);

// Hands the mixed block to a test, if one listens.
inline void tap(const float* samples, int frames) {
    if (seams) seams->mixed(samples, frames);
}

}  // namespace soundlayer

#endif
