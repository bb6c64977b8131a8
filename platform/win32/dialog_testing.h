// Testing interface of the layer's dialogs: a dialog run without a display,
// driven through the same dialog manager as the GTK window.
#ifndef VELMORA_PLATFORM_WIN32_DIALOG_TESTING_H
#define VELMORA_PLATFORM_WIN32_DIALOG_TESTING_H

#include <memory>
#include <vector>

#include "platform/win32/win32_api.h"

struct DialogState;

namespace win32test {

// One piece of input to a dialog, as the window system would deliver it.
struct DialogInput {
    enum Kind { Click, Key, Close };
    Kind kind;
    int value;  // the control id of a click, the virtual key of a key
    bool shift;
    bool alt;
};
DialogInput dialogClick(int controlId);
DialogInput dialogKey(int virtualKey, bool shift = false, bool alt = false);
DialogInput dialogClose();

// The next DialogBoxParamA runs without a display on these inputs, in order,
// and returns the dialog's result; -1 if they run out before it has ended.
void scriptNextDialog(const std::vector<DialogInput>& inputs);

// A dialog from a registered template, built and sent WM_INITDIALOG as
// DialogBoxParamA does, then activated; it lives until destroyed.
class HeadlessDialog {
public:
    HeadlessDialog(int templateId, DLGPROC proc, LPARAM param = 0);
    ~HeadlessDialog();
    HeadlessDialog(const HeadlessDialog&) = delete;
    HeadlessDialog& operator=(const HeadlessDialog&) = delete;

    bool created() const;
    INT_PTR initResult() const { return initResult_; }
    HWND handle() const;

    // Input through the dialog manager.
    void click(int controlId);
    void key(int virtualKey, bool shift = false, bool alt = false);
    void close();
    // A message straight to the procedure; its return value.
    INT_PTR send(UINT message, WPARAM wParam, LPARAM lParam);

    int checkState(int controlId) const;
    int focusedId() const;  // 0 while no control has the focus
    bool ended() const;
    INT_PTR result() const;
    bool moved() const;
    int x() const;
    int y() const;
    bool topmost() const;

private:
    std::unique_ptr<DialogState> dialog_;
    bool created_ = false;
    INT_PTR initResult_ = 0;
};

}  // namespace win32test

#endif
