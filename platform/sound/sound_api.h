// The sound library calls the system makes, on libopenmpt (modules),
// libsndfile (streams) and SDL2 audio (the output device). Each call keeps the
// one-line contract beside it; every failure sets the code FSOUND_GetError
// returns.
#ifndef VELMORA_PLATFORM_SOUND_API_H
#define VELMORA_PLATFORM_SOUND_API_H

#ifdef __cplusplus
extern "C" {
#endif

// Opaque handles; null is never a valid one.
typedef struct FMUSIC_MODULE FMUSIC_MODULE;
typedef struct FSOUND_STREAM FSOUND_STREAM;

// The library's error codes, 0 to 19.
enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_ALREADY_INITIALISED = 1,  // FSOUND_Init called twice
    FMOD_ERR_NOT_INITIALISED = 2,      // a call that needs FSOUND_Init first
    FMOD_ERR_OUTPUT_INIT = 3,          // no output device could be opened
    FMOD_ERR_OUTPUT_IN_USE = 4,
    FMOD_ERR_PLAY = 5,                 // a stream could not be started
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVE_LEVEL = 7,
    FMOD_ERR_HARDWARE_BUFFER = 8,
    FMOD_ERR_FILE_NOT_FOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,         // not a format the layer reads
    FMOD_ERR_FILE_LOAD = 11,           // recognised but damaged or unreadable
    FMOD_ERR_OUT_OF_MEMORY = 12,
    FMOD_ERR_FILE_VERSION = 13,
    FMOD_ERR_MIXER = 14,
    FMOD_ERR_INVALID_PARAM = 15,       // null or unknown handle, bad argument
    FMOD_ERR_NO_EAX = 16,
    FMOD_ERR_NO_EAX2 = 17,
    FMOD_ERR_NO_FREE_CHANNEL = 18,     // every software channel is playing
    FMOD_ERR_NO_RECORDING = 19
};

// Opens the output device at mixrate Hz, stereo, with maxsoftwarechannels
// channels for streams (0 to 256); flags are accepted and not interpreted.
// 1 on success, 0 on failure.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// The code of the latest failure since the last successful FSOUND_Init; 0 if none.
int FSOUND_GetError(void);
// Closes the device and frees every module and stream still open.
void FSOUND_Close(void);

// Reads the whole module file and decodes it; null on failure. Only regular
// files of at most 64 MiB are read: anything else fails with
// FMOD_ERR_FILE_LOAD, a larger file with FMOD_ERR_OUT_OF_MEMORY.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
// Starts the module from its beginning; it plays once to its end. -1 on failure.
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod);
// Silences the module; it stays loaded. 1 on success, 0 on failure.
signed char FMUSIC_StopSong(FMUSIC_MODULE* mod);
// Stops and frees the module; the handle is dead afterwards. 1 or 0.
signed char FMUSIC_FreeSong(FMUSIC_MODULE* mod);

// Open a sound file for streaming from disk; the file's own header decides
// how it is decoded (WAV, MP3, FLAC, Ogg), the mode word is accepted and not
// interpreted. Null on failure.
FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* filename, unsigned int mode);
FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* filename, unsigned int mode);
// Starts the stream from its beginning on the given channel, or on the first
// free one for -1; plays once. The channel number, or -1 on failure.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Stops and closes the stream; the handle is dead afterwards. 1 or 0.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

#ifdef __cplusplus
}
#endif

#endif
