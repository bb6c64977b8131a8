// A dialog as the layer keeps it: the controls' state, focus, placement and
// outcome live here, and the dialog manager below acts on them. A GTK window
// only shows this state, so the same code runs with or without a display.
#ifndef VELMORA_PLATFORM_WIN32_DIALOG_STATE_H
#define VELMORA_PLATFORM_WIN32_DIALOG_STATE_H

#include <vector>

#include "platform/win32/dialog_template.h"
#include "platform/win32/internal.h"

struct DialogControl {
    const DialogItemTemplate* item;
    int check = BST_UNCHECKED;
};

struct DialogView;  // the GTK window, in dialog_gtk.cpp

struct DialogState {
    const DialogTemplate* dialogTemplate = nullptr;
    DLGPROC proc = nullptr;
    HWND__ window;  // the handle the dialog procedure gets
    std::vector<DialogControl> controls;
    int focus = -1;  // index into controls; -1 while no control has the focus
    bool ended = false;
    INT_PTR result = 0;
    bool moved = false;  // x, y: where SetWindowPos put the outer top-left corner
    int x = 0;
    int y = 0;
    bool sized = false;
    int width = 0;
    int height = 0;
    bool topmost = false;
    DialogView* view = nullptr;  // null while the dialog runs without a display
};

namespace win32layer {

// Builds the controls from the template and makes the handle live; false for
// a control this layer cannot make (only buttons of the three kinds).
bool createDialog(DialogState& dialog, const DialogTemplate* dialogTemplate, DLGPROC proc);
void destroyDialog(DialogState& dialog);

// The dialog manager, as Windows runs it.
// WM_INITDIALOG; when the procedure returns TRUE the first tab stop gets the focus.
INT_PTR initDialog(DialogState& dialog, LPARAM param);
// The dialog becomes active: the focus goes to the first tab stop unless a
// control holds it already.
void activateDialog(DialogState& dialog);
// A click on the control at this index: an automatic check box flips its
// mark, then WM_COMMAND with the control's id.
void clickControl(DialogState& dialog, int index);
// A key: Tab and Shift+Tab move the focus in template order; Enter is the
// focused push button or else the default one; Space clicks the focused
// control; Esc and Alt+F4 are IDCANCEL. Returns whether the key was used.
bool pressKey(DialogState& dialog, int virtualKey, bool shift, bool alt);
// The close box: IDCANCEL.
void closeDialog(DialogState& dialog);
int controlIndex(const DialogState& dialog, int id);

// The GTK side (dialog_gtk.cpp).
// GTK is up on a display the dialog can be shown on.
bool dialogDisplayReady();
// Builds the dialog's window, hidden; false when it cannot.
bool openDialogView(DialogState& dialog);
// Shows the window, activates the dialog and runs until it has ended.
void runDialogView(DialogState& dialog);
void closeDialogView(DialogState& dialog);
// Shows the state in the dialog's window, if it has one.
void updateDialogView(DialogState& dialog);

}  // namespace win32layer

#endif
