// FSOUND_Init, FSOUND_GetError, FSOUND_Close and the mixer of the playing
// module and streams, run by the device callback or pulled by the program.
#include <algorithm>

#include "platform/sound/internal.h"

namespace {

// 1024 frames at 44100 Hz is 23 ms: short enough that sound and picture stay
// together, long enough not to starve on a busy machine.
const int kBufferFrames = 1024;

}  // namespace

namespace soundlayer {

int mix(float* out, int frames) {
    soundlayer::State& s = soundlayer::state();
    std::fill(out, out + frames * 2, 0.0f);

    int produced = 0;
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, s.bufferFrames);
        float* block = out + done * 2;
        for (FMUSIC_MODULE* m : s.modules) {
            if (!m->playing) continue;
            const size_t got = openmpt_module_read_interleaved_float_stereo(m->mod, s.rate, n, s.scratch.data());
            for (size_t i = 0; i < got * 2; ++i) block[i] += s.scratch[i];
            produced = std::max(produced, done + static_cast<int>(got));
            if (got < static_cast<size_t>(n)) m->playing = false;  // the song has ended
        }
        for (FSOUND_STREAM* stream : s.channels) {
            if (!stream || !stream->playing) continue;
            soundlayer::mixStream(stream, block, n);
            produced = std::max(produced, done + n);
        }
        done += n;
    }
    for (int i = 0; i < frames * 2; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
    soundlayer::tap(out, frames);
    return produced;
}

}  // namespace soundlayer

namespace {

void SDLCALL mixCallback(void*, Uint8* bytes, int length) {
    soundlayer::mix(reinterpret_cast<float*>(bytes), length / static_cast<int>(2 * sizeof(float)));
}

}  // namespace

namespace soundlayer {

const Seams* seams = nullptr;

State& state() {
    // Never destroyed: a program that exits with the device still open must
    // not free what the callback thread may still be reading.
    static State* s = new State;
    return *s;
}

void destroyModule(FMUSIC_MODULE* mod) {
    openmpt_module_destroy(mod->mod);
    delete mod;
}

void destroyStream(FSOUND_STREAM* stream) {
    SDL_FreeAudioStream(stream->convert);
    sf_close(stream->file);
    delete stream;
}

}  // namespace soundlayer

using soundlayer::setError;
using soundlayer::State;

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
    if (!soundlayer::enter("FSOUND_Init")) return 0;
    State& s = soundlayer::state();
    if (s.initialised) {
        setError(FMOD_ERR_ALREADY_INITIALISED);
        return 0;
    }
    if (mixrate < 8000 || mixrate > 192000 || maxsoftwarechannels < 0 || maxsoftwarechannels > 256) {
        setError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    if (s.pulled) {
        // No device: the program pulls the mixer at the rate it asked for.
        s.rate = mixrate;
        s.bufferFrames = kBufferFrames;
        s.scratch.assign(static_cast<size_t>(s.bufferFrames) * 2, 0.0f);
        s.channels.assign(static_cast<size_t>(maxsoftwarechannels), nullptr);
        s.initialised = true;
        soundlayer::clearError();
        return 1;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        setError(FMOD_ERR_OUTPUT_INIT);
        return 0;
    }
    SDL_AudioSpec want{};
    want.freq = mixrate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = mixCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // callback always mixes float stereo at mixrate.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        setError(FMOD_ERR_OUTPUT_INIT);
        return 0;
    }
    s.rate = have.freq;
    s.bufferFrames = have.samples > 0 ? have.samples : kBufferFrames;
    s.scratch.assign(static_cast<size_t>(s.bufferFrames) * 2, 0.0f);
    s.channels.assign(static_cast<size_t>(maxsoftwarechannels), nullptr);
    s.device = device;
    s.initialised = true;
    soundlayer::clearError();
    SDL_PauseAudioDevice(device, 0);
    return 1;
}

int FSOUND_GetError(void) {
    soundlayer::enter("FSOUND_GetError");
    return soundlayer::state().error;
}

void FSOUND_Close(void) {
    soundlayer::enter("FSOUND_Close");
    State& s = soundlayer::state();
    if (!s.initialised) return;
    // Closing the device ends the callback thread; then nothing reads the lists.
    const bool hadDevice = s.device != 0;
    if (hadDevice) SDL_CloseAudioDevice(s.device);
    s.device = 0;
    for (FMUSIC_MODULE* m : s.modules) soundlayer::destroyModule(m);
    for (FSOUND_STREAM* stream : s.streams) soundlayer::destroyStream(stream);
    s.modules.clear();
    s.streams.clear();
    s.channels.clear();
    s.scratch.clear();
    if (hadDevice) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.initialised = false;
}
