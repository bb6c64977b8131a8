// The show's music: one tracker module (or a stream) played through the
// sound library, whose failures are shown in its own words.
#ifndef VELMORA_MUSIC_MUSIC_PLAYER_H
#define VELMORA_MUSIC_MUSIC_PLAYER_H

#include "platform/sound.h"

// A fixed underlying type, so that any value given at construction can be kept.
enum MusicKind : int {
    Module = 1,      // a tracker module, loaded whole
    MpegStream = 2,  // an MPEG audio file, streamed
    WavStream = 3    // a WAV file, streamed
};

class MusicPlayer {
public:
    // Initialises the sound library and opens the source; failures are shown
    // in boxes and construction goes on.
    MusicPlayer(const char* filePath, MusicKind sourceKind);

    // 1 when playback started, 0 when the library says it did not.
    int play();
    // Silences the module; it stays loaded.
    int stop();
    // Frees the module or closes the stream; once only, by release.
    int freeSource();
    // Frees the source and closes the sound library.
    void release();
    // A system-modal error box with the player's caption.
    void showError(const char* text);

    FMUSIC_MODULE* song;    // kind Module only; null when the load failed
    FSOUND_STREAM* stream;  // the stream kinds only; null when the open failed
    char path[50];          // what the library is given; empty when the path did not fit
    MusicKind kind;
};

// The sound library's error code in words; "Unknown error" outside 0 to 19.
const char* soundErrorText(int code);

#endif
