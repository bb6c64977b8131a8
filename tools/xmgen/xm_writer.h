// A small writer of extended modules (.xm): instruments with one synthesised
// sample each, patterns of note events, and the order list that plays them.
#ifndef VELMORA_TOOLS_XMGEN_XM_WRITER_H
#define VELMORA_TOOLS_XMGEN_XM_WRITER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace xm {

// Notes are numbered as the format does: 1 is C-0, 49 is C-4, 96 is B-7.
const int kKeyOff = 97;
int note(const char* name);  // "C-4", "F#2", "A#5"

struct Envelope {
    std::vector<std::pair<int, int>> points;  // (tick, value 0..64), at most 12
    int sustain = -1;                         // point held until key off, or -1
};

struct Sample {
    std::vector<int16_t> data;
    bool loop = false;  // forward loop over [loopStart, end)
    int loopStart = 0;
    int volume = 64;
    int panning = 128;
    int relativeNote = 0;
    int finetune = 0;
    // Tunes the sample so that note C-4 plays it back at rateHz frames a second.
    void setBaseRate(double rateHz);
};

struct Instrument {
    std::string name;
    Sample sample;
    Envelope volume;
    int fadeout = 0;  // volume lost per tick after key off, 0..4095
    int vibratoDepth = 0;
    int vibratoRate = 0;
};

// Effect column commands, numbered as the format stores them.
enum Effect {
    kArpeggio = 0x0,   // 0xy: the note, x and y semitones above it in turn (0 with param 0 is no effect)
    kPortaUp = 0x1,    // 1xx: pitch up xx units a tick
    kPortaDown = 0x2,  // 2xx
    kTonePorta = 0x3,  // 3xx: slide to the row's note instead of striking it
    kVibrato = 0x4,    // 4xy: speed x, depth y
    kVibratoVolumeSlide = 0x6,  // 6xy: vibrato goes on, volume slides up x or down y a tick
    kPanning = 0x8,    // 8xx: 0 left, 0xFF right
    kVolumeSlide = 0xA,  // Axy: up x or down y a tick
    kExtended = 0xE,   // Exy: sub-command x with value y
};
const int kNoteDelay = 0xD0;       // with kExtended: EDx strikes the note on tick x
const int kRetrigger = 0x90;       // with kExtended: E9x strikes it again every x ticks
const int kFineVolumeDown = 0xB0;  // with kExtended: EBx lowers the volume by x once

// One cell of a pattern; zeros are empty fields.
struct Event {
    int note = 0;
    int instrument = 0;
    int volume = -1;  // 0..64, or -1 for the sample's own
    int effect = 0;
    int param = 0;
    bool empty() const { return note == 0 && instrument == 0 && volume < 0 && effect == 0 && param == 0; }
    bool operator==(const Event& o) const {
        return note == o.note && instrument == o.instrument && volume == o.volume && effect == o.effect &&
               param == o.param;
    }
};

class Pattern {
public:
    Pattern(int rows, int channels) : rows_(rows), channels_(channels), cells_(rows * channels) {}
    int rows() const { return rows_; }
    int channels() const { return channels_; }
    Event& at(int row, int channel) { return cells_[row * channels_ + channel]; }
    const Event& at(int row, int channel) const { return cells_[row * channels_ + channel]; }
    bool operator==(const Pattern& o) const { return rows_ == o.rows_ && cells_ == o.cells_; }

private:
    int rows_;
    int channels_;
    std::vector<Event> cells_;
};

class Module {
public:
    Module(std::string name, int channels, int speed, int bpm);
    int channels() const { return channels_; }
    // Instrument numbers start at 1, as events name them.
    int addInstrument(Instrument instrument);
    // Plays the pattern next; an identical pattern already stored is reused.
    void appendToOrder(const Pattern& pattern);
    int orderLength() const { return static_cast<int>(order_.size()); }
    int patternCount() const { return static_cast<int>(patterns_.size()); }
    // Rows played from the first order to the last.
    int totalRows() const;
    // The file's bytes.
    std::vector<uint8_t> bytes() const;

private:
    std::string name_;
    int channels_;
    int speed_;
    int bpm_;
    std::vector<Instrument> instruments_;
    std::vector<Pattern> patterns_;
    std::vector<int> order_;
};

}  // namespace xm

#endif
