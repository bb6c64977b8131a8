// The show itself, shared by the demo's WinMain and any other program that
// plays it: loading, starting with the music, and drawing one frame.
#ifndef VELMORA_APP_SHOW_H
#define VELMORA_APP_SHOW_H

class MusicPlayer;

// SHOW_LENGTH_MS: running time of the show, in ms from startTime.
#include "scene/show_schedule.h"

// Creates the timeline and the texture registry and adds the scene sequence,
// whose init sets the fixed GL state and loads every scene and texture. The
// GL context must be current.
void loadShow();

// Starts the clock and the music together; 1 when the music started.
int startShow(MusicPlayer* player);

// Handles one message the window system queued, as the demo's loop does
// between frames; 0 when none waited. WM_QUIT ends the run (g_done).
int handleWaitingMessage();

// Draws the frame for clock value now (not yet shown). The frame that passes
// the end is still drawn; it stops the music and sets g_done.
void drawShowFrame(MusicPlayer* player, int now);

#endif
