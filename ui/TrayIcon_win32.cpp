#include "ui/TrayIcon_win32.h"
#include "window/Application_win32.h"
#include "window/Handles_win32.h"
#include <cstring>
#include <string>
#include <utility>

namespace {

// The shell reads the record in its Windows 2000 layout, whose tip holds 128
// characters (a status line), and uses nothing after it.
const size_t kTipSize = 128;

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

} // namespace

CTrayIcon::CTrayIcon(unsigned resourceId, ShellNotify notify) : data_(), notify_(std::move(notify))
{
    data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data_.uID = resourceId;
    SetTip(Application::Instance().LoadString(resourceId).c_str());
}

CTrayIcon::~CTrayIcon()
{
    SetIcon(0u);
}

void CTrayIcon::SetNotificationWnd(HWND window, UINT message)
{
    data_.hWnd = window;
    data_.uCallbackMessage = message;
    // The shell runs with fewer rights than an elevated program, whose
    // message filter drops its broadcasts; the call is missing before Windows 7.
    using AllowMessage = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto allow = reinterpret_cast<AllowMessage>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    if (window && allow) allow(window, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

bool CTrayIcon::SetIcon(unsigned resourceId, const char* tip)
{
    if (resourceId == 0) return SetIcon(nullptr, nullptr);
    const Application& app = Application::Instance();
    SetTip(tip ? tip : app.LoadString(resourceId).c_str());
    // Loaded once per picture, in the notification area's size; the one
    // shown so far goes once the shell has the new one.
    Icon shown;
    if (resourceId != iconId_) {
        shown = std::move(icon_);
        icon_ = app.LoadIcon(resourceId, SM_CXSMICON);
        iconId_ = icon_ ? resourceId : 0;
    }
    return SetIcon(icon_.Get(), nullptr);
}

bool CTrayIcon::SetIcon(HICON icon, const char* tip)
{
    DWORD operation;
    data_.uFlags = 0;
    if (icon) {
        operation = data_.hIcon ? NIM_MODIFY : NIM_ADD;
        data_.hIcon = icon;
        data_.uFlags = NIF_ICON;
    } else {
        if (!data_.hIcon) return true;
        operation = NIM_DELETE;
    }
    if (tip) SetTip(tip);
    // A tip given, even an empty one, replaces the shown one.
    if (tip || data_.szTip[0]) data_.uFlags |= NIF_TIP;
    if (data_.uCallbackMessage && data_.hWnd) data_.uFlags |= NIF_MESSAGE;

    const bool done = notify_(operation, &data_) != FALSE;
    // Forgetting the icon after a failure makes the next call add it again,
    // which also brings it back after the shell lost it.
    if (operation == NIM_DELETE || !done) data_.hIcon = nullptr;
    return done;
}

bool CTrayIcon::OnTaskbarCreated(UINT msg)
{
    if (msg == 0 || msg != TaskbarCreatedMessage()) return false;
    // A restarted shell knows no icons: the shown one goes back as it is now.
    if (HICON icon = data_.hIcon) {
        data_.hIcon = nullptr;
        SetIcon(icon, nullptr);
    }
    return true;
}

void CTrayIcon::SetTip(const char* tip)
{
    std::memset(data_.szTip, 0, kTipSize);
    std::strncpy(data_.szTip, tip, kTipSize - 1);
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM id, LPARAM mouseMessage)
{
    if (id != data_.uID || (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_LBUTTONDBLCLK))
        return 0;
    const Menu menu(LoadMenuA(Application::Instance().Handle(), MAKEINTRESOURCEA(data_.uID)));
    HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return 0;
    if (mouseMessage == WM_RBUTTONUP)
        PopUpMenu(popup);
    else
        SendMessageA(data_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
    return 1;
}

void CTrayIcon::PopUpMenu(HMENU popup)
{
    SetMenuDefaultItem(popup, 0, TRUE);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user
    // clicks elsewhere.
    SetForegroundWindow(data_.hWnd);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, data_.hWnd, nullptr);
    // Switches tasks so that the menu opens again next time instead
    // of closing at once.
    PostMessageA(data_.hWnd, WM_NULL, 0, 0);
}
