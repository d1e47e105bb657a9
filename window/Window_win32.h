#pragma once
#include <windows.h>
#include <string>

// A window object attached to an HWND. Controls from a dialog template are
// attached by replacing their window procedure (SubclassDlgItem); the object
// lets go in its destructor or when the window receives WM_NCDESTROY, so no
// pointer to it outlives either.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return handle_; }
    // The object attached to `window`, or null.
    static Window* FromHandle(HWND window);

    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(int id, Window& parent);
    // Gives the window back its own procedure; returns it, or null if none.
    HWND UnsubclassWindow();

    // Derived classes handle messages here and pass the rest to DefaultProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

    // WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* that this control sent to its
    // dialog come back here first; true when handled, with the result.
    virtual bool OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Called by the modal loop for messages to this window or its children
    // before dispatch; true swallows the message.
    virtual bool PreTranslateMessage(MSG& msg);

    std::string GetText() const { return TextOf(handle_); }
    static std::string TextOf(HWND window);
    void SetText(const std::string& text);
    HWND Item(int id) const;

protected:
    // The window is attached but has not yet seen a message through us.
    virtual void PreSubclassWindow() {}

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    void Detach();

    HWND handle_ = nullptr;
    WNDPROC originalProc_ = nullptr;
};
