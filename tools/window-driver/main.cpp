// Steers horalux.exe from outside for the end-to-end tests, the demo and the
// benchmarks, one action a call:  window-driver COMMAND ARGS...
// A TITLE is a top-level window's exact caption, an ID one of its controls.
// Prints what it reads; exits 0 on success, 1 on a failure or time-out (the
// reason on stderr), 2 on bad usage.
#include <windows.h>

#include "window/Handles_win32.h"

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;
using Failure = std::runtime_error;

// Polls until `done`; a minute is a hang guard, not a timing check.
void WaitFor(const std::function<bool()>& done, const std::string& what)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start >= 60000)
            throw Failure("time-out waiting for " + what);
}

HWND Window(const std::string& title)
{
    HWND window = FindWindowA(nullptr, title.c_str());
    if (!window)
        throw Failure("no window \"" + title + "\"");
    return window;
}

HWND Control(const std::string& title, const std::string& id)
{
    HWND control = GetDlgItem(Window(title), std::stoi(id));
    if (!control)
        throw Failure("no control " + id);
    return control;
}

HWND WaitShown(const char* windowClass, const char* caption)
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA(windowClass, caption)) && IsWindowVisible(window); },
            windowClass + std::string(" ") + (caption ? caption : ""));
    return window;
}

std::string TextOf(HWND window)
{
    std::string text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

// A real key stroke, for whichever window has the focus.
void Type(const std::string& name)
{
    const std::map<std::string, BYTE> keys = {{"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"space", VK_SPACE}, {"alt+f4", VK_F4}};
    const BYTE key = keys.at(name), alt = key == VK_F4 ? VK_MENU : 0;
    if (alt)
        keybd_event(alt, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (alt)
        keybd_event(alt, 0, KEYEVENTF_KEYUP, 0);
}

struct Command {
    size_t least, most;
    const char* usage;
    void (*run)(const Args&);
};

const std::map<std::string, Command> kCommands = {
    {"wait", {1, 1, "TITLE: wait until the window exists", [](const Args& a) {
         WaitFor([&] { return FindWindowA(nullptr, a[0].c_str()) != nullptr; }, a[0]);
     }}},
    {"gone", {1, 1, "TITLE: wait until no such window exists", [](const Args& a) {
         WaitFor([&] { return FindWindowA(nullptr, a[0].c_str()) == nullptr; }, a[0] + " to go");
     }}},
    {"state", {1, 1, "TITLE: print visible or hidden, then iconic or normal", [](const Args& a) {
         HWND window = Window(a[0]);
         std::printf("%s %s\n", IsWindowVisible(window) ? "visible" : "hidden", IsIconic(window) ? "iconic" : "normal");
     }}},
    {"enabled", {2, 9, "TITLE ID...: print enabled or disabled for each control", [](const Args& a) {
         for (size_t i = 1; i < a.size(); ++i)
             std::printf(i + 1 < a.size() ? "%s " : "%s\n", IsWindowEnabled(Control(a[0], a[i])) ? "enabled" : "disabled");
     }}},
    {"text", {1, 2, "TITLE [ID]: print the control's (or the window's) text", [](const Args& a) {
         std::printf("%s\n", TextOf(a.size() > 1 ? Control(a[0], a[1]) : Window(a[0])).c_str());
     }}},
    {"set", {3, 3, "TITLE ID TEXT: set the control's text", [](const Args& a) {
         SendMessageA(Control(a[0], a[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()));
     }}},
    // Posted, not sent: a click may open a modal message box.
    {"click", {2, 2, "TITLE ID: click the button, unless it is disabled", [](const Args& a) {
         if (!IsWindowEnabled(Control(a[0], a[1])))
             throw Failure("button " + a[1] + " is disabled");
         PostMessageA(Control(a[0], a[1]), BM_CLICK, 0, 0);
     }}},
    {"post", {4, 4, "TITLE MESSAGE WPARAM LPARAM: post the message to the window", [](const Args& a) {
         PostMessageA(Window(a[0]), std::stoul(a[1], nullptr, 0), std::stoul(a[2], nullptr, 0), std::stol(a[3], nullptr, 0));
     }}},
    {"keys", {1, 9, "KEY...: type escape, enter, space or alt+f4", [](const Args& a) {
         for (const std::string& key : a)
             Type(key);
     }}},
    {"menu", {0, 1, "[CHAR]: wait for a popup menu, choose the item with this mnemonic", [](const Args& a) {
         HWND menu = WaitShown("#32768", nullptr);
         if (!a.empty())
             PostMessageA(menu, WM_CHAR, static_cast<unsigned char>(a[0][0]), 1);
     }}},
    {"msgbox", {1, 1, "CAPTION: wait for a message box, print its text, press OK", [](const Args& a) {
         HWND box = WaitShown("#32770", a[0].c_str()), text = GetDlgItem(box, 0xFFFF);
         std::printf("%s\n", text ? TextOf(text).c_str() : "");
         PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
         WaitFor([&] { return !IsWindow(box); }, "the message box to close");
     }}},
    {"rect", {1, 2, "TITLE [ID]: print the window's rectangle, or the control's in the client area", [](const Args& a) {
         RECT r;
         GetWindowRect(a.size() > 1 ? Control(a[0], a[1]) : Window(a[0]), &r);
         MapWindowPoints(nullptr, a.size() > 1 ? Window(a[0]) : nullptr, reinterpret_cast<POINT*>(&r), 2);
         std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
     }}},
    {"hscroll", {2, 2, "TITLE ID: print whether the edit box has a horizontal scroll bar, where its longest line ends before and after scrolling right, and its width", [](const Args& a) {
         HWND edit = Control(a[0], a[1]);
         LRESULT longest = 0, end = 0;
         for (LRESULT line = 0, lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0); line < lines; ++line) {
             const LRESULT first = SendMessageA(edit, EM_LINEINDEX, line, 0), length = SendMessageA(edit, EM_LINELENGTH, first, 0);
             if (length > longest)
                 longest = length, end = first + length - 1;
         }
         auto x = [&] { return static_cast<short>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, end, 0))); };
         RECT client;
         GetClientRect(edit, &client);
         std::printf("%d %d ", (GetWindowLongA(edit, GWL_STYLE) & WS_HSCROLL) != 0, x());
         SendMessageA(edit, WM_HSCROLL, SB_RIGHT, 0);
         std::printf("%d %ld\n", x(), client.right);
         SendMessageA(edit, WM_HSCROLL, SB_LEFT, 0);
     }}},
    {"clipboard", {0, 0, ": print the clipboard's text", [](const Args&) {
         if (!OpenClipboard(nullptr))
             throw Failure("the clipboard is busy");
         const HANDLE text = GetClipboardData(CF_TEXT);
         const char* bytes = text ? static_cast<const char*>(GlobalLock(text)) : nullptr;
         std::printf("%s", bytes ? bytes : "");
         if (bytes)
             GlobalUnlock(text);
         CloseClipboard();
     }}},
    {"controls", {1, 1, "TITLE: per visible control: ID CLASS L T R B, and its text's width and height", [](const Args& a) {
         HWND window = Window(a[0]);
         // The program's font handle means nothing here: the templates' font made anew.
         const WindowDC dc(window);
         const Font font(CreateFontA(-MulDiv(8, GetDeviceCaps(dc.Get(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif"));
         const HGDIOBJ old = SelectObject(dc.Get(), font.Get());
         for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
             RECT r, text = {};
             char name[64] = "";
             GetWindowRect(c, &r), MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2), GetClassNameA(c, name, sizeof name);
             DrawTextA(dc.Get(), TextOf(c).c_str(), -1, &text, DT_CALCRECT | DT_EXPANDTABS);
             if (IsWindowVisible(c))
                 std::printf("%d %s %ld %ld %ld %ld %ld %ld\n", GetDlgCtrlID(c), name, r.left, r.top, r.right, r.bottom, text.right, text.bottom);
         }
         SelectObject(dc.Get(), old);
     }}},
    {"control", {2, 2, "SERVICE CODE: send the service this control code", [](const Args& a) {
         const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
         const ServiceHandle service(OpenServiceA(manager.Get(), a[0].c_str(), SERVICE_PAUSE_CONTINUE));
         SERVICE_STATUS status;
         if (!ControlService(service.Get(), std::stoul(a[1], nullptr, 0), &status))
             throw Failure("ControlService failed with " + std::to_string(GetLastError()));
     }}},
    // Sent, so the window has applied its limits and laid out its controls on return.
    {"move", {5, 5, "TITLE X Y W H: move and size the window (W and H 0: keep its size)", [](const Args& a) {
         const UINT keepSize = a[3] == "0" && a[4] == "0" ? SWP_NOSIZE : 0;
         if (!SetWindowPos(Window(a[0]), nullptr, std::stoi(a[1]), std::stoi(a[2]), std::stoi(a[3]), std::stoi(a[4]),
                           SWP_NOZORDER | SWP_NOACTIVATE | keepSize))
             throw Failure("SetWindowPos failed");
     }}},
};

} // namespace

int main(int argc, char** argv)
{
    // Real pixels at every DPI, not rectangles scaled for an unaware program.
    SetProcessDPIAware();
    const Args args(argv + (argc > 1 ? 2 : 1), argv + argc);
    auto command = argc > 1 ? kCommands.find(argv[1]) : kCommands.end();
    if (command == kCommands.end() || args.size() < command->second.least || args.size() > command->second.most) {
        for (const auto& entry : kCommands)
            std::fprintf(stderr, "window-driver %s %s\n", entry.first.c_str(), entry.second.usage);
        return 2;
    }
    try {
        command->second.run(args);
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "window-driver %s: %s\n", argv[1], failure.what());
        return 1;
    }
}
