// Testing interface of the sound layer: tests drive the real layer through it.
#ifndef VELMORA_PLATFORM_SOUND_TESTING_H
#define VELMORA_PLATFORM_SOUND_TESTING_H

#include <cstddef>
#include <string>
#include <vector>

namespace soundtest {

// Puts the layer back as at process start: closed, with faults, the call
// log and the capture cleared.
void reset();

// The next call of the named function (for example "FSOUND_Init",
// "FMUSIC_LoadSong") fails with the given error code and its failure result.
void failNextCall(const std::string& name, int code);

// The layer's calls made since the last reset, in order, by name.
const std::vector<std::string>& callLog();
void clearCallLog();

// While on, every block the device callback mixes is kept, as interleaved
// stereo float frames at the device's rate.
void captureOutput(bool on);
// The samples kept so far; the capture starts again empty.
std::vector<float> takeCaptured();
// Waits until at least this many frames have been kept since the last take;
// false when timeoutMs passes first.
bool waitForCapturedFrames(size_t frames, int timeoutMs);

// The open device's rate and callback block, 0 while the layer is closed.
int deviceRate();
int deviceBufferFrames();

}  // namespace soundtest

#endif
