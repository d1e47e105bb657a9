// Steers a running program from outside, one action per call, for the
// end-to-end tests and the demo:  e2e-driver COMMAND [ARGS]
// Prints the result on stdout; exits 0 on success, 1 on failure or time-out
// (with the reason on stderr), 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "sync/SyncMessages.h"
#include "ui/TrayMessages.h"
#include "tools/e2e-driver/BoldMenuItems.h"
#include "tools/e2e-driver/IconImage.h"
#include "tools/e2e-driver/ResourceModule.h"
#include "tools/e2e-driver/ScreenCapture.h"

namespace {

const char kUsage[] =
    "e2e-driver COMMAND [ARGS]; a TITLE names a top-level window by its exact caption\n"
    "  wait TITLE [MS]              wait until the window exists, print its handle\n"
    "  wait-gone TITLE [MS]         wait until no such window exists\n"
    "  visible TITLE                print visible or hidden\n"
    "  iconic TITLE                 print iconic or normal\n"
    "  click TITLE ID               press button ID (fails when it is disabled)\n"
    "  command TITLE ID             post WM_COMMAND ID, as a menu item does\n"
    "  enabled TITLE ID             print enabled or disabled\n"
    "  set-text TITLE ID TEXT       set a control's text\n"
    "  get-text TITLE [ID]          print a control's (or the window's) text\n"
    "  select TITLE ID ITEM         select the combo-box item with this exact text\n"
    "  items TITLE ID               print a combo box's list, one item a line\n"
    "  log TITLE ID                 print an edit box's lines\n"
    "  status TITLE FIRST COUNT     post COUNT status messages, identifiers FIRST, FIRST+1, ...\n"
    "  syscommand TITLE CMD         post WM_SYSCOMMAND: minimize, restore, close, about or a number\n"
    "  key TITLE escape|enter       post the key to the window's focused control\n"
    "  input KEY...                 type real keys for whatever has the focus: escape, enter,\n"
    "                               space or alt+f4\n"
    "  tray TITLE dblclick|rclick|MOUSE-MSG [ICON-ID]  post the tray icon's callback message\n"
    "                               (icon id 131 by default)\n"
    "  menu-wait [MS]               wait for a popup menu, print its handle\n"
    "  menu-choose CHAR [MS]        choose the open popup menu's item with this mnemonic\n"
    "  menu-bold EXE MENU-ID [MS]   print the commands of the open popup's items drawn in bold,\n"
    "                               the popup being the first of menu MENU-ID in EXE's resources\n"
    "  menu-close                   close the open popup menu\n"
    "  msgbox CAPTION [MS]          wait for a message box, print its text, press OK\n"
    "  rect TITLE                   print the window rectangle: left top right bottom\n"
    "  client-rect TITLE ID         print a control's rectangle in the window's client area\n"
    "  move TITLE X Y W H           move and size the window\n"
    "  window-icon TITLE EXE        print which icon resource of EXE the window shows (130 or 131)\n"
    "  match-icon EXE SIZE          read _NET_WM_ICON numbers (xprop) on stdin, print the matching\n"
    "                               icon resource of EXE at SIZE pixels\n"
    "  tray-icon EXE [MS]           print which icon resource of EXE the notification area shows\n"
    "                               (screen pixels of Wine's own tray window), waiting up to MS for one\n"
    "  x11-window TITLE             print the window's X11 window id (under Wine)\n";

const DWORD kDefaultTimeoutMs = 20000;

int Fail(const std::string& why)
{
    std::cerr << "e2e-driver: " << why << "\n";
    return 1;
}

struct UsageError {};

int Number(const std::string& text)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end)
        throw UsageError();
    return static_cast<int>(value);
}

template <class Found>
auto WaitFor(DWORD timeoutMs, Found find) -> decltype(find())
{
    DWORD start = GetTickCount();
    for (;;) {
        auto result = find();
        if (result || GetTickCount() - start >= timeoutMs)
            return result;
        Sleep(50);
    }
}

HWND FindTop(const std::string& title, DWORD timeoutMs = kDefaultTimeoutMs)
{
    return WaitFor(timeoutMs, [&] { return FindWindowA(nullptr, title.c_str()); });
}

