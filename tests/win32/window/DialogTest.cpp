#include "ScriptedDialog.h"
#include "window/Application_win32.h"
#include <gtest/gtest.h>
#include <thread>

namespace {

class DialogTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
};

// A plain top-level window to own the dialogs under test.
struct OwnerWindow {
    HWND handle = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    OwnerWindow()
    {
        SetForegroundWindow(handle);
        SetActiveWindow(handle);
    }
    ~OwnerWindow() { DestroyWindow(handle); }
};

} // namespace

TEST_F(DialogTest, EndDialogFromInitialisationReturnsItsCode)
{
    ScriptedDialog dialog;
    dialog.onInit = [](ScriptedDialog& d) { d.EndDialog(42); };
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_EQ(1, dialog.initCalls);
    // The default initialisation pushes the members into the controls.
    ASSERT_FALSE(dialog.exchanges.empty());
    EXPECT_FALSE(dialog.exchanges.front());
}

TEST_F(DialogTest, OkTakesTheControlValuesAndEscapeCloseBoxAndSystemMenuCloseReachOnCancel)
{
    const std::function<void(ScriptedDialog&)> ways[] = {
        [](ScriptedDialog& d) { PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)d.Item(IDOK)); },
        [](ScriptedDialog& d) { PostMessageA(d.Item(IDC_EDIT), WM_KEYDOWN, VK_ESCAPE, 0); },
        [](ScriptedDialog& d) { PostMessageA(d.Handle(), WM_CLOSE, 0, 0); },
        [](ScriptedDialog& d) { PostMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (size_t i = 0; i < 4; ++i) {
        const bool ok = i == 0;
        ScriptedDialog dialog;
        dialog.onStep = ways[i];
        EXPECT_EQ(ok ? IDOK : IDCANCEL, dialog.DoModal()) << "way " << i;
        EXPECT_EQ(ok ? 1 : 0, dialog.okCalls) << "way " << i;
        EXPECT_EQ(ok ? 0 : 1, dialog.cancelCalls) << "way " << i;
        // Only OK takes the control values.
        EXPECT_EQ(ok ? (std::vector<bool>{false, true}) : (std::vector<bool>{false}), dialog.exchanges) << "way " << i;
    }
}

TEST_F(DialogTest, MissingTemplateReturnsMinusOneAndLeavesOwnerEnabled)
{
    OwnerWindow owner;
    ScriptedDialog dialog(owner.handle, IDD_MISSING);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(0, dialog.initCalls);
    EXPECT_TRUE(IsWindowEnabled(owner.handle));
}

TEST_F(DialogTest, OwnerIsDisabledDuringTheRunAndEnabledAndActiveAfterwards)
{
    OwnerWindow owner;
    ASSERT_EQ(owner.handle, GetActiveWindow());
    ScriptedDialog dialog(owner.handle);
    bool enabledDuringRun = true;
    HWND activeDuringRun = nullptr;
    HWND dialogWindow = nullptr;
    dialog.onStep = [&](ScriptedDialog& d) {
        dialogWindow = d.Handle();
        enabledDuringRun = IsWindowEnabled(owner.handle) != FALSE;
        activeDuringRun = GetActiveWindow();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_EQ(dialogWindow, activeDuringRun);
    EXPECT_TRUE(IsWindowEnabled(owner.handle));
    EXPECT_EQ(owner.handle, GetActiveWindow());
}

TEST_F(DialogTest, QuitDuringTheLoopEndsItAndIsPostedAgain)
{
    ScriptedDialog dialog;
    dialog.onStep = [](ScriptedDialog&) { PostQuitMessage(5); };
    EXPECT_EQ(-1, dialog.DoModal());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(5u, msg.wParam);
}

TEST_F(DialogTest, EndDialogFromAMessageSentByAnotherThreadEndsTheLoop)
{
    ScriptedDialog dialog;
    std::thread sender;
    int steps = 0;
    dialog.onStep = [&](ScriptedDialog& d) {
        if (++steps == 1) {
            HWND window = d.Handle();
            // The pause only lets the loop fall idle first, so that the
            // message arrives while it waits; the test passes either way.
            sender = std::thread([window] {
                Sleep(200);
                SendMessageA(window, ScriptedDialog::kStep, 0, 0);
            });
        } else {
            d.EndDialog(9);
        }
    };
    EXPECT_EQ(9, dialog.DoModal());
    sender.join();
}
