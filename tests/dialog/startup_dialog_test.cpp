// The start-up dialog's procedure, driven through the layer's dialog manager
// without a display.
#include <gtest/gtest.h>

#include "app/display_settings.h"
#include "app/globals.h"
#include "app/startup_dialog.h"
#include "platform/win32/dialog_testing.h"
#include "platform/win32/testing.h"
#include "resources/resource.h"

namespace {

using win32test::HeadlessDialog;

class StartupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        win32test::reset();
        win32test::setDesktopMode(1920, 1080);
        settings.fullScreen = 0;  // the dialog must set it, whatever it was
        g_settings = &settings;
        g_done = 0;
    }
    void TearDown() override {
        g_settings = nullptr;
        g_done = 0;
        win32test::reset();
    }

    DisplaySettings settings;
};

TEST_F(StartupDialog, OpensFullScreenMarkedTopmostAndCentredOnTheDesktop) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    ASSERT_TRUE(dialog.created());
    EXPECT_EQ(dialog.initResult(), FALSE);
    EXPECT_EQ(settings.fullScreen, 1);
    EXPECT_EQ(dialog.checkState(IDC_FULLSCREEN), BST_CHECKED);
    EXPECT_TRUE(dialog.moved());
    EXPECT_EQ(dialog.x(), 895);
    EXPECT_EQ(dialog.y(), 477);
    EXPECT_TRUE(dialog.topmost());
    EXPECT_FALSE(dialog.ended());
    EXPECT_EQ(g_done, 0);
}

TEST_F(StartupDialog, PlacementUsesIntegerHalvesAndFixedOffsets) {
    win32test::setDesktopMode(1365, 767);
    HeadlessDialog odd(IDD_STARTUP, startupDialogProc);
    EXPECT_EQ(odd.x(), 682 - 65);
    EXPECT_EQ(odd.y(), 383 - 63);

    // A desktop smaller than the offsets puts the corner off screen, as asked.
    win32test::setDesktopMode(100, 100);
    HeadlessDialog tiny(IDD_STARTUP, startupDialogProc);
    EXPECT_EQ(tiny.x(), -15);
    EXPECT_EQ(tiny.y(), -13);
}

TEST_F(StartupDialog, DesktopModeUnreadableLeavesTheDialogWhereItIs) {
    win32test::failNextCall("EnumDisplaySettingsA");
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    EXPECT_EQ(dialog.initResult(), FALSE);
    EXPECT_EQ(settings.fullScreen, 1);
    EXPECT_EQ(dialog.checkState(IDC_FULLSCREEN), BST_CHECKED);
    EXPECT_FALSE(dialog.moved());
}

TEST_F(StartupDialog, GoEndsWithOneAndKeepsTheRunGoing) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    EXPECT_EQ(dialog.send(WM_COMMAND, MAKEWPARAM(IDOK, 0), 0), TRUE);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), 1);
    // Input after the end reaches nobody.
    dialog.key(VK_ESCAPE);
    dialog.click(IDC_FULLSCREEN);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(g_done, 0);
    EXPECT_EQ(settings.fullScreen, 1);
}

TEST_F(StartupDialog, QuitSetsDoneAndEndsWithZero) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    // The notification code in the high word is not looked at.
    EXPECT_EQ(dialog.send(WM_COMMAND, MAKEWPARAM(IDCANCEL, 5), 0), TRUE);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(g_done, 1);
}

TEST_F(StartupDialog, FullScreenBoxFlipsFlagAndMarkTogether) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    for (int click = 1; click <= 3; ++click) {
        dialog.click(IDC_FULLSCREEN);
        int expected = click % 2 == 0 ? 1 : 0;
        EXPECT_EQ(settings.fullScreen, expected) << "click " << click;
        EXPECT_EQ(dialog.checkState(IDC_FULLSCREEN), expected ? BST_CHECKED : BST_UNCHECKED)
            << "click " << click;
    }
    EXPECT_FALSE(dialog.ended());
    dialog.click(IDOK);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(settings.fullScreen, 0);
}

