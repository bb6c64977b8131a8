// The score's time grid as a scene sees it. Every scene starts on a cut of
// the score, so its rows count from 0 at its first frame; a row is a
// quarter beat and a bar is sixteen rows. Keys fall on whole 3D Studio
// frames (a tenth of a second), so a hit lands on the frame nearest its row.
#ifndef VELMORA_TOOLS_SCENEGEN_RHYTHM_H
#define VELMORA_TOOLS_SCENEGEN_RHYTHM_H

#include <vector>

#include "tools/scenegen/tracks.h"

const int kBeatRows = 4;
const int kBarRows = 16;

// Frames since the scene began at the start of row `row` of the scene.
float rowTime(float row);
// The whole frame nearest that moment.
int rowFrame(int row);

// Rows from `first` to below `end`, every `step` rows.
std::vector<int> everyRows(int first, int end, int step);

// Scale keys over frames 0 to `last` that rest at `rest` and jump to `peak`
// on each hit row, falling back over `decay` frames; eased, so the rest
// between hits holds still.
std::vector<PositionKey> pulses(int last, const std::vector<int>& hitRows, Vec3 rest, Vec3 peak, int decay);
// The same for a field of view, in degrees: a punch on each hit.
std::vector<ValueKey> fovPunches(int last, const std::vector<int>& hitRows, float rest, float peak, int decay);

// Turns about `axis` of `angle` each, made quickly over `frames` frames from
// each hit row, holding still between hits.
std::vector<TurnKey> kicks(int last, const std::vector<int>& hitRows, Vec3 axis, float angle, int frames);

#endif