std::string TextOf(HWND window)
{
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::string Narrow(const wchar_t* wide)
{
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string Hex(const void* handle)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
    return buffer;
}

// Command arguments after the command word, checked for count.
class Args {
public:
    Args(int argc, char** argv) : list_(argv + 2, argv + argc) {}
    void Need(size_t least, size_t most) const
    {
        if (list_.size() < least || list_.size() > most)
            throw UsageError();
    }
    const std::string& operator[](size_t i) const { return list_[i]; }
    size_t Size() const { return list_.size(); }
    DWORD TimeoutAt(size_t i) const
    {
        return i < list_.size() ? static_cast<DWORD>(Number(list_[i])) : kDefaultTimeoutMs;
    }

private:
    std::vector<std::string> list_;
};

// The main window (first argument) and, when asked, one of its controls.
struct Target {
    HWND window = nullptr;
    HWND control = nullptr;
};

bool Resolve(const Args& args, bool withControl, Target& target, int& rc)
{
    target.window = FindTop(args[0], 0);
    if (!target.window) {
        rc = Fail("no window \"" + args[0] + "\"");
        return false;
    }
    if (withControl) {
        target.control = GetDlgItem(target.window, Number(args[1]));
        if (!target.control) {
            rc = Fail("no control " + args[1]);
            return false;
        }
    }
    return true;
}

HWND PopupMenuWindow(DWORD timeoutMs)
{
    return WaitFor(timeoutMs, [] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    });
}

HWND MessageBoxWindow(const std::string& caption, DWORD timeoutMs)
{
    return WaitFor(timeoutMs, [&] {
        HWND box = FindWindowA("#32770", caption.c_str());
        return box && IsWindowVisible(box) ? box : nullptr;
    });
}

void PrintRect(const RECT& r)
{
    std::cout << r.left << " " << r.top << " " << r.right << " " << r.bottom << "\n";
}

int MatchIcon(const IconImage& shown, const std::string& exe)
{
    for (int id : {130, 131, 128}) {
        IconImage resource = LoadIconResource(exe, id, shown.size);
        if (resource.Empty())
            return Fail("cannot load icon " + std::to_string(id) + " from " + exe);
        if (resource == shown) {
            std::cout << id << "\n";
            return 0;
        }
    }
    std::cout << "other\n";
    return 1;
}

