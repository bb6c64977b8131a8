// A music file loaded as the music player loads it, started and freed.
#include <cstdint>
#include <cstdlib>

#include "platform/sound.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enterFuzzFolder();
    if (!FSOUND_Init(44100, 32, 0)) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeDataFile("velmora.xm", data, size)) abort();
    FMUSIC_MODULE* song = FMUSIC_LoadSong("data/velmora.xm");
    if (song) {
        FMUSIC_PlaySong(song);
        FMUSIC_FreeSong(song);
    }
    return 0;
}
