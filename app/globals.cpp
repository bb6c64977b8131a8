#include "app/globals.h"

DisplaySettings* g_settings = 0;
int g_done = 0;
HWND g_window = 0;
HDC g_dc = 0;
HGLRC g_context = 0;
Timeline* g_timeline = 0;
TextureRegistry* g_textures = 0;
