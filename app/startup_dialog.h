// The start-up dialog: full screen or a window, "Go" or "Quit".
#ifndef VELMORA_APP_STARTUP_DIALOG_H
#define VELMORA_APP_STARTUP_DIALOG_H

#include "platform/win32.h"

// Leaves the choice in g_settings->fullScreen; "Quit" also sets g_done.
INT_PTR CALLBACK startupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
