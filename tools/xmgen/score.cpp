#include "tools/xmgen/score.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/xmgen/synth.h"
#include "tools/xmgen/xm_writer.h"

namespace score {

namespace {

const int kBar = 16;        // rows
const int kSliceRows = 32;  // rows per pattern: two bars

// Instrument numbers, in the order they are added.
enum Instrument {
    KickIns = 1, SnareIns, HatIns, CrashIns, BassIns, LeadIns, PadIns, PluckIns,
    ChipIns, FluteIns, OpenHatIns, RiserIns, PluckEchoIns,
};

// Pitch classes placed in an octave: octave 4 starts at middle C.
int pitch(int octave, int semitone) { return octave * 12 + semitone + 1; }

int pitchClass(const std::string& name, size_t& at) {
    static const std::string letters = "C D EF G A B";
    const size_t pc = at < name.size() && name[at] != ' ' ? letters.find(name[at]) : std::string::npos;
    if (pc == std::string::npos) throw std::runtime_error("not a pitch: " + name);
    ++at;
    if (at < name.size() && name[at] == '#') {
        ++at;
        return static_cast<int>(pc) + 1;
    }
    return static_cast<int>(pc);
}

// A triad: its root's pitch class (C = 0) and the semitones from root to third.
struct Chord {
    int root;
    int third;  // 3 minor, 4 major, 5 suspended
    int interval(int tone) const { return tone == 0 ? 0 : tone == 1 ? third : 7; }
};

// The arpeggio effect with both steps an octave up. Players disagree on the
// order in which they take the two steps; with the steps equal the order
// does not matter, and every player sounds the same.
const int kOctaveArpeggio = 0xCC;

// "Am", "F", "F#", "Esus", moved up `transpose` semitones.
Chord chord(const std::string& name, int transpose) {
    size_t at = 0;
    const int root = pitchClass(name, at);
    const std::string quality = name.substr(at);
    const int third = quality == "m" ? 3 : quality == "sus" ? 5 : quality.empty() ? 4 : -1;
    if (third < 0) throw std::runtime_error("not a chord: " + name);
    return Chord{((root + transpose) % 12 + 12) % 12, third};
}

// A melody as written: notes and rests with their lengths in rows, e.g.
// "E5:3 ~G5:4 r:2 | A5:16". A "~" slides into the note from the one before;
// "|" is a bar line and must fall on one.
struct Note {
    int row;     // from the melody's start
    int length;  // rows
    int pitch;   // 0 for a rest
    bool slide;
};

std::vector<Note> melody(const std::string& text, int transpose) {
    std::vector<Note> notes;
    std::istringstream in(text);
    std::string word;
    int row = 0;
    while (in >> word) {
        if (word == "|") {
            if (row % kBar != 0) throw std::runtime_error("bar line off the bar at row " + std::to_string(row));
            continue;
        }
        const size_t colon = word.find(':');
        if (colon == std::string::npos) throw std::runtime_error("no length: " + word);
        Note n{row, std::stoi(word.substr(colon + 1)), 0, word[0] == '~'};
        const std::string name = word.substr(n.slide ? 1 : 0, colon - (n.slide ? 1 : 0));
        if (name != "r") {
            size_t at = 0;
            const int pc = pitchClass(name, at);
            if (at + 1 != name.size() || name[at] < '0' || name[at] > '7') throw std::runtime_error("not a note: " + name);
            n.pitch = pitch(name[at] - '0', pc) + transpose;
        }
        if (n.length < 1) throw std::runtime_error("empty note: " + word);
        notes.push_back(n);
        row += n.length;
    }
    return notes;
}

// The hook and how it grows: stated with rests in the theme, filled in and
// lifted in the full sections, an octave higher when the counter-melody joins.
// Each line is four bars over Am F C G, but for the high statements, over
// the second progression (F G Em Am, then Dm G C Em).
const char* kHookPlain = "E5:3 E5:3 D5:2 E5:4 G5:4 | A5:8 r:8 | E5:3 E5:3 D5:2 E5:4 C5:4 | D5:12 r:4";
const char* kHook = "E5:3 E5:3 D5:2 E5:4 G5:4 | A5:6 G5:2 F5:2 E5:2 D5:4 | E5:3 E5:3 D5:2 E5:4 C5:4 | D5:10 B4:2 C5:2 D5:2";
const char* kHookLift = "E5:3 E5:3 D5:2 E5:4 G5:4 | A5:6 ~C6:4 B5:2 A5:4 | G5:3 E5:3 C5:2 D5:2 D#5:2 E5:4 | D5:6 E5:2 D5:2 C5:2 B4:4";
const char* kHookHigh = "A5:3 A5:3 G5:2 A5:4 C6:4 | D6:6 C6:2 B5:2 A5:2 G5:4 | E5:3 G5:3 A5:2 C6:4 E6:4 | C6:10 B5:2 A5:2 E5:2";
const char* kHookPeak = "A5:3 A5:3 G5:2 A5:4 C6:4 | D6:6 ~F6:4 E6:2 D6:4 | C6:3 B5:3 A5:2 B5:4 C6:4 | B5:6 C6:2 B5:2 A5:2 G5:4";
// The hook's opening slowed down, over chords that last two bars.
const char* kHookHint = "E5:6 E5:6 D5:4 | E5:8 G5:8 | D5:12 B4:4 | D5:15 r:1";
// The climax's own peak, reaching the song's highest note.
const char* kHookSummit = "A5:3 A5:3 G5:2 A5:4 C6:4 | D6:6 ~G6:4 F6:2 E6:4 | C6:3 B5:3 A5:2 B5:4 C6:4 | B5:6 C6:2 B5:2 A5:2 G5:4";
// Under the hook's high statements.
const char* kCounter = "A4:8 B4:4 C5:4 | C5:8 A4:8 | G4:8 A4:4 G4:4 | B4:8 G4:8 | A4:4 C5:4 E5:8 | F5:8 E5:4 C5:4 | "
                       "E5:4 D5:4 C5:8 | B4:6 C5:2 D5:8";

// Under the hook's first statements in the full sections: a line that
// moves where the hook holds and steps aside where it runs.
const char* kAnswer = "C5:8 B4:8 | A4:8 C5:8 | G4:4 A4:4 B4:4 C5:4 | D5:8 B4:8 | C5:4 E5:4 D5:4 C5:4 | "
                      "A4:8 F4:8 | G4:4 C5:4 E5:4 G4:4 | B4:12 r:4";
const char* kAnswerHigh = "E5:8 D5:8 | C5:8 E5:8 | G5:4 E5:4 D5:4 C5:4 | B4:8 D5:8 | E5:4 A5:4 G5:4 E5:4 | "
                          "F5:8 C5:8 | E5:4 G5:4 C6:4 G5:4 | D5:12 r:4";

std::string join(std::initializer_list<const char*> parts) {
    std::string all;
    for (const char* p : parts) all += std::string(all.empty() ? "" : " | ") + p;
    return all;
}

// A piece of melody placed at a bar of its section, moved by octaves.
struct Line {
    const char* text;
    int bar;
    int octave;
};

enum class Drums { Intro, Beat, Lift, Breakdown, Half, Full };
enum class BassLine { Intro, Held, Eighths, Octaves, Syncopated, Walking };
enum class ArpStyle { None, Quarters, Eighths, Sixteenths };

// How a section leads into the cut after it: a noise riser, a snare roll
// getting louder (its last rows struck twice a row), and a gap of rows
// before the cut where drums, arpeggios and the lead's echo fall silent so
// the crash stands out. The melodies rest there by themselves.
struct Build {
    int riserRows;
    int rollRows;
    int doubleRows;
    int gapRows;
};

struct Section {
    int start;
    int rows;
    int transpose;
    std::vector<const char*> chords;  // one a bar
    Drums drums;
    BassLine bass;
    ArpStyle arp;
    int chipFromBar;  // chords as fast arpeggios from this bar on; -1 for none
    // The section's level: volumes of the pads, of the bass on the beat, of the lead.
    int padVolume;
    int bassVolume;
    int leadVolume;
    std::string lead;
    std::vector<Line> counter;  // the second melody, in pieces
    Build build;
    bool closes;  // the song ends in this section, from kFinalHit on
};

const std::vector<Section>& sections() {
    static const std::vector<Section> all = {
        // Intro: pad swells, a soft arpeggio with its echo, the beat creeping in,
        // and the hook's first notes, slowed, hinted at by the flute.
        {0, 160, 0, {"Am", "Am", "F", "F", "C", "C", "G", "G", "E", "E"},
         Drums::Intro, BassLine::Intro, ArpStyle::Eighths, -1, 22, 16, 0,
         "", {{kHookHint, 4, 0}}, {32, 14, 0, 2}, false},
        // The beat, and the lead's first long notes.
        {160, 160, 0, {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "E"},
         Drums::Beat, BassLine::Eighths, ArpStyle::Sixteenths, -1, 30, 46, 42,
         "r:64 | E5:16 | F5:8 ~A5:8 | G5:16 | D5:8 ~G5:8 | A5:12 G5:2 F5:2 | G#5:8 B5:7 r:1", {}, {16, 8, 0, 1}, false},
        // The theme.
        {320, 160, 0, {"Am", "F", "C", "G", "Am", "F", "C", "G", "Dm", "E"},
         Drums::Lift, BassLine::Syncopated, ArpStyle::None, 4, 30, 50, 54,
         join({kHookPlain, kHookLift, "F5:4 E5:2 D5:2 A4:8 | G#4:4 B4:4 E5:7 r:1"}), {}, {0, 4, 0, 1}, false},
        // Breakdown: the hook's opening slowed down and an octave lower, over pads and echoes.
        {480, 80, 0, {"F", "G", "Em", "Am", "E"},
         Drums::Breakdown, BassLine::Held, ArpStyle::Quarters, -1, 18, 18, 38,
         "E4:6 E4:6 D4:4 | E4:8 G4:8 | B4:8 A4:2 G4:2 F#4:2 G4:2 | A4:16 | G#4:8 B4:4 E5:3 r:1", {}, {16, 12, 4, 1}, false},
        // Full: the hook filled in, then high with the counter-melody, then a climb.
        {560, 320, 0,
         {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "Em", "Am", "Dm", "G", "C", "Em", "F", "G", "E", "E"},
         Drums::Full, BassLine::Walking, ArpStyle::Sixteenths, 0, 34, 50, 58,
         join({kHook, kHookLift, kHookHigh, kHookPeak, "A5:12 G5:2 A5:2 | B5:12 A5:2 B5:2 | G#5:8 B5:8 | E6:15 r:1"}),
         {{kAnswer, 0, 0}, {kCounter, 8, 0}}, {16, 8, 2, 1}, false},
        // Bridge: half time, a new, longer-breathed tune, turning towards B minor.
        {880, 180, 0, {"Dm", "Am", "E", "Am", "Dm", "Am", "F", "E", "F", "G", "F#sus", "F#"},
         Drums::Half, BassLine::Syncopated, ArpStyle::Eighths, -1, 30, 50, 52,
         "D5:8 C5:4 A4:4 | C5:8 ~E5:8 | B4:6 G#4:2 E4:4 G#4:4 | A4:12 r:4 | A5:8 G5:4 F5:4 | E5:8 ~A5:8 | "
         "A5:6 G5:2 F5:4 C5:4 | B4:4 G#4:4 B4:4 E5:4 | F5:4 A5:4 C6:4 A5:4 | G5:4 B5:4 D6:4 B5:4 | C#6:8 B5:4 F#5:4 | "
         "A#5:2 r:2",
         {}, {36, 16, 4, 2}, false},
        // Climax a tone higher, a cadence, the final hit and its fade.
        {1060, 320, 2,
         {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "Em", "Am", "Dm", "G", "C", "Em", "F", "G", "Am", "Am"},
         Drums::Full, BassLine::Walking, ArpStyle::Sixteenths, 0, 42, 56, 63,
         join({kHook, kHookLift, kHookHigh, kHookSummit, "C6:8 B5:4 A5:4 | B5:8 ~D6:7 r:1 | A5:32"}),
         // A higher answer under the hook, then the counter-melody.
         {{kAnswerHigh, 0, 0}, {kCounter, 8, 0}}, {16, 12, 4, 1}, true},
    };
    return all;
}

// The whole song as one grid of rows, sliced into patterns at the end.
class Grid {
public:
    Grid() : cells_(kRows * kChannels) {}
    // Rows outside [begin, end) belong to other sections and are left alone.
    void limit(int begin, int end) {
        begin_ = std::max(begin, 0);
        end_ = std::min(end, kRows);
    }
    void note(int row, int channel, int note, int instrument, int volume = -1) {
        if (xm::Event* e = at(row, channel)) {
            e->note = note;
            e->instrument = instrument;
            e->volume = volume;
        }
    }
    void keyOff(int row, int channel) { note(row, channel, xm::kKeyOff, 0); }
    void effect(int row, int channel, int effect, int param) {
        if (xm::Event* e = at(row, channel)) {
            e->effect = effect;
            e->param = param;
        }
    }
    void volume(int row, int channel, int volume) {
        if (xm::Event* e = at(row, channel)) e->volume = volume;
    }
    void clear(int row, int channel) {
        if (xm::Event* e = at(row, channel)) *e = xm::Event{};
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
    xm::Event* at(int row, int channel) {
        return row >= begin_ && row < end_ ? &cells_[row * kChannels + channel] : nullptr;
    }
    std::vector<xm::Event> cells_;
    int begin_ = 0;
    int end_ = kRows;
};

void writeDrums(Grid& g, const Section& s, int bar, int row) {
    const int bars = (s.rows + kBar - 1) / kBar;
    auto kick = [&](int r, int v) { g.note(row + r, Kick, pitch(4, 0), KickIns, v); };
    auto snare = [&](int r, int v) { g.note(row + r, Snare, pitch(4, 0), SnareIns, v); };
    auto hat = [&](int r, int v) { g.note(row + r, Hat, pitch(4, 0), HatIns, v); };
    auto openHat = [&](int r, int v) { g.note(row + r, OpenHat, pitch(4, 0), OpenHatIns, v); };
    // Every other eight bars the steady beats take a second pattern.
    const bool second = (bar / 8) % 2 == 1;
    for (int r = 0; r < kBar; ++r) {
        switch (s.drums) {
            case Drums::Intro:
                // Hats from the fifth bar, a kick growing from the seventh.
                if (bar >= 4 && r % 4 == 2) hat(r, 10 + 3 * (bar - 4));
                if (bar >= 6 && r % 4 == 0) kick(r, 22 + 5 * (bar - 6) + r / 2);
                break;
            case Drums::Beat:
            case Drums::Lift:
                if (r % 4 == 0 || (second && (r == 10 || r == 7))) kick(r, r % 4 == 0 ? 54 : 40);
                if (r == 4 || r == 12) snare(r, 50);
                if (r % 2 == 0) hat(r, r % 4 == 2 ? 30 : 18);
                if (second && r % 4 == 3) hat(r, 12);
                if (s.drums == Drums::Lift && r % 2 == 1) hat(r, 10);
                if (s.drums == Drums::Lift && r == 14) openHat(r, 34);
                break;
            case Drums::Breakdown:
                // Only the last bar, climbing back in.
                if (bar == bars - 1 && r % 2 == 0) kick(r, 20 + 2 * r);
                break;
            case Drums::Half:
                if (r == 0 || r == 10 || (bar % 2 == 1 && r == 7) || (second && r == 3)) kick(r, r == 0 ? 58 : 46);
                if (r == 8) snare(r, 52);
                if (second && r == 15) snare(r, 16);
                if (r % 2 == 0) hat(r, r % 4 == 2 ? 28 : 16);
                if (r == 14) openHat(r, 28);
                break;
            case Drums::Full:
                if (!second) {
                    if (r % 4 == 0 || (bar % 2 == 1 && r == 14)) kick(r, r % 4 == 0 ? 56 : 38);
                    if (r == 7 || r == 15) snare(r, 12);  // ghost notes
                    if (r % 4 == 2) openHat(r, 32);
                } else {
                    // Broken: the kick skips ahead, ghosts fall elsewhere, the open hat only off the half bars.
                    if (r == 0 || r == 4 || r == 10 || r == 12 || (bar % 2 == 1 && r == 15)) kick(r, r % 4 == 0 ? 56 : 40);
                    if (r == 3 || r == 9 || r == 14) snare(r, 14);
                    if (r == 6 || r == 14) openHat(r, 36);
                }
                if (r == 4 || r == 12) snare(r, 58);
                hat(r, r % 2 == 0 ? 38 : 20);
                // Hats swing a little from side to side.
                g.effect(row + r, Hat, xm::kPanning, r % 4 < 2 ? 0x60 : 0xA8);
                break;
        }
    }
    // A fill closes every four-bar phrase of a steady beat: the snare
    // runs up the last beat while the hats step aside.
    const bool steady = s.drums != Drums::Intro && s.drums != Drums::Breakdown;
    if (steady && bar % 4 == 3) {
        for (int r = 12; r < kBar; ++r) {
            snare(r, 22 + 10 * (r - 12));
            g.clear(row + r, Hat);
        }
    }
}

// The bass's root between E-1 and D#2.
int bassRoot(const Chord& c) { return c.root >= 4 ? pitch(1, c.root) : pitch(2, c.root); }

// `next` is the chord of the bar after, or null at the section's end.
void writeBass(Grid& g, const Section& s, const Chord& c, const Chord* next, int bar, int row) {
    const int root = bassRoot(c);
    const int on = s.bassVolume;
    const int off = on * 3 / 4;
    auto hit = [&](int r, int note, int volume) { g.note(row + r, Bass, note, BassIns, volume); };
    switch (s.bass) {
        case BassLine::Intro:
            if (bar >= 2) hit(0, root, on + 2 * bar);
            break;
        case BassLine::Held:
            hit(0, root, on);
            hit(8, root, off);
            break;
        case BassLine::Eighths:
            for (int r = 0; r < kBar; r += 2) hit(r, root, r % 4 == 0 ? on : off);
            break;
        case BassLine::Octaves:
            for (int r = 0; r < kBar; r += 2) hit(r, r % 4 == 0 ? root : root + 12, r % 4 == 0 ? on : off);
            break;
        case BassLine::Walking: {
            // Octaves on even bars; on odd bars a walk up the chord and back
            // down through its sixth, leaning into the next root.
            if (bar % 2 == 0) {
                for (int r = 0; r < kBar; r += 2) hit(r, r % 4 == 0 ? root : root + 12, r % 4 == 0 ? on : off);
                break;
            }
            const int walk[] = {0, 12, c.third, 7, 12, 9, 7, c.third};
            for (int r = 0; r < kBar; r += 2) hit(r, root + walk[r / 2], r % 4 == 0 ? on : off);
            break;
        }
        case BassLine::Syncopated:
            for (int r : {0, 3, 6, 8, 10, 11, 14}) hit(r, (r == 6 || r == 14) ? root + 12 : root, r == 0 ? on : off);
            break;
    }
    // In the driving lines the last eighth leans a semitone into the next root.
    const bool driving = s.bass == BassLine::Eighths || s.bass == BassLine::Octaves || s.bass == BassLine::Walking;
    if (driving && next && next->root != c.root) {
        const int to = bassRoot(*next);
        hit(14, to > root ? to - 1 : to + 1, off);
    }
}

// Pads strike when the chord changes and otherwise hold. In the quiet
// sections each chord swells up from nothing.
void writePads(Grid& g, const Section& s, const Chord& c, bool changed, int row) {
    if (!changed) return;
    const bool swell = s.drums == Drums::Intro || s.drums == Drums::Breakdown;
    const int padChannels[] = {Pad1, Pad2, Pad3};
    for (int tone = 0; tone < 3; ++tone) {
        // Tones kept within one octave, so neighbouring chords move by small steps.
        const int ch = padChannels[tone];
        const int from = swell ? s.padVolume % 5 : s.padVolume;
        g.note(row, ch, pitch(4, (c.root + c.interval(tone)) % 12), PadIns, from);
        // Five up on every other row until the section's level.
        for (int r = 1; from + 5 * (r / 2) < s.padVolume; r += 2) g.effect(row + r, ch, xm::kVolumeSlide, 0x10);
    }
}

// The plucked arpeggio walks the chord up and down, moving across the left
// half; its echo answers from the right a dotted sixteenth later (the next
// row, delayed half a row).
void writeArp(Grid& g, const Section& s, const Chord& c, int bar, int row) {
    if (s.arp == ArpStyle::None) return;
    const int step = s.arp == ArpStyle::Sixteenths ? 1 : s.arp == ArpStyle::Eighths ? 2 : 4;
    const int arpTone[] = {0, 1, 2, 3, 2, 1, 3, 2};
    const int base = s.drums == Drums::Intro ? 10 + 2 * bar : s.arp == ArpStyle::Quarters ? 18 : 20;
    for (int r = 0; r < kBar; r += step) {
        const int t = arpTone[(r / step) % 8];
        const int note = pitch(5, c.root) + (t == 3 ? 12 : c.interval(t));
        const int volume = base + (r % 4 == 0 ? 10 : 0);
        g.note(row + r, Arp, note, PluckIns, volume);
        g.effect(row + r, Arp, xm::kPanning, 0x20 + 6 * r);
        g.note(row + r + 1, ArpEcho, note, PluckEchoIns, volume * 2 / 3);
        g.effect(row + r + 1, ArpEcho, xm::kExtended, xm::kNoteDelay | kSpeed / 2);
    }
}

// Offbeat stabs warbling against their octave, walking root, root, fifth, third.
void writeChip(Grid& g, const Chord& c, int volume, int row) {
    const int tones[] = {0, 0, 2, 1};
    for (int i = 0; i < 4; ++i) {
        const int r = 2 + 4 * i;
        g.note(row + r, Chip, pitch(4, c.root) + c.interval(tones[i]), ChipIns, volume);
        g.effect(row + r, Chip, xm::kArpeggio, kOctaveArpeggio);
        g.effect(row + r + 1, Chip, xm::kArpeggio, kOctaveArpeggio);
    }
}

const int kVibratoParam = 0x54;    // speed 5, depth 4: a gentle sway
const int kSlideParam = 0x08;      // half a semitone a tick
const int kEchoDelay = 3;          // rows: a dotted eighth

// A melody from `start`: held notes sway after their second row, "~" notes
// glide from the note before, and a rest releases the note. The lead's echo
// follows a dotted eighth later, softer and on the other side.
void writeMelody(Grid& g, int start, const std::vector<Note>& notes, int channel, int instrument, int volume,
                 bool echo) {
    int previous = 0;
    for (const Note& n : notes) {
        const int row = start + n.row;
        if (n.pitch == 0) {
            if (previous) g.keyOff(row, channel);
            if (previous && echo) g.keyOff(row + kEchoDelay, LeadEcho);
            previous = 0;
            continue;
        }
        int still = 2;  // rows before the vibrato starts
        if (n.slide && previous) {
            g.note(row, channel, n.pitch, 0);
            // Five ticks of each row slide; keep sliding until the note is reached.
            const int units = std::abs(n.pitch - previous) * 64;
            const int rows = (units + 5 * 4 * kSlideParam - 1) / (5 * 4 * kSlideParam);
            for (int r = 0; r < std::min(rows, n.length); ++r) g.effect(row + r, channel, xm::kTonePorta, kSlideParam);
            still = std::max(still, rows);
        } else {
            g.note(row, channel, n.pitch, instrument, n.row % 4 == 0 ? volume : volume - 6);
        }
        if (n.length >= 6)
            for (int r = still; r < n.length; ++r) g.effect(row + r, channel, xm::kVibrato, kVibratoParam);
        if (echo) {
            g.note(row + kEchoDelay, LeadEcho, n.pitch, instrument, volume * 2 / 5);
            g.effect(row + kEchoDelay, LeadEcho, xm::kPanning, 0x50);
        }
        previous = n.pitch;
    }
    if (previous && !notes.empty()) {
        const int end = start + notes.back().row + notes.back().length;
        g.keyOff(end, channel);
        if (echo) g.keyOff(end + kEchoDelay, LeadEcho);
    }
}

// The rise into a cut at `cut`, written over whatever the section put there.
void writeBuild(Grid& g, const Build& b, int cut) {
    const int gap = cut - b.gapRows;
    if (b.riserRows > 0) {
        const int from = gap - b.riserRows;
        g.note(from, Riser, pitch(3, 0), RiserIns, 6);
        // About two octaves up, ever louder.
        const int speed = std::max(1, 80 / b.riserRows);
        for (int r = 0; r < b.riserRows; ++r) {
            g.effect(from + r, Riser, xm::kPortaUp, speed);
            g.volume(from + r, Riser, 6 + 42 * r / b.riserRows);
        }
        g.volume(gap, Riser, 0);
    }
    for (int r = 0; r < b.rollRows; ++r) {
        const int at = gap - b.rollRows + r;
        g.note(at, Snare, pitch(4, 0), SnareIns, 12 + 46 * r / b.rollRows);
        if (r >= b.rollRows - b.doubleRows) g.effect(at, Snare, xm::kExtended, xm::kRetrigger | kSpeed / 2);
    }
    for (int at = gap; at < cut; ++at) {
        for (int ch : {Kick, Snare, Hat, OpenHat, Arp, ArpEcho, Chip, LeadEcho}) g.clear(at, ch);
    }
    g.keyOff(gap, LeadEcho);
}

// The last chord: struck with everything, then left to die away while the
// lead's echo repeats and an arpeggio climbs out of it.
void writeEnding(Grid& g, const Chord& c, int hit) {
    g.note(hit, Crash, pitch(4, 0), CrashIns, 64);
    g.note(hit, Kick, pitch(4, 0), KickIns, 64);
    g.note(hit, OpenHat, pitch(4, 0), OpenHatIns, 40);
    g.note(hit, Bass, pitch(1, c.root), BassIns, 64);
    // Bass and pads lose a little every row, to silence by the end of the song.
    for (int r = 4; r < 32; ++r) g.effect(hit + r, Bass, xm::kExtended, xm::kFineVolumeDown | 2);
    g.note(hit, Chip, pitch(4, c.root), ChipIns, 40);
    for (int r = 0; r < 6; ++r) g.effect(hit + r, Chip, xm::kArpeggio, kOctaveArpeggio);
    const int padChannels[] = {Pad1, Pad2, Pad3};
    for (int tone = 0; tone < 3; ++tone) {
        g.note(hit, padChannels[tone], pitch(4, (c.root + c.interval(tone)) % 12), PadIns, 44);
        for (int r = 4; r < 24; ++r) g.effect(hit + r, padChannels[tone], xm::kExtended, xm::kFineVolumeDown | 2);
        g.keyOff(hit + 24, padChannels[tone]);
    }
    // The lead holds its note (written by the melody) and fades as it sways.
    for (int r = 2; r < 30; ++r) g.effect(hit + r, Lead, r % 3 == 0 ? xm::kVibratoVolumeSlide : xm::kVibrato,
                                          r % 3 == 0 ? 0x02 : kVibratoParam);
    g.keyOff(hit + 30, Lead);
    const int leadNote = pitch(5, c.root);
    int volume = 30;
    for (int r = kEchoDelay; r < 28; r += kEchoDelay, volume = volume * 2 / 3) {
        g.note(hit + r, LeadEcho, leadNote, LeadIns, volume);
        g.effect(hit + r, LeadEcho, xm::kPanning, r % 2 ? 0x40 : 0xC0);
    }
    g.keyOff(hit + 30, LeadEcho);
    for (int i = 0; i < 8; ++i) {
        const int t = i % 4;
        const int note = pitch(4 + i / 4, c.root) + (t == 3 ? 12 : c.interval(t));
        g.note(hit + 2 * i, Arp, note, PluckIns, 34 - 3 * i);
        g.effect(hit + 2 * i, Arp, xm::kPanning, 0x30 + 0x18 * i);
        g.note(hit + 2 * i + 1, ArpEcho, note, PluckEchoIns, 22 - 2 * i);
        g.effect(hit + 2 * i + 1, ArpEcho, xm::kExtended, xm::kNoteDelay | kSpeed / 2);
    }
}

void writeSection(Grid& g, const Section& s) {
    const int bars = (s.rows + kBar - 1) / kBar;
    if (static_cast<int>(s.chords.size()) != bars) throw std::runtime_error("a chord a bar");
    // Where the section's beat stops: its end, or the final hit.
    const int stop = s.closes ? kFinalHit : s.start + s.rows;
    if (s.closes && (stop - s.start) % kBar != 0) throw std::runtime_error("the final hit is off the bar");
    for (int bar = 0; bar < bars; ++bar) {
        const int row = s.start + bar * kBar;
        if (row >= stop) break;
        const Chord c = chord(s.chords[bar], s.transpose);
        const Chord next = bar + 1 < bars ? chord(s.chords[bar + 1], s.transpose) : c;
        const bool changed = bar == 0 || s.chords[bar] != std::string(s.chords[bar - 1]);
        writeDrums(g, s, bar, row);
        writeBass(g, s, c, bar + 1 < bars ? &next : nullptr, bar, row);
        writePads(g, s, c, changed, row);
        writeArp(g, s, c, bar, row);
        if (s.chipFromBar >= 0 && bar >= s.chipFromBar) writeChip(g, c, s.padVolume + 10, row);
    }
    if (!s.lead.empty()) {
        const std::vector<Note> lead = melody(s.lead, s.transpose);
        const Note& last = lead.back();
        if (last.row + last.length > s.rows) throw std::runtime_error("lead longer than its section");
        writeMelody(g, s.start, lead, Lead, LeadIns, s.leadVolume, true);
    }
    for (const Line& line : s.counter)
        writeMelody(g, s.start + line.bar * kBar, melody(line.text, s.transpose + 12 * line.octave), Counter, FluteIns,
                    s.drums == Drums::Intro ? 26 : 40, false);
    writeBuild(g, s.build, stop);
    if (s.closes) writeEnding(g, chord(s.chords[(stop - s.start) / kBar], s.transpose), stop);
    // The cut's accent: crash and a full kick on its first row.
    g.note(s.start, Crash, pitch(4, 0), CrashIns, 64);
    g.note(s.start, Kick, pitch(4, 0), KickIns, 64);
}

}  // namespace

std::vector<xm::Instrument> instruments() {
    // The echo of the arpeggio: the same voice, softer and on the right.
    xm::Instrument echo = synth::pluck();
    echo.name = "pluck echo";
    echo.sample.panning = 200;
    return {synth::kick(), synth::snare(), synth::hat(),   synth::crash(),   synth::bass(),  synth::lead(),  synth::pad(),
            synth::pluck(), synth::chip(), synth::flute(), synth::openHat(), synth::riser(), echo};
}

std::vector<uint8_t> velmoraSong() {
    xm::Module module("velmora", kChannels, kSpeed, kBpm);
    for (xm::Instrument& ins : instruments()) module.addInstrument(std::move(ins));

    Grid grid;
    for (const Section& s : sections()) {
        grid.limit(s.start, s.start + s.rows);
        writeSection(grid, s);
    }
    grid.appendTo(module);
    return module.bytes();
}

}  // namespace score
