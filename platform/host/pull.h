// The sound layer's mixer can be pulled by the program instead of feeding an
// audio device: a capture takes exactly the samples of each frame, so sound
// and picture cannot drift apart.
#ifndef VELMORA_PLATFORM_HOST_PULL_H
#define VELMORA_PLATFORM_HOST_PULL_H

namespace soundpull {

// Chosen before FSOUND_Init: while on, FSOUND_Init opens no audio device and
// nothing is mixed until pulled.
void setPulled(bool on);
bool pulled();

// Mixes the next `frames` stereo frames of everything playing, interleaved
// float at the rate FSOUND_Init was given, exactly as the device would hear
// them. Returns how many of them a source still produced: fewer than asked
// once the music has ended, 0 when the layer is closed or nothing plays.
int pull(float* out, int frames);

}  // namespace soundpull

#endif
