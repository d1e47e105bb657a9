#include "res/resource.h"
#include "ui/TrayIcon_win32.h"
#include "window/Application_win32.h"
#include <gtest/gtest.h>
#include <utility>
#include <vector>

// A restarted shell forgets every icon; the one shown is added again as it was.
TEST(TrayIcon, ShellRestartAddsTheShownIconAgain)
{
    Application app{GetModuleHandleA(nullptr)};
    std::vector<std::pair<DWORD, HICON>> calls;
    CTrayIcon tray(IDR_TRAY_MENU, [&](DWORD operation, NOTIFYICONDATAA* data) {
        calls.emplace_back(operation, data->hIcon);
        return TRUE;
    });
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    EXPECT_TRUE(calls.empty()) << "nothing shown, nothing to add";
    tray.SetIcon(IDI_NOT_SYNCED);
    tray.SetIcon(IDI_SYNCED);
    EXPECT_FALSE(tray.OnTaskbarCreated(WM_USER));
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    const std::vector<std::pair<DWORD, HICON>> expected = {
        {NIM_ADD, app.LoadIcon(IDI_NOT_SYNCED)},
        {NIM_MODIFY, app.LoadIcon(IDI_SYNCED)},
        {NIM_ADD, app.LoadIcon(IDI_SYNCED)}};
    EXPECT_EQ(expected, calls);
}
