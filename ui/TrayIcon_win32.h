#pragma once
#include <windows.h>
#include <shellapi.h>
#include <functional>
#include "window/Handles_win32.h"

// One icon in the notification area. Its identifier is a resource number:
// the string of that number is the tooltip, the menu of that number pops up
// on a right click and its first command runs on a double click.
class CTrayIcon {
public:
    // The shell call, replaceable so that tests can watch and fail it.
    using ShellNotify = std::function<BOOL(DWORD operation, NOTIFYICONDATAA* data)>;

    explicit CTrayIcon(unsigned resourceId, ShellNotify notify = &Shell_NotifyIconA);
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Null window or message 0: no notifications. The window gets the
    // shell's restart broadcast even when the program runs elevated.
    void SetNotificationWnd(HWND window, UINT message);

    // Icon and tooltip of that resource number (or the tip given); 0 removes the icon.
    bool SetIcon(unsigned resourceId, const char* tip = nullptr);
    // A null icon removes it; a null tip keeps the current one.
    bool SetIcon(HICON icon, const char* tip);

    // For the owner's handler of the callback message: 1 when handled.
    LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage);
    // For the owner's window procedure: true when `msg` is the shell's
    // "TaskbarCreated" broadcast, after which a shown icon is added anew.
    bool OnTaskbarCreated(UINT msg);

    const NOTIFYICONDATAA& Data() const { return data_; }

private:
    void SetTip(const char* tip);
    void PopUpMenu(HMENU popup);

    NOTIFYICONDATAA data_;
    ShellNotify notify_;
    // The picture SetIcon(resourceId) loaded, and its resource number.
    Icon icon_;
    unsigned iconId_ = 0;
};
