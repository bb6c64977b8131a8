// The program's entry in the page: hands over to the system's WinMain, then
// leaves the end card, however the show ended.
#include "platform/web/page.h"
#include "platform/win32/win32_api.h"

static HINSTANCE__* processInstance() {
    static char instance;
    return reinterpret_cast<HINSTANCE__*>(&instance);
}

int main() {
    char commandLine[] = "";
    int code = WinMain(processInstance(), nullptr, commandLine, SW_SHOWNORMAL);
    velmora_page_end_card();
    return code;
}
