// Runs the start-up dialog as the program does and prints what it left behind.
#include <cstdio>

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/startup_dialog.h"
#include "resources/resource.h"

int main() {
    static char instance;
    g_settings = new DisplaySettings();
    INT_PTR result = DialogBoxParamA(reinterpret_cast<HINSTANCE>(&instance),
                                     MAKEINTRESOURCEA(IDD_STARTUP), nullptr, startupDialogProc, 0);
    std::printf("result=%d fullScreen=%d done=%d\n", static_cast<int>(result), g_settings->fullScreen,
                g_done);
    // Out before any exit-time check of the sanitizers.
    std::fflush(stdout);
    delete g_settings;
    return 0;
}
