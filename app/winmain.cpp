// The entry point: the order of the whole run.
#include "platform/win32.h"

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/show.h"
#include "app/startup_dialog.h"
#include "music/music_player.h"
#include "resources/resource.h"

// Handles one waiting message per pass, or draws one frame when none waits.
static void runMainLoop(MusicPlayer* player) {
    while (!g_done) {
        if (handleWaitingMessage()) continue;
        // One clock reading serves the end test and every effect of the frame.
        drawShowFrame(player, (int)timeGetTime());
        SwapBuffers(g_dc);
    }
}

// Every early end still frees the song and closes the sound library.
static int endEarly(MusicPlayer* player) {
    player->release();
    delete player;
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_settings = new DisplaySettings();

    // The song loads before the dialog, so its error boxes come first.
    MusicPlayer* player = new MusicPlayer(DATA_DIR "velmora.xm", Module);

    // The viewer's only choice; "Quit" leaves before any window exists.
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_STARTUP), 0, startupDialogProc, 0);
    if (g_done == 1) return endEarly(player);

    g_window = g_settings->openWindow(instance);
    if (!g_window) return endEarly(player);
    if (!g_settings->enableGL(g_window, &g_dc, &g_context)) return endEarly(player);

    ShowWindow(g_window, SW_SHOW);
    SetForegroundWindow(g_window);
    SetFocus(g_window);

    // Every scene and texture loads with the window already shown.
    loadShow();
    if (!startShow(player)) {
        g_settings->shutdown(g_window, g_dc, g_context);
        return endEarly(player);
    }

    runMainLoop(player);

    g_settings->shutdown(g_window, g_dc, g_context);
    player->release();
    delete player;
    return 0;
}
