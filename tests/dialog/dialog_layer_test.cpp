// The layer's dialogs: the template generated from the resource script, and
// DialogBoxParamA, EndDialog, SendDlgItemMessageA and SetWindowPos.
#include <gtest/gtest.h>

#include <cstdlib>


#include "platform/win32/dialog_template.h"
#include "platform/win32/dialog_testing.h"
#include "platform/win32/testing.h"
#include "resources/resource.h"

namespace {

HINSTANCE instance() {
    static char token;
    return reinterpret_cast<HINSTANCE>(&token);
}

// A procedure that handles nothing and remembers the last command.
int g_lastCommand = 0;
INT_PTR CALLBACK passiveProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) g_lastCommand = LOWORD(wParam);
    return FALSE;
}

// Ends at once with 7, from WM_INITDIALOG.
INT_PTR CALLBACK endAtOnceProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) EndDialog(dialog, 7);
    return TRUE;
}

TEST(DialogTemplate, StartupDialogAsTheResourceScriptDefinesIt) {
    const DialogTemplate* t = win32layer::findDialogTemplate(101);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->language, 1036);
    EXPECT_STREQ(t->caption, "Velmora by Zorv !");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_STREQ(t->typeface, "MS Sans Serif");
    EXPECT_EQ(t->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t->x, 0);
    EXPECT_EQ(t->y, 0);
    EXPECT_EQ(t->cx, 186);
    EXPECT_EQ(t->cy, 39);

    struct Expected {
        const char* text;
        int id;
        DWORD kind;
        int x, y, cx, cy;
    };
    const Expected controls[] = {{"Go", 1, BS_DEFPUSHBUTTON, 129, 15, 50, 14},
                                 {"Quit", 2, BS_PUSHBUTTON, 75, 15, 50, 14},
                                 {"Full Screen", 1033, BS_AUTOCHECKBOX, 15, 17, 51, 10}};
    ASSERT_EQ(t->itemCount, 3);
    for (int i = 0; i < 3; ++i) {
        const DialogItemTemplate& item = t->items[i];
        const Expected& e = controls[i];
        SCOPED_TRACE(e.text);
        EXPECT_STREQ(item.text, e.text);
        EXPECT_EQ(item.id, e.id);
        EXPECT_STREQ(item.className, "Button");
        EXPECT_EQ(item.style, static_cast<DWORD>(e.kind | WS_CHILD | WS_VISIBLE | WS_TABSTOP));
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
    }
}

class DialogLayer : public ::testing::Test {
protected:
    void SetUp() override {
        win32test::reset();
        g_lastCommand = 0;
    }
    void TearDown() override { win32test::reset(); }
};

TEST_F(DialogLayer, DialogBoxFailsWithMinusOneWhenNothingCanShowIt) {
    // The tests run with SDL's offscreen driver: no display.
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, passiveProc, 0), -1);
    // No such template, or a template by name.
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(999), nullptr, passiveProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(instance(), "STARTUP", nullptr, passiveProc, 0), -1);
    win32test::failNextCall("DialogBoxParamA");
    win32test::scriptNextDialog({win32test::dialogKey(VK_RETURN)});
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, passiveProc, 0), -1);
    EXPECT_EQ(g_lastCommand, 0);  // the procedure never ran
}

TEST_F(DialogLayer, DialogBoxFailsWithMinusOneWhenTheXServerIsUnreachable) {
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, passiveProc, 0), -1);
}

TEST_F(DialogLayer, ScriptedDialogReturnsTheEndResult) {
    win32test::scriptNextDialog({});
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, endAtOnceProc, 0), 7);

    // Input that never ends the dialog: -1, and the script is used up.
    win32test::scriptNextDialog({win32test::dialogClick(IDC_FULLSCREEN)});
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, passiveProc, 0), -1);
    EXPECT_EQ(g_lastCommand, IDC_FULLSCREEN);
    EXPECT_EQ(DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_STARTUP), nullptr, passiveProc, 0), -1);
}

TEST_F(DialogLayer, CheckMarksAreKeptPerCheckBoxOnly) {
    win32test::HeadlessDialog dialog(IDD_STARTUP, passiveProc);
    HWND h = dialog.handle();
    EXPECT_EQ(SendDlgItemMessageA(h, IDC_FULLSCREEN, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendDlgItemMessageA(h, IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendDlgItemMessageA(h, IDC_FULLSCREEN, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(dialog.checkState(IDC_FULLSCREEN), BST_CHECKED);
    // The procedure does not see BM_SETCHECK as a click.
    EXPECT_EQ(g_lastCommand, 0);
    // The automatic box flips its own mark on a click.
    dialog.click(IDC_FULLSCREEN);
    EXPECT_EQ(SendDlgItemMessageA(h, IDC_FULLSCREEN, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(g_lastCommand, IDC_FULLSCREEN);

    // Push buttons have no mark; unknown controls and handles answer 0.
    SendDlgItemMessageA(h, IDOK, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendDlgItemMessageA(h, IDOK, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendDlgItemMessageA(h, 4242, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(nullptr, IDC_FULLSCREEN, BM_GETCHECK, 0, 0), 0);
}

TEST_F(DialogLayer, HandlesOtherThanLiveDialogsAreRefused) {
    HWND stranger = reinterpret_cast<HWND>(&g_lastCommand);
    EXPECT_FALSE(EndDialog(stranger, 1));
    EXPECT_FALSE(EndDialog(nullptr, 1));
    EXPECT_FALSE(SetWindowPos(stranger, HWND_TOPMOST, 1, 2, 0, 0, SWP_NOSIZE));

    HWND gone;
    {
        win32test::HeadlessDialog dialog(IDD_STARTUP, passiveProc);
        gone = dialog.handle();
        EXPECT_TRUE(SetWindowPos(gone, HWND_TOPMOST, 10, 20, 100, 100, SWP_NOSIZE));
        EXPECT_EQ(dialog.x(), 10);
        EXPECT_EQ(dialog.y(), 20);
        EXPECT_TRUE(dialog.topmost());
        EXPECT_TRUE(EndDialog(gone, 3));
        EXPECT_EQ(dialog.result(), 3);
    }
    EXPECT_FALSE(EndDialog(gone, 1));
}

}  // namespace
