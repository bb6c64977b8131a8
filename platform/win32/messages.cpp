// The message queue's feed from SDL's events, and Ctrl+C and kill.
#include <SDL.h>

#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/win32/internal.h"

using win32layer::state;

namespace {

// SDL key to Windows virtual key; 0 for keys the system never looks at.
WPARAM virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(VK_F1 + (key - SDLK_F1));
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;        // ends the show
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

void translateKey(const SDL_KeyboardEvent& e) {
    HWND window = win32layer::windowFromSdl(e.windowID);
    WPARAM vk = virtualKey(e.keysym.sym);
    if (!window || !vk) return;
    bool alt = (e.keysym.mod & KMOD_ALT) != 0;
    UINT message;
    if (e.type == SDL_KEYDOWN)
        message = alt || vk == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = alt || vk == VK_MENU ? WM_SYSKEYUP : WM_KEYUP;
    // Repeat count 1, scan code, the context flag while Alt is held.
    LPARAM lParam = 1 | (static_cast<LPARAM>(e.keysym.scancode & KEYSTROKE_SCANCODE_MASK) << KEYSTROKE_SCANCODE_SHIFT);
    if (alt) lParam |= static_cast<LPARAM>(KF_ALTDOWN) << 16;
    if (e.type == SDL_KEYUP) lParam |= static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16;
    win32layer::queueInput(window, message, vk, lParam);
}

void translateWindowEvent(const SDL_WindowEvent& e) {
    HWND window = win32layer::windowFromSdl(e.windowID);
    if (!window) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        // The close button and the window manager's Alt+F4.
        win32layer::queueInput(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (window->fullScreen) break;  // the program keeps its own picture size
        window->clientWidth = e.data1;
        window->clientHeight = e.data2;
        win32layer::queueInput(window, WM_SIZE,
                               (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED
                                                                                       : SIZE_RESTORED,
                               MAKELPARAM(e.data1, e.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        win32layer::queueInput(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        if (window->fullScreen) break;
        SDL_GetWindowSize(window->sdl, &window->clientWidth, &window->clientHeight);
        win32layer::queueInput(window, WM_SIZE,
                               e.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED,
                               MAKELPARAM(window->clientWidth, window->clientHeight));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        win32layer::queueInput(window, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        win32layer::queueInput(window, WM_ACTIVATE, WA_INACTIVE, 0);
        break;
    default:
        break;
    }
}

// Posted by the signal handler for the thread that ends a run held up.
sem_t signalArrived;
bool endsStuckRuns = false;

void requestCloseFromSignal(int) {
    win32layer::closeSignalled = 1;
    if (endsStuckRuns) sem_post(&signalArrived);  // async-signal-safe
}

}  // namespace

namespace win32layer {

void pumpWindowSystem() {
    // Kept until a window exists to be asked.
    if (win32layer::closeSignalled && win32layer::queueCloseRequests()) win32layer::closeSignalled = 0;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: translateKey(e.key); break;
        case SDL_WINDOWEVENT: translateWindowEvent(e.window); break;
        default: break;  // SDL_QUIT follows a window's close, already queued
        }
    }
}

void changeWindowState(HWND window, WPARAM command) {
    if (!liveWindow(window)) return;
    switch (command) {
    case SC_MINIMIZE: SDL_MinimizeWindow(window->sdl); break;
    case SC_MAXIMIZE: SDL_MaximizeWindow(window->sdl); break;
    case SC_RESTORE: SDL_RestoreWindow(window->sdl); break;
    default: break;
    }
}

volatile sig_atomic_t closeSignalled = 0;

void closeOnSignals() {
    struct sigaction close = {};
    close.sa_handler = requestCloseFromSignal;
    close.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &close, nullptr);
    sigaction(SIGTERM, &close, nullptr);
}

void endStuckRunsOnSignals(int graceMs) {
    if (endsStuckRuns || sem_init(&signalArrived, 0, 0) != 0) return;
    endsStuckRuns = true;
    std::thread([graceMs] {
        while (sem_wait(&signalArrived) != 0) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
        // Taken up: a window was asked to close and the run ends in order.
        if (!win32layer::closeSignalled) return;
        // Not taken up: a modal box, the start-up dialog or a load holds the
        // main thread where no message reaches a window. The run ends as the
        // close box would have ended it.
        std::fputs("velmora: ended by a signal while waiting\n", stderr);
        _exit(0);
    }).detach();
}

}  // namespace win32layer
