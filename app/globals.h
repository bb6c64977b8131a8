// Process-wide state of the application shell.
#ifndef VELMORA_APP_GLOBALS_H
#define VELMORA_APP_GLOBALS_H

#include "platform/win32.h"

class DisplaySettings;
class Timeline;
class TextureRegistry;

extern DisplaySettings* g_settings;  // created first; every error box goes through it
extern int g_done;                   // 1: leave (the dialog's "Quit" or the end of the show)
extern HWND g_window;
extern HDC g_dc;
extern HGLRC g_context;
extern Timeline* g_timeline;
extern TextureRegistry* g_textures;

#endif