TEST_F(StartupDialog, OtherCommandsAndMessagesAreNotHandled) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    EXPECT_EQ(dialog.send(WM_COMMAND, MAKEWPARAM(42, 0), 0), FALSE);
    EXPECT_EQ(dialog.send(WM_COMMAND, MAKEWPARAM(0, IDC_FULLSCREEN), 0), FALSE);
    EXPECT_EQ(dialog.send(WM_CLOSE, 0, 0), FALSE);
    EXPECT_EQ(dialog.send(WM_KEYDOWN, VK_RETURN, 0), FALSE);
    EXPECT_EQ(dialog.send(WM_SYSCOMMAND, SC_CLOSE, 0), FALSE);
    EXPECT_FALSE(dialog.ended());
    EXPECT_EQ(settings.fullScreen, 1);
    EXPECT_EQ(g_done, 0);
}

// The keyboard, as the GTK dialog passes it on.

TEST_F(StartupDialog, EnterStartsWithWhateverTheBoxShows) {
    HeadlessDialog marked(IDD_STARTUP, startupDialogProc);
    marked.key(VK_RETURN);
    EXPECT_EQ(marked.result(), 1);
    EXPECT_EQ(settings.fullScreen, 1);

    HeadlessDialog cleared(IDD_STARTUP, startupDialogProc);
    ASSERT_EQ(cleared.focusedId(), IDC_FULLSCREEN);
    cleared.key(VK_SPACE);
    EXPECT_EQ(cleared.checkState(IDC_FULLSCREEN), BST_UNCHECKED);
    EXPECT_EQ(settings.fullScreen, 0);
    // Enter on the check box is the default button, "Go".
    cleared.key(VK_RETURN);
    EXPECT_TRUE(cleared.ended());
    EXPECT_EQ(cleared.result(), 1);
    EXPECT_EQ(settings.fullScreen, 0);
    EXPECT_EQ(g_done, 0);
}

TEST_F(StartupDialog, EscCloseBoxAndAltF4Quit) {
    for (int way = 0; way < 3; ++way) {
        g_done = 0;
        HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
        if (way == 0) dialog.key(VK_ESCAPE);
        if (way == 1) dialog.close();
        if (way == 2) dialog.key(VK_F4, false, true);
        EXPECT_TRUE(dialog.ended()) << "way " << way;
        EXPECT_EQ(dialog.result(), 0) << "way " << way;
        EXPECT_EQ(g_done, 1) << "way " << way;
    }
}

TEST_F(StartupDialog, TabFollowsTemplateOrderAndEnterTakesTheFocusedButton) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    // The focus starts on the check box; Tab goes on in template order.
    EXPECT_EQ(dialog.focusedId(), IDC_FULLSCREEN);
    dialog.key(VK_TAB);
    EXPECT_EQ(dialog.focusedId(), IDOK);
    dialog.key(VK_TAB);
    EXPECT_EQ(dialog.focusedId(), IDCANCEL);
    dialog.key(VK_TAB);
    EXPECT_EQ(dialog.focusedId(), IDC_FULLSCREEN);
    dialog.key(VK_TAB, true);
    EXPECT_EQ(dialog.focusedId(), IDCANCEL);
    EXPECT_EQ(settings.fullScreen, 1);
    dialog.key(VK_RETURN);
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(g_done, 1);
}

TEST_F(StartupDialog, SpaceClicksTheFocusedControl) {
    HeadlessDialog dialog(IDD_STARTUP, startupDialogProc);
    dialog.click(IDC_FULLSCREEN);  // a click takes the focus too
    EXPECT_EQ(dialog.focusedId(), IDC_FULLSCREEN);
    dialog.key(VK_SPACE);
    EXPECT_EQ(settings.fullScreen, 1);
    EXPECT_EQ(dialog.checkState(IDC_FULLSCREEN), BST_CHECKED);
    dialog.key(VK_TAB);  // to "Go"
    dialog.key(VK_SPACE);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(g_done, 0);
}

TEST_F(StartupDialog, ScriptedDialogBoxLeavesTheChoice) {
    win32test::scriptNextDialog({win32test::dialogClick(IDC_FULLSCREEN), win32test::dialogKey(VK_RETURN)});
    static char instance;
    INT_PTR result = DialogBoxParamA(reinterpret_cast<HINSTANCE>(&instance),
                                     MAKEINTRESOURCEA(IDD_STARTUP), nullptr, startupDialogProc, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(settings.fullScreen, 0);
    EXPECT_EQ(g_done, 0);

    const std::vector<std::string>& log = win32test::callLog();
    std::vector<std::string> expected = {"DialogBoxParamA", "SendDlgItemMessageA",
                                         "EnumDisplaySettingsA", "SetWindowPos", "EndDialog"};
    EXPECT_EQ(log, expected);
}

}  // namespace
