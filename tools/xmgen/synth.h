// The show's instruments, synthesised in code: drums from shaped noise and
// swept sines, tonal voices from looped, slightly detuned oscillator pairs.
#ifndef VELMORA_TOOLS_XMGEN_SYNTH_H
#define VELMORA_TOOLS_XMGEN_SYNTH_H

#include "tools/xmgen/xm_writer.h"

namespace synth {

// Drums sound as recorded when played at C-4.
xm::Instrument kick();
xm::Instrument snare();
xm::Instrument hat();
xm::Instrument crash();
xm::Instrument openHat();
// Looped, darkened noise: played low and slid upwards it rises into a cut.
xm::Instrument riser();

// Tonal voices are tuned so that C-4 sounds middle C.
xm::Instrument bass();
xm::Instrument lead();
xm::Instrument pad();
xm::Instrument pluck();
// A thin pulse with a short decay, for chords played as fast arpeggios.
xm::Instrument chip();
// A soft, round voice that sits under the lead.
xm::Instrument flute();

}  // namespace synth

#endif
