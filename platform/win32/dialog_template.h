// Dialog templates as the layer reads them: the fields of a standard Windows
// dialog template. The tables are generated from the resource script, never
// written by hand (resources/rc_to_cpp.cmake).
#ifndef VELMORA_PLATFORM_WIN32_DIALOG_TEMPLATE_H
#define VELMORA_PLATFORM_WIN32_DIALOG_TEMPLATE_H

#include "platform/win32/win32_api.h"

// One control; position and size in dialog units.
struct DialogItemTemplate {
    const char* text;
    int id;
    const char* className;
    DWORD style;
    int x, y, cx, cy;
};

struct DialogTemplate {
    int id;
    int language;
    DWORD style;
    const char* caption;
    int pointSize;         // with typeface, the font that sets the dialog units
    const char* typeface;  // null without DS_SETFONT
    int x, y, cx, cy;
    const DialogItemTemplate* items;  // template order, which is the tab order
    int itemCount;
};

namespace win32layer {

// The program's dialogs, as DialogBoxParamA finds them by resource id.
void registerDialogTemplate(const DialogTemplate* dialog);
const DialogTemplate* findDialogTemplate(int id);

// Registers a generated template when the program starts.
struct DialogTemplateRegistration {
    explicit DialogTemplateRegistration(const DialogTemplate* dialog) {
        registerDialogTemplate(dialog);
    }
};

}  // namespace win32layer

#endif
