// FSOUND_Stream_*: sound files decoded by libsndfile while they play,
// converted to the device's rate and channels by SDL.
#include <unistd.h>

#include <algorithm>
#include <new>

#include "platform/sound/internal.h"

using soundlayer::setError;

namespace {

// Frames read from the file at a time, in the device callback.
const int kReadFrames = 1024;

FSOUND_STREAM* openStream(const char* call, const char* filename) {
    if (!soundlayer::enter(call)) return nullptr;
    soundlayer::State& s = soundlayer::state();
    if (!s.initialised) {
        setError(FMOD_ERR_NOT_INITIALISED);
        return nullptr;
    }
    if (!filename) {
        setError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(filename, SFM_READ, &info);
    if (!file) {
        if (access(filename, F_OK) != 0)
            setError(FMOD_ERR_FILE_NOT_FOUND);
        else
            setError(sf_error(nullptr) == SF_ERR_UNRECOGNISED_FORMAT ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_FILE_LOAD);
        return nullptr;
    }
    // SDL refuses channel layouts and rates it cannot convert.
    SDL_AudioStream* convert = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(std::clamp(info.channels, 0, 255)),
                                                  info.samplerate, AUDIO_F32SYS, 2, s.rate);
    if (!convert || info.channels < 1 || info.channels > 8) {
        SDL_FreeAudioStream(convert);
        sf_close(file);
        setError(FMOD_ERR_FILE_FORMAT);
        return nullptr;
    }
    FSOUND_STREAM* stream = new (std::nothrow) FSOUND_STREAM;
    if (stream) {
        try {
            stream->readBuffer.resize(static_cast<size_t>(kReadFrames) * info.channels);
        } catch (const std::bad_alloc&) {
            delete stream;
            stream = nullptr;
        }
    }
    if (!stream) {
        SDL_FreeAudioStream(convert);
        sf_close(file);
        setError(FMOD_ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    stream->file = file;
    stream->info = info;
    stream->convert = convert;
    soundlayer::locked([&] { s.streams.push_back(stream); });
    return stream;
}

// Takes the stream off its channel; with the device locked.
void unassign(FSOUND_STREAM* stream) {
    if (stream->channel >= 0) soundlayer::state().channels[stream->channel] = nullptr;
    stream->channel = -1;
    stream->playing = false;
}

}  // namespace

namespace soundlayer {

bool liveStream(FSOUND_STREAM* stream) {
    const std::vector<FSOUND_STREAM*>& all = state().streams;
    return stream && std::find(all.begin(), all.end(), stream) != all.end();
}

void mixStream(FSOUND_STREAM* stream, float* out, int frames) {
    const int wanted = frames * 2 * static_cast<int>(sizeof(float));
    while (!stream->atEnd && SDL_AudioStreamAvailable(stream->convert) < wanted) {
        const sf_count_t got = sf_readf_float(stream->file, stream->readBuffer.data(), kReadFrames);
        const int bytes = static_cast<int>(got) * stream->info.channels * static_cast<int>(sizeof(float));
        if (got <= 0 || SDL_AudioStreamPut(stream->convert, stream->readBuffer.data(), bytes) != 0) {
            stream->atEnd = true;
            SDL_AudioStreamFlush(stream->convert);
        }
    }
    std::vector<float>& block = state().scratch;
    const int got = SDL_AudioStreamGet(stream->convert, block.data(), wanted);
    for (int i = 0; i < got / static_cast<int>(sizeof(float)); ++i) out[i] += block[i];
    if (stream->atEnd && SDL_AudioStreamAvailable(stream->convert) == 0) unassign(stream);
}

}  // namespace soundlayer

FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* filename, unsigned int) {
    return openStream("FSOUND_Stream_OpenMpeg", filename);
}

FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* filename, unsigned int) {
    return openStream("FSOUND_Stream_OpenWav", filename);
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    if (!soundlayer::enter("FSOUND_Stream_Play")) return -1;
    soundlayer::State& s = soundlayer::state();
    if (!s.initialised) {
        setError(FMOD_ERR_NOT_INITIALISED);
        return -1;
    }
    if (!soundlayer::liveStream(stream) || channel < -1 || channel >= static_cast<int>(s.channels.size())) {
        setError(FMOD_ERR_INVALID_PARAM);
        return -1;
    }
    int code = 0;
    soundlayer::locked([&] {
        unassign(stream);  // playing again restarts it
        if (channel == -1) {
            auto free = std::find(s.channels.begin(), s.channels.end(), nullptr);
            if (free == s.channels.end()) {
                code = FMOD_ERR_NO_FREE_CHANNEL;
                return;
            }
            channel = static_cast<int>(free - s.channels.begin());
        }
        if (sf_seek(stream->file, 0, SEEK_SET) < 0) {
            code = FMOD_ERR_PLAY;
            return;
        }
        SDL_AudioStreamClear(stream->convert);
        stream->atEnd = false;
        if (s.channels[channel]) unassign(s.channels[channel]);
        s.channels[channel] = stream;
        stream->channel = channel;
        stream->playing = true;
    });
    if (code) {
        setError(code);
        return -1;
    }
    return channel;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!soundlayer::enter("FSOUND_Stream_Close")) return 0;
    soundlayer::State& s = soundlayer::state();
    if (!s.initialised) {
        setError(FMOD_ERR_NOT_INITIALISED);
        return 0;
    }
    if (!soundlayer::liveStream(stream)) {
        setError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    soundlayer::locked([&] {
        unassign(stream);
        s.streams.erase(std::find(s.streams.begin(), s.streams.end(), stream));
    });
    soundlayer::destroyStream(stream);
    return 1;
}
