// The show's music: seven sections, one per scene, written as note events on
// a grid of rows and turned into patterns.
#ifndef VELMORA_TOOLS_XMGEN_SCORE_H
#define VELMORA_TOOLS_XMGEN_SCORE_H

#include <cstdint>
#include <vector>

#include "scene/show_schedule.h"
#include "tools/xmgen/xm_writer.h"

namespace score {

const int kBpm = 140;
const int kSpeed = 6;  // a row is a quarter beat
const int kRows = 1380;
const int kChannels = 16;
// The rows where the scenes change, from the show's schedule; each gets a
// crash and a full kick.
#define SCORE_CUT_ROW_(file, ms, row) row,
const int kCuts[] = {SHOW_SCHEDULE(SCORE_CUT_ROW_)};
#undef SCORE_CUT_ROW_
// The song's last chord, struck with a crash and left to fade.
const int kFinalHit = 1348;

// Channels of the grid, by part.
enum Channel {
    Kick, Snare, Hat, Crash, Bass, Lead, Pad1, Pad2, Pad3, Arp,
    ArpEcho,   // the arpeggio again, a dotted sixteenth later, on the other side
    LeadEcho,  // the lead again, a dotted eighth later, softer
    Counter,   // a second melody under the lead
    Chip,      // chords played as fast arpeggios
    OpenHat,
    Riser,     // noise swept upwards into a cut
};

// The song's instruments, numbered from 1 in this order.
std::vector<xm::Instrument> instruments();

// The bytes of data/velmora.xm.
std::vector<uint8_t> velmoraSong();

}  // namespace score

#endif
