// The module writer and the show's module, read back through libopenmpt.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <stdexcept>
#include <vector>

#include "tests/support/paths.h"
#include "tools/xmgen/score.h"
#include "tools/xmgen/xm_writer.h"

namespace {

class Loaded {
public:
    explicit Loaded(const std::vector<uint8_t>& bytes)
        : mod_(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                  openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr)) {}
    ~Loaded() { openmpt_module_destroy(mod_); }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    openmpt_module* get() const { return mod_; }

    // Calls fn(songRow, pattern, patternRow) for every row in play order.
    template <typename Fn>
    int forEachRow(Fn fn) const {
        int songRow = 0;
        for (int order = 0; order < openmpt_module_get_num_orders(mod_); ++order) {
            const int pattern = openmpt_module_get_order_pattern(mod_, order);
            for (int row = 0; row < openmpt_module_get_pattern_num_rows(mod_, pattern); ++row) fn(songRow++, pattern, row);
        }
        return songRow;
    }
    int cell(int pattern, int row, int channel, int command) const {
        return openmpt_module_get_pattern_row_channel_command(mod_, pattern, row, channel, command);
    }
    // The field as a tracker shows it, e.g. "C" and "20" for effect C20.
    std::string text(int pattern, int row, int channel, int command) const {
        const char* s = openmpt_module_format_pattern_row_channel_command(mod_, pattern, row, channel, command);
        std::string copy = s ? s : "";
        openmpt_free_string(s);
        return copy;
    }

private:
    openmpt_module* mod_;
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isCut(int row) {
    for (int cut : score::kCuts)
        if (cut == row) return true;
    return false;
}

TEST(XmWriter, NotesAreNamedAsTrackersWriteThem) {
    EXPECT_EQ(1, xm::note("C-0"));
    EXPECT_EQ(49, xm::note("C-4"));
    EXPECT_EQ(59, xm::note("A#4"));
    EXPECT_EQ(96, xm::note("B-7"));
    for (const char* bad : {"H-4", "C-8", "C4", "C-44", ""}) EXPECT_THROW(xm::note(bad), std::runtime_error) << bad;
}

TEST(XmWriter, BaseRateBecomesRelativeNoteAndFinetune) {
    xm::Sample s;
    s.setBaseRate(8363);
    EXPECT_EQ(0, s.relativeNote);
    EXPECT_EQ(0, s.finetune);
    s.setBaseRate(4 * 8363);
    EXPECT_EQ(24, s.relativeNote);
    EXPECT_EQ(0, s.finetune);
    s.setBaseRate(8363 * std::pow(2.0, 7.25 / 12));  // a quarter semitone above G
    EXPECT_EQ(7, s.relativeNote);
    EXPECT_EQ(32, s.finetune);
}

// A small module of every kind of field, as another player reads it.
TEST(XmWriter, WritesWhatAPlayerReadsBack) {
    xm::Module module("small", 2, 3, 125);
    xm::Instrument tone;
    tone.name = "tone";
    for (int i = 0; i < 64; ++i) tone.sample.data.push_back(static_cast<int16_t>(20000 * std::sin(i * 2 * M_PI / 64)));
    tone.sample.loop = true;
    tone.volume = {{{0, 64}, {10, 32}, {20, 0}}, 1};
    tone.fadeout = 512;
    EXPECT_EQ(1, module.addInstrument(tone));

    xm::Pattern a(8, 2), b(4, 2);
    a.at(0, 0) = xm::Event{xm::note("C-4"), 1, 40, 0, 0};
    a.at(4, 1) = xm::Event{xm::note("G-4"), 1, -1, 0x0C, 0x20};
    b.at(2, 0).note = xm::kKeyOff;
    module.appendToOrder(a);
    module.appendToOrder(b);
    module.appendToOrder(a);
    EXPECT_EQ(2, module.patternCount()) << "the repeated pattern is stored once";
    EXPECT_EQ(3, module.orderLength());
    EXPECT_EQ(20, module.totalRows());

    Loaded loaded(module.bytes());
    openmpt_module* mod = loaded.get();
    ASSERT_NE(nullptr, mod);
    EXPECT_EQ(2, openmpt_module_get_num_channels(mod));
    EXPECT_EQ(1, openmpt_module_get_num_instruments(mod));
    EXPECT_EQ(2, openmpt_module_get_num_patterns(mod));
    EXPECT_EQ(3, openmpt_module_get_current_speed(mod));
    EXPECT_EQ(125, openmpt_module_get_current_tempo(mod));
    EXPECT_EQ(20, loaded.forEachRow([](int, int, int) {}));
    EXPECT_EQ("C", loaded.text(0, 4, 1, OPENMPT_MODULE_COMMAND_EFFECT));
    EXPECT_EQ(0x20, loaded.cell(0, 4, 1, OPENMPT_MODULE_COMMAND_PARAMETER));
    EXPECT_EQ("===", loaded.text(1, 2, 0, OPENMPT_MODULE_COMMAND_NOTE)) << "key off";
    EXPECT_EQ(1, loaded.cell(0, 0, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT));
    EXPECT_EQ(loaded.cell(0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE) + 7, loaded.cell(0, 4, 1, OPENMPT_MODULE_COMMAND_NOTE));

    std::vector<float> out(2 * 4410);
    EXPECT_EQ(4410u, openmpt_module_read_interleaved_float_stereo(mod, 44100, 4410, out.data()));
    float peak = 0;
    for (float v : out) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.05f) << "the sample sounds";
}

