// The start-up dialog as the page's own HTML: controls at their template
// places, dialog units turned into pixels with the base units of the
// template's 8-point font (6 x 13). The dialog manager (platform/win32/dialog.cpp)
// keeps the state; the page only shows it and reports what the viewer did.
#include "platform/web/page.h"
#include "platform/win32/dialog_state.h"

namespace {

const int kBaseX = 6;
const int kBaseY = 13;

int pixelsX(int units) { return units * kBaseX / 4; }
int pixelsY(int units) { return units * kBaseY / 8; }

const int kKey = 0x10000;
const int kShift = 0x20000;
const int kAlt = 0x40000;
const int kClose = 0x80000;

}  // namespace

namespace win32layer {

bool dialogDisplayReady() { return true; }

bool openDialogView(DialogState& dialog) {
    const DialogTemplate* t = dialog.dialogTemplate;
    velmora_page_dialog_open(t->caption ? t->caption : "", pixelsX(t->cx), pixelsY(t->cy));
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const DialogItemTemplate* item = dialog.controls[i].item;
        DWORD kind = item->style & BS_TYPEMASK;
        int pageKind = kind == BS_DEFPUSHBUTTON ? 1 : kind == BS_AUTOCHECKBOX ? 2 : 0;
        velmora_page_dialog_add(static_cast<int>(i), item->text ? item->text : "", pageKind, pixelsX(item->x),
                                pixelsY(item->y), pixelsX(item->cx), pixelsY(item->cy));
    }
    dialog.view = reinterpret_cast<DialogView*>(&dialog);
    return true;
}

void updateDialogView(DialogState& dialog) {
    if (!dialog.view) return;
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        velmora_page_dialog_show(static_cast<int>(i), dialog.controls[i].check == BST_CHECKED,
                                 dialog.focus == static_cast<int>(i));
}

void runDialogView(DialogState& dialog) {
    activateDialog(dialog);
    while (!dialog.ended) {
        int event = velmora_page_dialog_next();
        if (event & kClose)
            closeDialog(dialog);
        else if (event & kKey)
            pressKey(dialog, event & 0xffff, (event & kShift) != 0, (event & kAlt) != 0);
        else
            clickControl(dialog, event);
    }
}

void closeDialogView(DialogState& dialog) {
    if (!dialog.view) return;
    velmora_page_dialog_close();
    dialog.view = nullptr;
}

}  // namespace win32layer
