// Plays the show headless into files: the layer's clock is driven frame by
// frame and its mixer pulled for exactly each frame's samples.
#ifndef VELMORA_CAPTURE_CAPTURE_H
#define VELMORA_CAPTURE_CAPTURE_H

#include "capture/options.h"

// Runs from the folder that holds the show's data/. Returns 0 when every
// output was written, 1 with a message on standard error otherwise (nothing
// of the outputs is left behind then), 130 when interrupted.
int runCapture(const CaptureOptions& options);

#endif