TEST(VelmoraSong, SameBytesEveryTimeAndAsBuilt) {
    const std::vector<uint8_t> song = score::velmoraSong();
    EXPECT_EQ(song, score::velmoraSong());
    EXPECT_EQ(song, readFile(builtDataDir() + "/velmora.xm")) << "data/velmora.xm is out of date";
}

TEST(VelmoraSong, Runs1380RowsAt140BpmSpeed6ForTheShowsLength) {
    Loaded loaded(score::velmoraSong());
    ASSERT_NE(nullptr, loaded.get());
    EXPECT_EQ(6, openmpt_module_get_current_speed(loaded.get()));
    EXPECT_EQ(140, openmpt_module_get_current_tempo(loaded.get()));
    EXPECT_EQ(1380, loaded.forEachRow([](int, int, int) {}));
    EXPECT_NEAR(SHOW_LENGTH_MS / 1000.0, openmpt_module_get_duration_seconds(loaded.get()), 0.1);
}

TEST(VelmoraSong, CrashAndFullKickOnEveryCutAndTheFinalHit) {
    Loaded loaded(score::velmoraSong());
    std::set<int> crashes, accents(std::begin(score::kCuts), std::end(score::kCuts));
    accents.insert(score::kFinalHit);
    loaded.forEachRow([&](int songRow, int pattern, int row) {
        if (loaded.cell(pattern, row, score::Crash, OPENMPT_MODULE_COMMAND_NOTE) != 0) crashes.insert(songRow);
        if (accents.count(songRow)) {
            EXPECT_NE(0, loaded.cell(pattern, row, score::Kick, OPENMPT_MODULE_COMMAND_NOTE)) << "row " << songRow;
            EXPECT_EQ(64, loaded.cell(pattern, row, score::Kick, OPENMPT_MODULE_COMMAND_VOLUME)) << "row " << songRow;
        }
    });
    EXPECT_EQ(accents, crashes);
}

