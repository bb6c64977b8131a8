// MessageBoxA on SDL's message box; standard error when nothing can show one.
#include <SDL.h>

#include <cstdio>

#include "platform/win32/internal.h"

extern "C" int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    win32layer::enter("MessageBoxA");
    if (!text) text = "";
    if (!caption) caption = "Error";
    if (win32layer::recordMessageBox(caption, text, type)) return IDOK;

    if (!win32layer::headless()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        switch (type & MB_ICONMASK) {
        case MB_ICONHAND: flags = SDL_MESSAGEBOX_ERROR; break;
        case MB_ICONEXCLAMATION: flags = SDL_MESSAGEBOX_WARNING; break;
        default: break;
        }
        SDL_MessageBoxButtonData ok = {
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
        SDL_MessageBoxData box = {flags, nullptr, caption, text, 1, &ok, nullptr};
        int pressed = IDOK;
        if (SDL_ShowMessageBox(&box, &pressed) == 0) return IDOK;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}
