#include "music/music_player.h"

#include <string.h>

#include "platform/win32.h"

// The mode words the library is given when it opens each stream kind.
static const unsigned int kMpegStreamMode = 0x29;
static const unsigned int kWavStreamMode = 0x2B;

static const char* const kErrorTexts[20] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "Incorrect mixer selected",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
    "Failed to allocate a new channel",
    "Recording not supported on this device",
};

const char* soundErrorText(int code) {
    if (code < 0 || code >= 20) return "Unknown error";
    return kErrorTexts[code];
}

MusicPlayer::MusicPlayer(const char* filePath, MusicKind sourceKind)
    : song(NULL), stream(NULL), kind(sourceKind) {
    if (kind != Module && kind != MpegStream && kind != WavStream)
        showError("internal error: not a valid sound type");

    // A path that does not fit is refused rather than cut short, so a
    // shortened name can never open some other file; the library then
    // reports the empty path as not found.
    path[0] = '\0';
    if (filePath && strlen(filePath) < sizeof(path)) strcpy(path, filePath);

    if (!FSOUND_Init(44100, 32, 0)) showError(soundErrorText(FSOUND_GetError()));

    // A failed initialisation does not stop the open: its own failure is shown too.
    switch (kind) {
    case Module:
        song = FMUSIC_LoadSong(path);
        if (!song) showError(soundErrorText(FSOUND_GetError()));
        break;
    case MpegStream:
        stream = FSOUND_Stream_OpenMpeg(path, kMpegStreamMode);
        if (!stream) showError(soundErrorText(FSOUND_GetError()));
        break;
    case WavStream:
        stream = FSOUND_Stream_OpenWav(path, kWavStreamMode);
        if (!stream) showError(soundErrorText(FSOUND_GetError()));
        break;
    default:
        break;
    }
}

int MusicPlayer::play() {
    // The handle goes to the library as it is: a null one is the library's to refuse.
    switch (kind) {
    case Module:
        return FMUSIC_PlaySong(song) == -1 ? 0 : 1;
    case MpegStream:
    case WavStream:
        return FSOUND_Stream_Play(-1, stream) == -1 ? 0 : 1;
    default:
        return 1;
    }
}

int MusicPlayer::stop() {
    // Only a module can be stopped; a stream plays on until it is closed.
    if (kind == Module) FMUSIC_StopSong(song);
    return 1;
}

int MusicPlayer::freeSource() {
    switch (kind) {
    case Module:
        FMUSIC_FreeSong(song);
        break;
    case MpegStream:
    case WavStream:
        FSOUND_Stream_Close(stream);
        break;
    default:
        break;
    }
    return 1;
}

void MusicPlayer::release() {
    freeSource();
    FSOUND_Close();
}

void MusicPlayer::showError(const char* text) {
    MessageBoxA(NULL, text, "ERROR!", MB_SYSTEMMODAL | MB_ICONERROR);
}
