// Dialogs from templates: the dialog manager on the layer's own state, and
// DialogBoxParamA, EndDialog, SendDlgItemMessageA and SetWindowPos on it.
#include <strings.h>

#include "platform/win32/dialog_state.h"

namespace {

// The program's templates, registered as it starts; apart from the layer's
// state, which tests reset.
std::vector<const DialogTemplate*>& templates() {
    static std::vector<const DialogTemplate*> list;
    return list;
}

DialogState* liveDialog(HWND window) {
    if (!window) return nullptr;
    for (DialogState* d : win32layer::state().dialogs)
        if (&d->window == window) return d;
    return nullptr;
}

DWORD buttonKind(const DialogControl& control) { return control.item->style & BS_TYPEMASK; }

bool isPushButton(const DialogControl& control) {
    DWORD kind = buttonKind(control);
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

bool isTabStop(const DialogControl& control) {
    DWORD style = control.item->style;
    return (style & WS_TABSTOP) && (style & WS_VISIBLE);
}

// The next tab stop after index (before it when backward), wrapping; -1 if none.
int nextTabStop(const DialogState& dialog, int index, bool backward) {
    int count = static_cast<int>(dialog.controls.size());
    for (int step = 1; step <= count; ++step) {
        int i;
        if (index < 0)
            i = backward ? count - step : step - 1;
        else
            i = ((backward ? index - step : index + step) % count + count) % count;
        if (isTabStop(dialog.controls[i])) return i;
    }
    return -1;
}

void sendCommand(DialogState& dialog, int id) {
    if (dialog.ended || !dialog.proc) return;
    dialog.proc(&dialog.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// The id Enter stands for: the focused push button, else the default one.
int enterId(const DialogState& dialog) {
    if (dialog.focus >= 0 && isPushButton(dialog.controls[dialog.focus]))
        return dialog.controls[dialog.focus].item->id;
    for (const DialogControl& c : dialog.controls)
        if (buttonKind(c) == BS_DEFPUSHBUTTON) return c.item->id;
    return IDOK;
}

}  // namespace

namespace win32layer {

void registerDialogTemplate(const DialogTemplate* dialog) { templates().push_back(dialog); }

const DialogTemplate* findDialogTemplate(int id) {
    for (const DialogTemplate* t : templates())
        if (t->id == id) return t;
    return nullptr;
}

bool createDialog(DialogState& dialog, const DialogTemplate* dialogTemplate, DLGPROC proc) {
    dialog.dialogTemplate = dialogTemplate;
    dialog.proc = proc;
    dialog.window.dialog = &dialog;
    dialog.controls.clear();
    for (int i = 0; i < dialogTemplate->itemCount; ++i) {
        const DialogItemTemplate& item = dialogTemplate->items[i];
        DialogControl control;
        control.item = &item;
        if (strcasecmp(item.className, "Button") != 0) return false;
        DWORD kind = buttonKind(control);
        if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON && kind != BS_AUTOCHECKBOX) return false;
        dialog.controls.push_back(control);
    }
    state().dialogs.push_back(&dialog);
    return true;
}

void destroyDialog(DialogState& dialog) {
    forget(state().dialogs, &dialog);
}

int controlIndex(const DialogState& dialog, int id) {
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        if (dialog.controls[i].item->id == id) return static_cast<int>(i);
    return -1;
}

INT_PTR initDialog(DialogState& dialog, LPARAM param) {
    INT_PTR handled = dialog.proc ? dialog.proc(&dialog.window, WM_INITDIALOG, 0, param) : TRUE;
    if (handled && !dialog.ended) {
        dialog.focus = nextTabStop(dialog, -1, false);
        updateDialogView(dialog);
    }
    return handled;
}

// The procedure sets no focus, so it goes to the dialog's check box where
// there is one: Space then flips the setting at once, Enter still means the
// default button. Without one, the first tab stop takes it.
void activateDialog(DialogState& dialog) {
    if (dialog.ended || dialog.focus >= 0) return;
    for (size_t i = 0; i < dialog.controls.size() && dialog.focus < 0; ++i)
        if (buttonKind(dialog.controls[i]) == BS_AUTOCHECKBOX && (dialog.controls[i].item->style & WS_TABSTOP))
            dialog.focus = static_cast<int>(i);
    if (dialog.focus < 0) dialog.focus = nextTabStop(dialog, -1, false);
    updateDialogView(dialog);
}

void clickControl(DialogState& dialog, int index) {
    if (dialog.ended || index < 0 || index >= static_cast<int>(dialog.controls.size())) return;
    DialogControl& control = dialog.controls[index];
    // A click takes the focus, as the mouse does on Windows.
    dialog.focus = index;
    if (buttonKind(control) == BS_AUTOCHECKBOX)
        control.check = control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    updateDialogView(dialog);
    sendCommand(dialog, control.item->id);
}

bool pressKey(DialogState& dialog, int virtualKey, bool shift, bool alt) {
    if (dialog.ended) return false;
    if (alt) {
        if (virtualKey != VK_F4) return false;
        closeDialog(dialog);
        return true;
    }
    switch (virtualKey) {
    case VK_TAB: {
        int next = nextTabStop(dialog, dialog.focus, shift);
        if (next >= 0) dialog.focus = next;
        updateDialogView(dialog);
        return true;
    }
    case VK_RETURN:
        sendCommand(dialog, enterId(dialog));
        return true;
    case VK_ESCAPE:
        sendCommand(dialog, IDCANCEL);
        return true;
    case VK_SPACE:
        if (dialog.focus >= 0) clickControl(dialog, dialog.focus);
        return true;
    default:
        return false;
    }
}

void closeDialog(DialogState& dialog) { sendCommand(dialog, IDCANCEL); }

}  // namespace win32layer

extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC dialogProc,
                                          LPARAM initParam) {
    if (!win32layer::enter("DialogBoxParamA")) return -1;
    // Templates are found by resource id only.
    UINT_PTR name = reinterpret_cast<UINT_PTR>(templateName);
    if (name >> 16) return -1;
    const DialogTemplate* dialogTemplate = win32layer::findDialogTemplate(static_cast<int>(name));
    if (!dialogTemplate) return -1;

    INT_PTR result = -1;
    if (win32layer::seams && win32layer::seams->dialog(dialogTemplate, dialogProc, initParam, &result))
        return result;
    if (win32layer::headless() || !win32layer::dialogDisplayReady()) return -1;

    DialogState dialog;
    if (!win32layer::createDialog(dialog, dialogTemplate, dialogProc)) {
        win32layer::destroyDialog(dialog);
        return -1;
    }
    if (!win32layer::openDialogView(dialog)) {
        win32layer::destroyDialog(dialog);
        return -1;
    }
    win32layer::initDialog(dialog, initParam);
    // A dialog ended during WM_INITDIALOG is never shown.
    if (!dialog.ended) win32layer::runDialogView(dialog);
    win32layer::closeDialogView(dialog);
    win32layer::destroyDialog(dialog);
    return dialog.result;
}

extern "C" BOOL WINAPI EndDialog(HWND window, INT_PTR result) {
    if (!win32layer::enter("EndDialog")) return FALSE;
    DialogState* dialog = liveDialog(window);
    if (!dialog) return FALSE;
    // The dialog closes once the procedure has returned to the dialog's loop.
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

extern "C" LRESULT WINAPI SendDlgItemMessageA(HWND window, int id, UINT message, WPARAM wParam,
                                              LPARAM) {
    win32layer::enter("SendDlgItemMessageA");
    DialogState* dialog = liveDialog(window);
    if (!dialog) return 0;
    int index = win32layer::controlIndex(*dialog, id);
    if (index < 0) return 0;
    DialogControl& control = dialog->controls[index];
    bool checkBox = buttonKind(control) == BS_AUTOCHECKBOX;
    switch (message) {
    case BM_SETCHECK:
        // Push buttons have no mark to set.
        if (checkBox) {
            control.check = wParam == BST_UNCHECKED ? BST_UNCHECKED : BST_CHECKED;
            win32layer::updateDialogView(*dialog);
        }
        return 0;
    case BM_GETCHECK:
        return checkBox ? control.check : BST_UNCHECKED;
    default:
        return 0;
    }
}

extern "C" BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                    UINT flags) {
    if (!win32layer::enter("SetWindowPos")) return FALSE;
    DialogState* dialog = liveDialog(window);
    if (!dialog) return FALSE;
    if (!(flags & SWP_NOMOVE)) {
        dialog->moved = true;
        dialog->x = x;
        dialog->y = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        dialog->sized = true;
        dialog->width = cx;
        dialog->height = cy;
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) dialog->topmost = true;
        if (insertAfter == HWND_NOTOPMOST) dialog->topmost = false;
    }
    win32layer::updateDialogView(*dialog);
    return TRUE;
}
