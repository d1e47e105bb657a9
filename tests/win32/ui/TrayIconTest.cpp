#include "TrayTestResources.h"
#include "ui/TrayIcon_win32.h"
#include "window/Application_win32.h"
#include <gtest/gtest.h>
#include <cstddef>
#include <string>
#include <vector>

namespace {

// Stands in for the shell: records each call and answers as told.
struct FakeShell {
    struct Call {
        DWORD operation;
        NOTIFYICONDATAA data;
    };
    std::vector<Call> calls;
    BOOL answer = TRUE;

    CTrayIcon::ShellNotify Notify()
    {
        return [this](DWORD operation, NOTIFYICONDATAA* data) {
            calls.push_back({operation, *data});
            return answer;
        };
    }
};

// Receives the tray icon's commands.
std::vector<WPARAM> commands;

LRESULT CALLBACK CommandProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND) commands.push_back(wp);
    return DefWindowProcA(window, msg, wp, lp);
}

struct CommandWindow {
    CommandWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CommandProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HoraluxTrayTestOwner";
        RegisterClassA(&wc);
        handle = CreateWindowExA(0, wc.lpszClassName, "Tray owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        commands.clear();
    }
    ~CommandWindow() { DestroyWindow(handle); }
    HWND handle;
};

class TrayIconTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
    FakeShell shell;
    HICON first = LoadIconA(nullptr, IDI_APPLICATION);
    HICON second = LoadIconA(nullptr, IDI_WARNING);
    HWND owner = reinterpret_cast<HWND>(0x1234);
};

} // namespace

TEST_F(TrayIconTest, RecordHasTheFirstLayoutSizeIdentifierAndTip)
{
    CTrayIcon tray(IDR_TRAY, shell.Notify());
    EXPECT_EQ(offsetof(NOTIFYICONDATAA, szTip) + 64, tray.Data().cbSize);
    EXPECT_EQ(static_cast<UINT>(IDR_TRAY), tray.Data().uID);
    EXPECT_STREQ("Horalux GPS clock", tray.Data().szTip);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, AddThenModifyThenDelete)
{
    CTrayIcon tray(IDR_NO_TIP, shell.Notify());
    EXPECT_TRUE(tray.SetIcon(first, nullptr));
    EXPECT_TRUE(tray.SetIcon(second, nullptr));
    EXPECT_TRUE(tray.SetIcon(0u));
    ASSERT_EQ(3u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[0].operation);
    EXPECT_EQ(first, shell.calls[0].data.hIcon);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.calls[1].operation);
    EXPECT_EQ(second, shell.calls[1].data.hIcon);
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.calls[2].operation);
    for (const auto& call : shell.calls) {
        EXPECT_EQ(static_cast<UINT>(IDR_NO_TIP), call.data.uID);
        EXPECT_EQ(tray.Data().cbSize, call.data.cbSize);
    }
    EXPECT_TRUE(tray.SetIcon(first, nullptr));
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls.back().operation);
}


TEST_F(TrayIconTest, FlagsFollowTipWindowAndMessage)
{
    CTrayIcon tray(IDR_NO_TIP, shell.Notify());
    tray.SetIcon(first, nullptr);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), shell.calls.back().data.uFlags);

    tray.SetIcon(first, "tip");
    EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_TIP), shell.calls.back().data.uFlags);
    EXPECT_STREQ("tip", shell.calls.back().data.szTip);

    tray.SetNotificationWnd(owner, 0);
    tray.SetIcon(first, "");
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), shell.calls.back().data.uFlags);

    tray.SetNotificationWnd(nullptr, WM_USER);
    tray.SetIcon(first, nullptr);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), shell.calls.back().data.uFlags);

    tray.SetNotificationWnd(owner, WM_USER);
    tray.SetIcon(first, nullptr);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_MESSAGE), shell.calls.back().data.uFlags);
    EXPECT_EQ(owner, shell.calls.back().data.hWnd);
    EXPECT_EQ(static_cast<UINT>(WM_USER), shell.calls.back().data.uCallbackMessage);

    tray.SetIcon(0u);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE), shell.calls.back().data.uFlags);
}

TEST_F(TrayIconTest, FailedCallIsReportedAndTheNextIconIsAddedAnew)
{
    CTrayIcon tray(IDR_TRAY, shell.Notify());
    shell.answer = FALSE;
    EXPECT_FALSE(tray.SetIcon(first, nullptr));
    EXPECT_EQ(nullptr, tray.Data().hIcon);
    shell.answer = TRUE;
    EXPECT_TRUE(tray.SetIcon(first, nullptr));
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls.back().operation);

    // A shell that lost the icon refuses the modify; the next call adds it back.
    shell.answer = FALSE;
    EXPECT_FALSE(tray.SetIcon(second, nullptr));
    shell.answer = TRUE;
    EXPECT_TRUE(tray.SetIcon(second, nullptr));
    ASSERT_EQ(4u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.calls[2].operation);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[3].operation);
}

TEST_F(TrayIconTest, ShellRestartAddsTheShownIconAgainAsItIs)
{
    CTrayIcon tray(IDR_TRAY, shell.Notify());
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    EXPECT_TRUE(shell.calls.empty()) << "nothing shown, nothing to add";
    tray.SetIcon(first, nullptr);
    tray.SetIcon(second, nullptr);
    EXPECT_FALSE(tray.OnTaskbarCreated(WM_USER));
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    ASSERT_EQ(3u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[2].operation);
    EXPECT_EQ(second, shell.calls[2].data.hIcon);
    EXPECT_STREQ("Horalux GPS clock", shell.calls[2].data.szTip);
}

TEST_F(TrayIconTest, DestructionRemovesAShownIconOnly)
{
    {
        CTrayIcon tray(IDR_TRAY, shell.Notify());
        EXPECT_TRUE(tray.SetIcon(0u));
        EXPECT_TRUE(tray.SetIcon(nullptr, "ignored"));
    }
    EXPECT_TRUE(shell.calls.empty()) << "removing what is not shown calls nothing";
    {
        CTrayIcon tray(IDR_TRAY, shell.Notify());
        tray.SetIcon(first, nullptr);
    }
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.calls[1].operation);
    EXPECT_EQ(static_cast<UINT>(IDR_TRAY), shell.calls[1].data.uID);
}

TEST_F(TrayIconTest, OtherIdentifiersAndMouseMessagesAreIgnored)
{
    CommandWindow window;
    CTrayIcon tray(IDR_TRAY, shell.Notify());
    tray.SetNotificationWnd(window.handle, WM_USER);
    EXPECT_EQ(0, tray.OnTrayNotification(IDR_TRAY + 1, WM_LBUTTONDBLCLK));
    EXPECT_EQ(0, tray.OnTrayNotification(IDR_TRAY + 1, WM_RBUTTONUP));
    for (LPARAM other : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONUP})
        EXPECT_EQ(0, tray.OnTrayNotification(IDR_TRAY, other)) << other;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_TRUE(commands.empty());
}

TEST_F(TrayIconTest, DoubleClickSendsTheFirstMenuCommand)
{
    CommandWindow window;
    CTrayIcon tray(IDR_TRAY, shell.Notify());
    tray.SetNotificationWnd(window.handle, WM_USER);
    EXPECT_EQ(1, tray.OnTrayNotification(IDR_TRAY, WM_LBUTTONDBLCLK));
    EXPECT_EQ(commands, std::vector<WPARAM>{ID_CONFIGURE});
}
