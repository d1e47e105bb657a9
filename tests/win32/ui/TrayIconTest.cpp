#include "res/resource.h"
#include "ui/TrayIcon_win32.h"
#include "window/Application_win32.h"
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

// A restarted shell forgets every icon; the one shown is added again as it was.
TEST(TrayIcon, ShellRestartAddsTheShownIconAgain)
{
    const Application app{GetModuleHandleA(nullptr)};
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
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ((std::vector<DWORD>{calls[0].first, calls[1].first, calls[2].first}), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_ADD}));
    EXPECT_EQ(calls[1].second, calls[2].second);
    // In the notification area's size, not the window's icon scaled down.
    ICONINFO info = {};
    BITMAP colour = {};
    ASSERT_TRUE(GetIconInfo(calls[2].second, &info));
    GetObjectA(info.hbmColor, sizeof colour, &colour), DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
    EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXSMICON));
    // The tip holds a whole status line: the shell's record of Windows 2000 on.
    const std::string tip = "Horalux: Failed to get an echo back from an Orvanel clock on the selected comm port.";
    tray.SetIcon(IDI_SYNCED, tip.c_str());
    EXPECT_TRUE(tray.Data().szTip == tip && tray.Data().cbSize == NOTIFYICONDATAA_V2_SIZE);
}

