#pragma once
#include <windows.h>
#include <string>

// Closes the next message box of this thread from a thread timer (message
// boxes run their own loop, which dispatches it) and remembers what it said.
class BoxWatcher {
public:
    BoxWatcher()
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, &OnTimer);
    }
    ~BoxWatcher()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    int boxesSeen = 0;
    std::string caption;
    std::string text;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (current_) EnumThreadWindows(GetCurrentThreadId(), &OnWindow, 0);
    }
    static BOOL CALLBACK OnWindow(HWND window, LPARAM)
    {
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
        ++current_->boxesSeen;
        current_->caption = TextOf(window);
        EnumChildWindows(window, &OnChild, 0);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return FALSE;
    }
    // The message text is the box's static without an icon.
    static BOOL CALLBACK OnChild(HWND child, LPARAM)
    {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        const std::string text = TextOf(child);
        if (_stricmp(className, "Static") == 0 && !text.empty()) current_->text = text;
        return TRUE;
    }
    static std::string TextOf(HWND window)
    {
        char buffer[512] = {};
        GetWindowTextA(window, buffer, sizeof buffer);
        return buffer;
    }

    static BoxWatcher* current_;
    UINT_PTR timer_;
};

inline BoxWatcher* BoxWatcher::current_ = nullptr;