TEST(VelmoraSong, HasABassLineMelodiesAndChordsThatChangeBySection) {
    Loaded loaded(score::velmoraSong());
    std::set<int> bassNotes, leadNotes, counterNotes;
    std::set<std::set<int>> chords;
    std::vector<std::set<std::set<int>>> chordsBySection;
    auto played = [&](int pattern, int row, int channel) {
        const int n = loaded.cell(pattern, row, channel, OPENMPT_MODULE_COMMAND_NOTE);
        return n > 0 && n <= 120 ? n : 0;  // not a key off
    };
    loaded.forEachRow([&](int songRow, int pattern, int row) {
        if (isCut(songRow)) chordsBySection.emplace_back();
        if (int n = played(pattern, row, score::Bass)) bassNotes.insert(n);
        if (int n = played(pattern, row, score::Lead)) leadNotes.insert(n);
        if (int n = played(pattern, row, score::Counter)) counterNotes.insert(n);
        std::set<int> chord;
        for (int c : {score::Pad1, score::Pad2, score::Pad3})
            if (int n = played(pattern, row, c)) chord.insert(n % 12);
        if (chord.size() == 3) {
            chords.insert(chord);
            chordsBySection.back().insert(chord);
        }
    });
    EXPECT_GE(bassNotes.size(), 5u);
    RecordProperty("distinct_lead_notes", static_cast<int>(leadNotes.size()));
    EXPECT_GE(leadNotes.size(), 24u);
    EXPECT_GE(counterNotes.size(), 6u);
    EXPECT_GE(chords.size(), 6u);
    ASSERT_EQ(7u, chordsBySection.size());
    for (const auto& section : chordsBySection) EXPECT_GE(section.size(), 2u) << "a section without harmony moving";
    EXPECT_NE(chordsBySection[0], chordsBySection[2]) << "sections differ in their progressions";
}

// A sample that stops far from zero clicks on every note, and a loop whose
// seam jumps clicks on every turn: each sample ends within 1 % of full scale
// from zero, and across each loop's seam the wave moves no more than it does
// between neighbours inside the loop.
TEST(VelmoraSong, EverySampleEndsAndLoopsAtAZeroCrossing) {
    const int limit = 32767 / 100;
    for (const xm::Instrument& ins : score::instruments()) {
        const std::vector<int16_t>& data = ins.sample.data;
        ASSERT_FALSE(data.empty()) << ins.name;
        EXPECT_LE(std::abs(data.back()), limit) << ins.name << " ends at " << data.back();
        if (ins.sample.loop) {
            int step = 0;
            for (size_t i = ins.sample.loopStart + 1; i < data.size(); ++i)
                step = std::max(step, std::abs(data[i] - data[i - 1]));
            EXPECT_LE(std::abs(data.back() - data[ins.sample.loopStart]), step) << ins.name << "'s loop jumps";
        }
    }
}

// Effect commands as a player reads them back, by kind: the arpeggio is
// "0" with a parameter, extended commands are told apart by the
// parameter's first digit (ED note delay, E9 retrigger, EB fine slide).
TEST(VelmoraSong, PlaysHundredsOfEffectsOfEveryKind) {
    Loaded loaded(score::velmoraSong());
    std::map<std::string, int> kinds;
    int total = 0;
    loaded.forEachRow([&](int, int pattern, int row) {
        for (int c = 0; c < score::kChannels; ++c) {
            std::string kind = loaded.text(pattern, row, c, OPENMPT_MODULE_COMMAND_EFFECT);
            if (kind.empty() || kind == "." || kind == " ") continue;
            if (kind == "E") kind += loaded.text(pattern, row, c, OPENMPT_MODULE_COMMAND_PARAMETER).substr(0, 1);
            ++kinds[kind];
            ++total;
        }
    });
    std::string seen;
    for (const auto& k : kinds) seen += " " + k.first + ":" + std::to_string(k.second);
    RecordProperty("effects", std::to_string(total) + ":" + seen);
    EXPECT_GE(total, 300) << seen;
    for (const char* kind : {"0", "1", "3", "4", "6", "8", "A", "ED", "E9", "EB"})
        EXPECT_GT(kinds[kind], 0) << "no " << kind << " among" << seen;
}

}  // namespace
