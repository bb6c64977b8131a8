#include "app/startup_dialog.h"

#include <string.h>

#include "app/display_settings.h"
#include "app/globals.h"
#include "resources/resource.h"

INT_PTR CALLBACK startupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        // Every run starts from full screen, marked.
        g_settings->fullScreen = 1;
        SendDlgItemMessageA(dialog, IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);

        DEVMODEA mode;
        memset(&mode, 0, sizeof(mode));
        mode.dmSize = DEVMODE_RECORD_SIZE;
        // Without the desktop's size the dialog stays where the template puts it.
        if (EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode)) {
            SetWindowPos(dialog, HWND_TOPMOST, (int)(mode.dmPelsWidth / 2) - 65,
                         (int)(mode.dmPelsHeight / 2) - 63, 100, 100, SWP_NOSIZE);
        }
        // FALSE: the dialog manager does not set the initial focus.
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            g_done = 1;
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_FULLSCREEN:
            // The box flips its own mark; the flag follows it click for click.
            g_settings->fullScreen = 1 - g_settings->fullScreen;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
