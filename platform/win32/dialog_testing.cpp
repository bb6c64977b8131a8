// Dialogs without a display, for tests: scripted DialogBoxParamA and HeadlessDialog.
#include <cstdio>

#include "platform/win32/dialog_state.h"
#include "platform/win32/dialog_testing.h"
#include "platform/win32/testing_state.h"

namespace {

void feed(DialogState& dialog, const win32test::DialogInput& input) {
    switch (input.kind) {
    case win32test::DialogInput::Click:
        win32layer::clickControl(dialog, win32layer::controlIndex(dialog, input.value));
        break;
    case win32test::DialogInput::Key:
        win32layer::pressKey(dialog, input.value, input.shift, input.alt);
        break;
    case win32test::DialogInput::Close:
        win32layer::closeDialog(dialog);
        break;
    }
}

}  // namespace

namespace win32test {

INT_PTR runDialogScript(const DialogTemplate* dialogTemplate, DLGPROC proc, LPARAM param,
                        const std::vector<DialogInput>& script) {
    DialogState dialog;
    INT_PTR result = -1;
    if (win32layer::createDialog(dialog, dialogTemplate, proc)) {
        win32layer::initDialog(dialog, param);
        win32layer::activateDialog(dialog);
        for (size_t i = 0; i < script.size() && !dialog.ended; ++i) feed(dialog, script[i]);
        if (dialog.ended)
            result = dialog.result;
        else
            std::fprintf(stderr, "scripted dialog: the input ran out before the dialog ended\n");
    }
    win32layer::destroyDialog(dialog);
    return result;
}

DialogInput dialogClick(int controlId) { return {DialogInput::Click, controlId, false, false}; }
DialogInput dialogKey(int virtualKey, bool shift, bool alt) {
    return {DialogInput::Key, virtualKey, shift, alt};
}
DialogInput dialogClose() { return {DialogInput::Close, 0, false, false}; }

void scriptNextDialog(const std::vector<DialogInput>& inputs) {
    testState().dialogScripted = true;
    testState().dialogScript = inputs;
}

HeadlessDialog::HeadlessDialog(int templateId, DLGPROC proc, LPARAM param)
    : dialog_(new DialogState()) {
    const DialogTemplate* t = win32layer::findDialogTemplate(templateId);
    if (!t || !win32layer::createDialog(*dialog_, t, proc)) return;
    created_ = true;
    initResult_ = win32layer::initDialog(*dialog_, param);
    win32layer::activateDialog(*dialog_);
}

HeadlessDialog::~HeadlessDialog() { win32layer::destroyDialog(*dialog_); }

bool HeadlessDialog::created() const { return created_; }
HWND HeadlessDialog::handle() const { return &dialog_->window; }

void HeadlessDialog::click(int controlId) { feed(*dialog_, dialogClick(controlId)); }
void HeadlessDialog::key(int virtualKey, bool shift, bool alt) {
    feed(*dialog_, dialogKey(virtualKey, shift, alt));
}
void HeadlessDialog::close() { feed(*dialog_, dialogClose()); }

INT_PTR HeadlessDialog::send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!dialog_->proc) return FALSE;
    return dialog_->proc(&dialog_->window, message, wParam, lParam);
}

int HeadlessDialog::checkState(int controlId) const {
    int index = win32layer::controlIndex(*dialog_, controlId);
    return index < 0 ? BST_UNCHECKED : dialog_->controls[index].check;
}

int HeadlessDialog::focusedId() const {
    return dialog_->focus < 0 ? 0 : dialog_->controls[dialog_->focus].item->id;
}

bool HeadlessDialog::ended() const { return dialog_->ended; }
INT_PTR HeadlessDialog::result() const { return dialog_->result; }
bool HeadlessDialog::moved() const { return dialog_->moved; }
int HeadlessDialog::x() const { return dialog_->x; }
int HeadlessDialog::y() const { return dialog_->y; }
bool HeadlessDialog::topmost() const { return dialog_->topmost; }

}  // namespace win32test
