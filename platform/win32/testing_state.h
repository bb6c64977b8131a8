// The testing library's own state, in one record beside the layer's; not for
// tests, which use testing.h and dialog_testing.h.
#ifndef VELMORA_PLATFORM_WIN32_TESTING_STATE_H
#define VELMORA_PLATFORM_WIN32_TESTING_STATE_H

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/dialog_testing.h"
#include "platform/win32/testing.h"

struct DialogTemplate;

namespace win32test {

struct TestState {
    std::vector<std::string> log;     // calls made, by name
    std::vector<std::string> faults;  // calls to fail once each, in order asked
    bool captureBoxes = false;
    std::vector<MessageBoxRecord> boxes;
    int desktopWidth = 0;  // 0 x 0: ask SDL
    int desktopHeight = 0;
    std::function<void()> swapHook;
    bool dialogScripted = false;  // the next DialogBoxParamA runs on dialogScript
    std::vector<DialogInput> dialogScript;
};
TestState& testState();

// Runs a dialog without a display on the script's inputs; its result, or -1
// when the inputs run out before it has ended (dialog_testing.cpp).
INT_PTR runDialogScript(const DialogTemplate* dialogTemplate, DLGPROC proc, LPARAM param,
                        const std::vector<DialogInput>& script);

}  // namespace win32test

#endif
