#include "tools/xmgen/score.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "tools/xmgen/synth.h"
#include "tools/xmgen/xm_writer.h"

namespace score {

namespace {

const int kBar = 16;         // rows
const int kSliceRows = 32;   // rows per pattern: two bars

// A triad by its root's pitch class (C = 0) and quality.
struct Chord {
    int root;
    bool minor;
    int interval(int tone) const { return tone == 0 ? 0 : tone == 1 ? (minor ? 3 : 4) : 7; }
};

Chord chord(const std::string& name) {
    static const char* letters = "C D EF G A B";
    const int root = static_cast<int>(std::string(letters).find(name[0]));
    return Chord{root, name.size() > 1 && name[1] == 'm'};
}

// Where a lead note falls in the bar and which chord tone it takes
// (0 root, 1 third, 2 fifth, 3 the root an octave up, 4 the third above it).
struct Step {
    int row;
    int tone;
};
using Motif = std::vector<Step>;

const Motif kLong = {{0, 2}, {8, 1}};
const Motif kRise = {{0, 2}, {4, 1}, {6, 0}, {8, 1}, {12, 2}, {14, 3}};
const Motif kFall = {{0, 3}, {3, 2}, {6, 2}, {8, 1}, {10, 0}, {12, 1}};
const Motif kRun = {{0, 0}, {2, 1}, {4, 2}, {6, 3}, {8, 4}, {10, 3}, {12, 2}, {14, 1}};
const Motif kAnswer = {{0, 4}, {6, 3}, {8, 2}, {12, 1}};

enum class Drums { Pulse, Beat, Full, Sparse };
enum class BassLine { None, Held, Eighths, Octaves, Syncopated };

struct Section {
    int start;
    int rows;
    std::vector<std::string> chords;  // one a bar, repeated
    Drums drums;
    BassLine bass;
    std::vector<const Motif*> lead;   // one a bar, repeated; none for no lead
    bool arp;
};

const std::vector<Section>& sections() {
    static const std::vector<Section> all = {
        {0, 160, {"Am", "F", "C", "G"}, Drums::Pulse, BassLine::Held, {}, false},
        {160, 160, {"Am", "F", "C", "G"}, Drums::Beat, BassLine::Eighths, {}, true},
        {320, 160, {"Dm", "Am", "E", "Am"}, Drums::Beat, BassLine::Syncopated, {&kLong, &kRise}, false},
        {480, 80, {"F", "G", "Em", "Am", "E"}, Drums::Sparse, BassLine::Held, {}, true},
        {560, 320, {"Am", "F", "C", "G"}, Drums::Full, BassLine::Octaves, {&kRise, &kFall, &kRise, &kAnswer}, true},
        {880, 180, {"F", "G", "C", "Am"}, Drums::Beat, BassLine::Syncopated, {&kRun, &kFall}, false},
        {1060, 320, {"Am", "F", "C", "G"}, Drums::Full, BassLine::Octaves, {&kRise, &kFall, &kRun, &kAnswer}, true},
    };
    return all;
}

// Instrument numbers, in the order they are added.
enum Instrument { KickIns = 1, SnareIns, HatIns, CrashIns, BassIns, LeadIns, PadIns, PluckIns };

// The whole song as one grid of rows, sliced into patterns at the end.
class Grid {
public:
    Grid() : cells_(kRows * kChannels) {}
    // Rows from `end` on belong to the next section and are left alone.
    void limit(int end) { end_ = std::min(end, kRows); }
    void put(int row, int channel, int note, int instrument, int volume = -1) {
        if (row < 0 || row >= end_) return;
        xm::Event& e = cells_[row * kChannels + channel];
        e.note = note;
        e.instrument = instrument;
        e.volume = volume;
    }
    // Patterns of at most two bars that never straddle a section's start.
    void appendTo(xm::Module& module) const {
        for (const Section& s : sections()) {
            for (int at = s.start; at < s.start + s.rows; at += kSliceRows) {
                const int rows = std::min(kSliceRows, s.start + s.rows - at);
                xm::Pattern p(rows, kChannels);
                for (int r = 0; r < rows; ++r)
                    for (int c = 0; c < kChannels; ++c) p.at(r, c) = cells_[(at + r) * kChannels + c];
                module.appendToOrder(p);
            }
        }
    }

private:
    std::vector<xm::Event> cells_;
    int end_ = kRows;
};

// Pitch classes placed in an octave: octave 4 starts at middle C.
int pitch(int octave, int semitone) { return octave * 12 + semitone + 1; }

void writeDrums(Grid& g, const Section& s, int bar, int row) {
    const int beatVolume[] = {44, 58, 64, 40};
    const int style = static_cast<int>(s.drums);
    for (int r = 0; r < kBar; ++r) {
        const int at = row + r;
        if (r % 4 == 0) g.put(at, Kick, pitch(4, 0), KickIns, beatVolume[style]);
        if (s.drums == Drums::Full && r == 14 && bar % 2 == 1) g.put(at, Kick, pitch(4, 0), KickIns, 40);

        const bool backbeat = r == 4 || r == 12;
        if ((s.drums == Drums::Beat || s.drums == Drums::Full) && backbeat) g.put(at, Snare, pitch(4, 0), SnareIns, 56);
        if (s.drums == Drums::Full && r == 15) g.put(at, Snare, pitch(4, 0), SnareIns, 14);  // ghost note

        if (s.drums == Drums::Full)
            g.put(at, Hat, pitch(4, 0), HatIns, r % 2 == 0 ? 34 : 18);
        else if (s.drums != Drums::Sparse && r % 4 == 2)
            g.put(at, Hat, pitch(4, 0), HatIns, s.drums == Drums::Pulse ? 22 : 30);
    }
}

void writeBass(Grid& g, const Section& s, const Chord& c, int row) {
    // The root between E-1 and D#2.
    const int root = c.root >= 4 ? pitch(1, c.root) : pitch(2, c.root);
    auto hit = [&](int r, int note, int volume) { g.put(row + r, Bass, note, BassIns, volume); };
    switch (s.bass) {
        case BassLine::None:
            break;
        case BassLine::Held:
            hit(0, root, 60);
            hit(8, root, 44);
            break;
        case BassLine::Eighths:
            for (int r = 0; r < kBar; r += 2) hit(r, root, r % 4 == 0 ? 60 : 46);
            break;
        case BassLine::Octaves:
            for (int r = 0; r < kBar; r += 2) hit(r, r % 4 == 0 ? root : root + 12, r % 4 == 0 ? 62 : 48);
            break;
        case BassLine::Syncopated:
            for (int r : {0, 3, 6, 8, 10, 11, 14}) hit(r, (r == 6 || r == 14) ? root + 12 : root, r == 0 ? 62 : 50);
            break;
    }
}

void writeHarmony(Grid& g, const Section& s, const Chord& c, int row) {
    // Pad tones kept within one octave, so neighbouring chords move by small steps.
    const int padChannels[] = {Pad1, Pad2, Pad3};
    for (int tone = 0; tone < 3; ++tone)
        g.put(row, padChannels[tone], pitch(4, (c.root + c.interval(tone)) % 12), PadIns, 40);
    if (!s.arp) return;
    const int arpTone[] = {0, 1, 2, 3, 2, 1, 3, 2};
    for (int r = 0; r < kBar; ++r) {
        const int t = arpTone[r % 8];
        const int note = pitch(5, c.root) + (t == 3 ? 12 : c.interval(t));
        g.put(row + r, Arp, note, PluckIns, r % 4 == 0 ? 34 : 22);
    }
}

void writeLead(Grid& g, const Section& s, const Chord& c, int bar, int row) {
    if (s.lead.empty()) return;
    // The root between G-4 and F#5, so the melody sits above the pad.
    const int root = c.root >= 7 ? pitch(4, c.root) : pitch(5, c.root);
    for (const Step& step : *s.lead[bar % s.lead.size()]) {
        const int note = root + 12 * (step.tone / 3) + c.interval(step.tone % 3);
        g.put(row + step.row, Lead, note, LeadIns, step.row == 0 ? 52 : 44);
    }
}

void writeSection(Grid& g, const Section& s, bool last) {
    const int bars = (s.rows + kBar - 1) / kBar;
    for (int bar = 0; bar < bars; ++bar) {
        const int row = s.start + bar * kBar;
        // The show's closing bars rest on the home chord.
        const bool coda = last && bar >= bars - 2;
        const Chord c = chord(coda ? "Am" : s.chords[bar % s.chords.size()]);
        writeDrums(g, s, bar, row);
        writeBass(g, s, c, row);
        writeHarmony(g, s, c, row);
        if (coda) {
            if (bar == bars - 2) g.put(row, Lead, pitch(5, 9), LeadIns, 52);
        } else {
            writeLead(g, s, c, bar, row);
        }
    }
    // A snare roll into the next scene.
    const int end = s.start + s.rows;
    if (!last && s.drums != Drums::Pulse)
        for (int r = end - 8; r < end; ++r) g.put(r, Snare, pitch(4, 0), SnareIns, 20 + (r - end + 8) * 6);
    // The section's accent: crash and a full kick on its first row.
    g.put(s.start, Crash, pitch(4, 0), CrashIns, 64);
    g.put(s.start, Kick, pitch(4, 0), KickIns, 64);
}

}  // namespace

std::vector<uint8_t> velmoraSong() {
    xm::Module module("velmora", kChannels, kSpeed, kBpm);
    module.addInstrument(synth::kick());
    module.addInstrument(synth::snare());
    module.addInstrument(synth::hat());
    module.addInstrument(synth::crash());
    module.addInstrument(synth::bass());
    module.addInstrument(synth::lead());
    module.addInstrument(synth::pad());
    module.addInstrument(synth::pluck());

    Grid grid;
    for (size_t i = 0; i < sections().size(); ++i) {
        const Section& s = sections()[i];
        grid.limit(s.start + s.rows);
        writeSection(grid, s, i + 1 == sections().size());
    }
    grid.appendTo(module);
    return module.bytes();
}

}  // namespace score
