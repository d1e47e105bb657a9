#include "layout/LayoutWindows_win32.h"
#include <windows.h>
#include <commctrl.h>

namespace {

HWND H(LayoutWindows::Handle handle) { return static_cast<HWND>(handle); }

LayoutRect FromRect(const RECT& r) { return LayoutRect{r.left, r.top, r.right, r.bottom}; }

class User32LayoutWindows : public LayoutWindows {
public:
    Handle FindChild(Handle parent, int id) override { return GetDlgItem(H(parent), id); }

    LayoutRect WindowRect(Handle window) override {
        RECT r = {};
        GetWindowRect(H(window), &r);
        return FromRect(r);
    }

    LayoutRect ClientRect(Handle window) override {
        RECT r = {};
        GetClientRect(H(window), &r);
        return FromRect(r);
    }

    std::string ClassName(Handle window) override {
        char name[261] = {};
        const int length = GetClassNameA(H(window), name, sizeof name);
        return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
    }

    uint32_t Style(Handle window) override {
        return static_cast<uint32_t>(GetWindowLongA(H(window), GWL_STYLE));
    }

    bool IsDialog(Handle window) override { return ClassName(window) == "#32770"; }

    std::vector<Handle> Children(Handle parent) override {
        std::vector<Handle> children;
        for (HWND c = GetWindow(H(parent), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        return children;
    }

    void Move(Handle window, const LayoutRect& r) override {
        MoveWindow(H(window), r.left, r.top, r.Width(), r.Height(), TRUE);
    }

    void Redraw(Handle window, bool eraseBackground) override {
        RedrawWindow(H(window), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | (eraseBackground ? RDW_ERASE : 0));
    }

    void Invalidate(Handle window) override { InvalidateRect(H(window), nullptr, TRUE); }

    Handle UpDownBuddy(Handle upDown) override {
        return reinterpret_cast<HWND>(SendMessageA(H(upDown), UDM_GETBUDDY, 0, 0));
    }

    void SetUpDownBuddy(Handle upDown, Handle buddy) override {
        SendMessageA(H(upDown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(H(buddy)), 0);
    }
};

}  // namespace

LayoutWindows& Win32LayoutWindows() {
    static User32LayoutWindows windows;
    return windows;
}
