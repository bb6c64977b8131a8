// The entry point: the order of the whole run.
#include "platform/win32.h"

#include <stdint.h>

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/startup_dialog.h"
#include "music/music_player.h"
#include "resources/resource.h"
#include "scene/scene_sequence_effect.h"
#include "textures/texture_registry.h"
#include "timeline/timeline.h"

// Running time of the show, in ms from startTime.
#define SHOW_LENGTH_MS 147858
// The scene effect's window ends beyond the show, so it is due in every frame.
#define SHOW_EFFECT_END_MS 500000

// Handles one waiting message per pass, or draws one frame when none waits.
static void runMainLoop(MusicPlayer* player) {
    MSG msg;
    while (!g_done) {
        if (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                g_done = 1;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // One clock reading serves the end test and every effect of the frame.
        int now = (int)timeGetTime();
        int elapsed = (int)((uint32_t)now - (uint32_t)g_timeline->startTime);
        if (elapsed > SHOW_LENGTH_MS) {
            player->stop();
            g_done = 1;
        }
        // The frame that passes the end is still drawn and shown.
        g_timeline->runFrame(now);
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

    g_timeline = new Timeline();
    g_textures = new TextureRegistry();

    // Adding the effect runs its init: the fixed GL state and every scene and
    // texture load, with the window already shown.
    g_timeline->add(new SceneSequenceEffect(), 0, SHOW_EFFECT_END_MS);

    // Loading does not count against the show: the clock starts after it,
    // together with the music.
    g_timeline->startTime = (int)timeGetTime();
    if (!player->play()) {
        g_settings->shutdown(g_window, g_dc, g_context);
        return endEarly(player);
    }

    runMainLoop(player);

    g_settings->shutdown(g_window, g_dc, g_context);
    player->release();
    delete player;
    return 0;
}