int Run(const std::string& command, const Args& args)
{
    Target t;
    int rc = 1;

    if (command == "wait") {
        args.Need(1, 2);
        HWND window = FindTop(args[0], args.TimeoutAt(1));
        if (!window)
            return Fail("time-out waiting for \"" + args[0] + "\"");
        std::cout << Hex(window) << "\n";
        return 0;
    }
    if (command == "wait-gone") {
        args.Need(1, 2);
        bool gone = WaitFor(args.TimeoutAt(1), [&] { return FindWindowA(nullptr, args[0].c_str()) == nullptr; });
        return gone ? 0 : Fail("\"" + args[0] + "\" is still there");
    }
    if (command == "visible" || command == "iconic") {
        args.Need(1, 1);
        if (!Resolve(args, false, t, rc))
            return rc;
        if (command == "visible")
            std::cout << (IsWindowVisible(t.window) ? "visible" : "hidden") << "\n";
        else
            std::cout << (IsIconic(t.window) ? "iconic" : "normal") << "\n";
        return 0;
    }
    if (command == "click") {
        args.Need(2, 2);
        if (!Resolve(args, true, t, rc))
            return rc;
        if (!IsWindowEnabled(t.control))
            return Fail("button " + args[1] + " is disabled");
        // Posted, not sent: the click may open a modal message box.
        PostMessageA(t.window, WM_COMMAND, MAKEWPARAM(Number(args[1]), BN_CLICKED), reinterpret_cast<LPARAM>(t.control));
        return 0;
    }
    if (command == "command") {
        args.Need(2, 2);
        if (!Resolve(args, false, t, rc))
            return rc;
        PostMessageA(t.window, WM_COMMAND, MAKEWPARAM(Number(args[1]), 0), 0);
        return 0;
    }
    if (command == "enabled") {
        args.Need(2, 2);
        if (!Resolve(args, true, t, rc))
            return rc;
        std::cout << (IsWindowEnabled(t.control) ? "enabled" : "disabled") << "\n";
        return 0;
    }
    if (command == "set-text") {
        args.Need(3, 3);
        if (!Resolve(args, true, t, rc))
            return rc;
        SendMessageA(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()));
        return 0;
    }
    if (command == "get-text") {
        args.Need(1, 2);
        if (!Resolve(args, args.Size() == 2, t, rc))
            return rc;
        std::cout << TextOf(t.control ? t.control : t.window) << "\n";
        return 0;
    }
    if (command == "items" || command == "select") {
        args.Need(command == "items" ? 2 : 3, command == "items" ? 2 : 3);
        if (!Resolve(args, true, t, rc))
            return rc;
        LRESULT count = SendMessageA(t.control, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            // The wide form: Wine hands another process's list text over as UTF-16 either way.
            LRESULT length = SendMessageW(t.control, CB_GETLBTEXTLEN, i, 0);
            std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            SendMessageW(t.control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
            std::string item = Narrow(wide.c_str());
            if (command == "items") {
                std::cout << item << "\n";
            } else if (item == args[2]) {
                SendMessageA(t.control, CB_SETCURSEL, i, 0);
                PostMessageA(t.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(t.control), CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(t.control));
                return 0;
            }
        }
        return command == "items" ? 0 : Fail("no item \"" + args[2] + "\"");
    }
    if (command == "log") {
        args.Need(2, 2);
        if (!Resolve(args, true, t, rc))
            return rc;
        std::string text = TextOf(t.control);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            std::cout << text.substr(start, end - start) << "\n";
            start = end + 2;
        }
        return 0;
    }
    if (command == "status") {
        args.Need(3, 3);
        if (!Resolve(args, false, t, rc))
            return rc;
        const int first = Number(args[1]);
        const int count = Number(args[2]);
        // Statuses arrive at the sync runtime's message-only window in the
        // dialog's process.
        DWORD pid = 0;
        GetWindowThreadProcessId(t.window, &pid);
        HWND receiver = nullptr;
        for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, SYNC_STATUS_WINDOW_CLASS, nullptr)) != nullptr;) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid) receiver = w;
        }
        for (int id = first; id < first + count; ++id)
            PostMessageA(receiver, WM_SYNC_STATUS, static_cast<WPARAM>(id), 0);
        return 0;
    }
    if (command == "syscommand") {
        args.Need(2, 2);
        if (!Resolve(args, false, t, rc))
            return rc;
        const std::string& what = args[1];
        int code = what == "minimize" ? SC_MINIMIZE
                 : what == "restore"  ? SC_RESTORE
                 : what == "close"    ? SC_CLOSE
                 : what == "about"    ? 0x10
                                      : Number(what);
        PostMessageA(t.window, WM_SYSCOMMAND, static_cast<WPARAM>(code), 0);
        return 0;
    }
    if (command == "key") {
        args.Need(2, 2);
        if (!Resolve(args, false, t, rc))
            return rc;
        WPARAM key = args[1] == "escape" ? VK_ESCAPE : args[1] == "enter" ? VK_RETURN : 0;
        if (!key)
            throw UsageError();
        // Through the dialog's message loop, so the dialog manager turns the
        // key into its command as it would for a real key press.
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(t.window, nullptr), &info) && info.hwndFocus
                         ? info.hwndFocus
                         : t.window;
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        return 0;
    }
    if (command == "input") {
        args.Need(1, 4);
        for (size_t i = 0; i < args.Size(); ++i) {
            const std::string& name = args[i];
            const BYTE key = name == "escape" ? VK_ESCAPE : name == "enter" ? VK_RETURN
                           : name == "space" ? VK_SPACE : name == "alt+f4" ? VK_F4 : 0;
            if (!key)
                throw UsageError();
            if (key == VK_F4)
                keybd_event(VK_MENU, 0, 0, 0);
            keybd_event(key, 0, 0, 0);
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
            if (key == VK_F4)
                keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
        }
        return 0;
    }
    if (command == "tray") {
        args.Need(2, 3);
        if (!Resolve(args, false, t, rc))
            return rc;
        LPARAM mouse = args[1] == "dblclick" ? WM_LBUTTONDBLCLK : args[1] == "rclick" ? WM_RBUTTONUP : Number(args[1]);
        WPARAM id = args.Size() == 3 ? static_cast<WPARAM>(Number(args[2])) : 131;
        PostMessageA(t.window, WM_TRAY_NOTIFY, id, mouse);
        return 0;
    }
    if (command == "menu-wait" || command == "menu-choose" || command == "menu-close") {
        bool choose = command == "menu-choose";
        args.Need(choose ? 1 : 0, choose ? 2 : 1);
        HWND menu = PopupMenuWindow(args.TimeoutAt(choose ? 1 : 0));
        if (!menu)
            return Fail("no popup menu");
        if (command == "menu-wait") {
            std::cout << Hex(menu) << "\n";
        } else if (choose) {
            if (args[0].size() != 1)
                throw UsageError();
            PostMessageA(menu, WM_CHAR, static_cast<unsigned char>(args[0][0]), 1);
        } else {
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        }
        return 0;
    }
    if (command == "menu-bold") {
        args.Need(2, 3);
        HWND popup = PopupMenuWindow(args.TimeoutAt(2));
        if (!popup)
            return Fail("no popup menu");
        ResourceModule module(args[0]);
        HMENU menu = module.Get() ? LoadMenuA(module.Get(), MAKEINTRESOURCEA(Number(args[1]))) : nullptr;
        if (!menu || !GetSubMenu(menu, 0))
            return Fail("no menu " + args[1] + " in " + args[0]);
        RECT area;
        GetWindowRect(popup, &area);
        for (UINT id : BoldMenuItems(CaptureScreen(area), GetSubMenu(menu, 0)))
            std::cout << id << "\n";
        DestroyMenu(menu);
        return 0;
    }
    if (command == "msgbox") {
        args.Need(1, 2);
        HWND box = MessageBoxWindow(args[0], args.TimeoutAt(1));
        if (!box)
            return Fail("no message box \"" + args[0] + "\"");
        HWND text = GetDlgItem(box, 0xFFFF); // the box's text static
        std::cout << (text ? TextOf(text) : std::string()) << "\n";
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        bool closed = WaitFor(kDefaultTimeoutMs, [&] { return !IsWindow(box); });
        return closed ? 0 : Fail("the message box did not close");
    }
    if (command == "rect") {
        args.Need(1, 1);
        if (!Resolve(args, false, t, rc))
            return rc;
        RECT r;
        GetWindowRect(t.window, &r);
        PrintRect(r);
        return 0;
    }
    if (command == "client-rect") {
        args.Need(2, 2);
        if (!Resolve(args, true, t, rc))
            return rc;
        RECT r;
        GetWindowRect(t.control, &r);
        MapWindowPoints(nullptr, t.window, reinterpret_cast<POINT*>(&r), 2);
        PrintRect(r);
        return 0;
    }
    if (command == "move") {
        args.Need(5, 5);
        if (!Resolve(args, false, t, rc))
            return rc;
        // Sent, so the window has applied its limits and laid out its controls on return.
        if (!SetWindowPos(t.window, nullptr, Number(args[1]), Number(args[2]), Number(args[3]), Number(args[4]),
                          SWP_NOZORDER | SWP_NOACTIVATE))
            return Fail("SetWindowPos failed");
        return 0;
    }
    if (command == "window-icon") {
        args.Need(2, 2);
        if (!Resolve(args, false, t, rc))
            return rc;
        DWORD_PTR icon = 0;
        SendMessageTimeoutA(t.window, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 5000, &icon);
        IconImage shown = ReadIcon(reinterpret_cast<HICON>(icon), 32);
        if (shown.Empty())
            return Fail("cannot read the window's icon from this process; under Wine use x11-window and match-icon");
        return MatchIcon(shown, args[1]);
    }
    if (command == "match-icon") {
        args.Need(2, 2);
        std::string numbers((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        size_t equals = numbers.find('=');
        std::vector<IconImage> images = ParseNetWmIcon(equals == std::string::npos ? numbers : numbers.substr(equals + 1));
        for (const IconImage& image : images) {
            if (image.size == Number(args[1]))
                return MatchIcon(image, args[0]);
        }
        return Fail("no " + args[1] + " pixel image on stdin");
    }
    if (command == "tray-icon") {
        args.Need(1, 2);
        HWND tray = WaitFor(args.TimeoutAt(1), [] {
            HWND window = FindWindowA(nullptr, "Wine System Tray");
            return window && IsWindowVisible(window) ? window : nullptr;
        });
        if (!tray)
            return Fail("no visible tray window");
        RECT area;
        GetWindowRect(tray, &area);
        // Without a window manager other windows may lie on top of it.
        SetWindowPos(tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        int size = GetSystemMetrics(SM_CXSMICON);
        std::string found;
        bool matched = WaitFor(args.TimeoutAt(1), [&] {
            ScreenImage screen = CaptureScreen(area);
            for (int id : {130, 131, 128}) {
                if (ShowsIcon(screen, DrawIconResource(args[0], id, size, size)) ||
                    ShowsIcon(screen, DrawIconResource(args[0], id, GetSystemMetrics(SM_CXICON), size))) {
                    found = std::to_string(id);
                    return true;
                }
            }
            return false;
        });
        if (!matched)
            return Fail("the tray shows none of the program's icons");
        std::cout << found << "\n";
        return 0;
    }
    if (command == "x11-window") {
        args.Need(1, 1);
        if (!Resolve(args, false, t, rc))
            return rc;
        HANDLE id = GetPropA(t.window, "__wine_x11_whole_window");
        if (!id)
            return Fail("the window has no X11 window");
        std::cout << Hex(id) << "\n";
        return 0;
    }
    throw UsageError();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        return Run(argv[1], Args(argc, argv));
    } catch (const UsageError&) {
        std::cerr << kUsage;
        return 2;
    }
}
