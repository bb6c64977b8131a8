// The layer's shared services in the browser: its state, and a page that can
// always show boxes and dialogs.
#include "platform/win32/internal.h"

namespace win32layer {

const Seams* seams = nullptr;

State& state() {
    static State s;
    return s;
}

bool videoReady() { return true; }

bool headless() { return false; }

// A page cannot hold off the screen saver without asking for a wake lock; the
// layer only keeps what the window procedure decided.
void holdScreenSaver(bool off) { state().screenSaverOff = off; }

}  // namespace win32layer
