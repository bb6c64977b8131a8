// Frame and sample arithmetic of the capture. Frame n is drawn when the show's
// clock reads n * 1000 / fps ms (whole ms, as the clock counts); its sound is
// the samples from n * rate / fps up to the next frame's, so sound and
// picture stay together exactly over any length.
#ifndef VELMORA_CAPTURE_TIMING_H
#define VELMORA_CAPTURE_TIMING_H

#include <cstdint>

inline int64_t frameTimeMs(int64_t frame, int fps) { return frame * 1000 / fps; }

// The first frame that starts at or after ms.
inline int64_t firstFrameFrom(int64_t ms, int fps) { return (ms * fps + 999) / 1000; }

inline int64_t samplesBefore(int64_t frame, int rate, int fps) { return frame * rate / fps; }

#endif
