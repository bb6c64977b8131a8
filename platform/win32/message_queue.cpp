// The thread's message queue, the windows messages are sent to, and the
// default window procedure, shared by the backends: each feeds the queue from
// its window system through queueInput and pumpWindowSystem.
#include "platform/win32/internal.h"

using win32layer::state;

namespace {

MSG makeMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeGetTime();
    return m;
}

bool matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
    if (window && m.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

bool take(std::deque<MSG>& queue, LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    for (size_t i = 0; i < queue.size(); ++i) {
        if (!matches(queue[i], window, filterMin, filterMax)) continue;
        *msg = queue[i];
        if (remove & PM_REMOVE) queue.erase(queue.begin() + static_cast<long>(i));
        return true;
    }
    return false;
}

}  // namespace

namespace win32layer {

HWND liveWindow(HWND window) {
    if (!window) return nullptr;
    for (HWND w : state().windows)
        if (w == window) return w;
    return nullptr;
}

bool queueCloseRequests() {
    for (HWND w : state().windows) queueInput(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    return !state().windows.empty();
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND w = liveWindow(window);
    if (!w || !w->proc) return 0;
    return w->proc(w, message, wParam, lParam);
}

void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    state().input.push_back(makeMsg(window, message, wParam, lParam));
}

}  // namespace win32layer

// Posted messages come first, then the quit request, then input, as in Windows.
extern "C" BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (!msg) return FALSE;
    win32layer::pumpWindowSystem();
    win32layer::State& s = state();
    if (take(s.posted, msg, window, filterMin, filterMax, remove)) return TRUE;
    if (s.quit && (filterMin == 0 && filterMax == 0)) {
        *msg = makeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
        if (remove & PM_REMOVE) s.quit = false;
        return TRUE;
    }
    return take(s.input, msg, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI TranslateMessage(const MSG* msg) {
    // Character messages are never used; report key messages as translated.
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

extern "C" LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return win32layer::sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

extern "C" BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win32layer::enter("PostMessageA")) return FALSE;
    if (window && !win32layer::liveWindow(window)) return FALSE;
    state().posted.push_back(makeMsg(window, message, wParam, lParam));
    return TRUE;
}

extern "C" void WINAPI PostQuitMessage(int exitCode) {
    win32layer::enter("PostQuitMessage");
    state().quit = true;
    state().quitCode = exitCode;
}

extern "C" LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN))
            win32layer::sendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & SC_COMMAND_MASK) {
        case SC_CLOSE: win32layer::sendMessage(window, WM_CLOSE, 0, 0); break;
        case SC_SCREENSAVE:
        case SC_MONITORPOWER: win32layer::holdScreenSaver(false); break;
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_RESTORE: win32layer::changeWindowState(window, wParam & SC_COMMAND_MASK); break;
        default: break;
        }
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}
