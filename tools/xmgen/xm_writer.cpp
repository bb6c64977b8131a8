#include "tools/xmgen/xm_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace xm {

namespace {

// The format is little-endian throughout.
class Bytes {
public:
    void u8(int v) { out_.push_back(static_cast<uint8_t>(v)); }
    void u16(int v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(static_cast<int>(v & 0xFFFF));
        u16(static_cast<int>(v >> 16));
    }
    // A fixed-size text field, padded with zeros.
    void text(const std::string& s, size_t size) {
        for (size_t i = 0; i < size; ++i) u8(i < s.size() ? s[i] : 0);
    }
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    void append(const std::vector<uint8_t>& more) { out_.insert(out_.end(), more.begin(), more.end()); }
    size_t size() const { return out_.size(); }
    std::vector<uint8_t>& data() { return out_; }

private:
    std::vector<uint8_t> out_;
};

// Packed cells: a flag byte naming the fields that follow.
std::vector<uint8_t> packPattern(const Pattern& p) {
    Bytes b;
    for (int row = 0; row < p.rows(); ++row) {
        for (int ch = 0; ch < p.channels(); ++ch) {
            const Event& e = p.at(row, ch);
            const int flags = (e.note ? 1 : 0) | (e.instrument ? 2 : 0) | (e.volume >= 0 ? 4 : 0) |
                              (e.effect ? 8 : 0) | (e.param ? 16 : 0);
            b.u8(0x80 | flags);
            if (e.note) b.u8(e.note);
            if (e.instrument) b.u8(e.instrument);
            if (e.volume >= 0) b.u8(0x10 + std::min(e.volume, 64));  // volume column: set volume
            if (e.effect) b.u8(e.effect);
            if (e.param) b.u8(e.param);
        }
    }
    return b.data();
}

void writeEnvelope(Bytes& b, const Envelope& env) {
    for (size_t i = 0; i < 12; ++i) {
        b.u16(i < env.points.size() ? env.points[i].first : 0);
        b.u16(i < env.points.size() ? env.points[i].second : 0);
    }
}

void writeInstrument(Bytes& b, const Instrument& ins) {
    const Sample& s = ins.sample;
    const Envelope& env = ins.volume;
    if (env.points.size() > 12) throw std::runtime_error("envelope of " + ins.name + " has more than 12 points");

    b.u32(263);  // instrument header size, as trackers write it
    b.text(ins.name, 22);
    b.u8(0);
    b.u16(1);   // one sample
    b.u32(40);  // sample header size
    b.zeros(96);  // every note plays sample 0
    writeEnvelope(b, env);
    writeEnvelope(b, Envelope{});  // no panning envelope
    b.u8(static_cast<int>(env.points.size()));
    b.u8(0);
    b.u8(std::max(env.sustain, 0));
    b.u8(0);
    b.u8(0);
    b.zeros(3);  // panning sustain and loop
    b.u8(env.points.empty() ? 0 : (1 | (env.sustain >= 0 ? 2 : 0)));
    b.u8(0);
    b.u8(0);  // vibrato: sine, no sweep
    b.u8(0);
    b.u8(ins.vibratoDepth);
    b.u8(ins.vibratoRate);
    b.u16(ins.fadeout);
    b.zeros(22);

    const uint32_t bytes = static_cast<uint32_t>(s.data.size() * 2);
    b.u32(bytes);
    b.u32(s.loop ? static_cast<uint32_t>(s.loopStart * 2) : 0);
    b.u32(s.loop ? bytes - static_cast<uint32_t>(s.loopStart * 2) : 0);
    b.u8(s.volume);
    b.u8(s.finetune & 0xFF);
    b.u8((s.loop ? 1 : 0) | 0x10);  // 16-bit
    b.u8(s.panning);
    b.u8(s.relativeNote & 0xFF);
    b.u8(0);
    b.text(ins.name, 22);

    // Sample data is stored as differences between neighbours.
    int16_t previous = 0;
    for (int16_t v : s.data) {
        b.u16(static_cast<uint16_t>(v - previous));
        previous = v;
    }
}

}  // namespace

int note(const char* name) {
    static const char* names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    for (int i = 0; i < 12; ++i) {
        if (std::strncmp(names + i * 2, name, 2) == 0 && name[2] >= '0' && name[2] <= '7' && name[3] == 0)
            return (name[2] - '0') * 12 + i + 1;
    }
    throw std::runtime_error(std::string("not a note: ") + name);
}

void Sample::setBaseRate(double rateHz) {
    // C-4 with no adjustment plays at 8363 Hz; a semitone is 128 finetune steps.
    const double semitones = 12.0 * std::log2(rateHz / 8363.0);
    relativeNote = static_cast<int>(std::lround(semitones));
    finetune = std::clamp(static_cast<int>(std::lround((semitones - relativeNote) * 128.0)), -128, 127);
}

Module::Module(std::string name, int channels, int speed, int bpm)
    : name_(std::move(name)), channels_(channels), speed_(speed), bpm_(bpm) {}

int Module::addInstrument(Instrument instrument) {
    instruments_.push_back(std::move(instrument));
    return static_cast<int>(instruments_.size());
}

void Module::appendToOrder(const Pattern& pattern) {
    if (pattern.channels() != channels_ || pattern.rows() < 1 || pattern.rows() > 256)
        throw std::runtime_error("pattern does not fit the module");
    auto same = std::find(patterns_.begin(), patterns_.end(), pattern);
    int index = static_cast<int>(same - patterns_.begin());
    if (same == patterns_.end()) patterns_.push_back(pattern);
    order_.push_back(index);
}

int Module::totalRows() const {
    int rows = 0;
    for (int index : order_) rows += patterns_[index].rows();
    return rows;
}

std::vector<uint8_t> Module::bytes() const {
    if (order_.empty() || order_.size() > 256 || patterns_.size() > 256 || instruments_.size() > 128)
        throw std::runtime_error("module too large for the format");
    Bytes b;
    b.text("Extended Module: ", 17);
    b.text(name_, 20);
    b.u8(0x1A);
    b.text("xmgen", 20);
    b.u16(0x0104);
    b.u32(276);  // header size from this field on
    b.u16(static_cast<int>(order_.size()));
    b.u16(0);  // restart position
    b.u16(channels_);
    b.u16(static_cast<int>(patterns_.size()));
    b.u16(static_cast<int>(instruments_.size()));
    b.u16(1);  // linear frequency table
    b.u16(speed_);
    b.u16(bpm_);
    for (size_t i = 0; i < 256; ++i) b.u8(i < order_.size() ? order_[i] : 0);

    for (const Pattern& p : patterns_) {
        const std::vector<uint8_t> packed = packPattern(p);
        b.u32(9);
        b.u8(0);
        b.u16(p.rows());
        b.u16(static_cast<int>(packed.size()));
        b.append(packed);
    }
    for (const Instrument& ins : instruments_) writeInstrument(b, ins);
    return b.data();
}

}  // namespace xm
