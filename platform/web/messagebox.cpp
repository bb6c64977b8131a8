// MessageBoxA as a modal box on the page.
#include "platform/web/page.h"
#include "platform/win32/internal.h"

extern "C" int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    win32layer::enter("MessageBoxA");
    if (!text) text = "";
    if (!caption) caption = "Error";
    if (win32layer::recordMessageBox(caption, text, type)) return IDOK;
    // The program waits until the viewer presses OK, as Windows makes it.
    velmora_page_message_box(caption, text, static_cast<int>(type & MB_ICONMASK));
    return IDOK;
}
