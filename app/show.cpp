#include "app/show.h"

#include <stdint.h>

#include "app/globals.h"
#include "music/music_player.h"
#include "scene/scene_sequence_effect.h"
#include "textures/texture_registry.h"
#include "timeline/timeline.h"

// The scene effect's window ends beyond the show, so it is due in every frame.
#define SHOW_EFFECT_END_MS 500000

void loadShow() {
    g_timeline = new Timeline();
    g_textures = new TextureRegistry();
    // Adding the effect runs its init: the fixed GL state and every scene and
    // texture load.
    g_timeline->add(new SceneSequenceEffect(), 0, SHOW_EFFECT_END_MS);
}

int startShow(MusicPlayer* player) {
    // Loading does not count against the show: the clock starts after it,
    // together with the music.
    g_timeline->startTime = (int)timeGetTime();
    return player->play();
}

int handleWaitingMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) return 0;
    if (msg.message == WM_QUIT) {
        g_done = 1;
        return 1;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return 1;
}

void drawShowFrame(MusicPlayer* player, int now) {
    int elapsed = (int)((uint32_t)now - (uint32_t)g_timeline->startTime);
    if (elapsed > SHOW_LENGTH_MS) {
        player->stop();
        g_done = 1;
    }
    // The frame that passes the end is still drawn and shown.
    g_timeline->runFrame(now);
}
