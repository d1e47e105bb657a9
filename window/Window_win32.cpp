#include "window/Window_win32.h"
#include <vector>

namespace {

// Window properties: the attached object, and the procedure that was there
// before us, kept for when someone subclassed the window after us and we
// cannot take our procedure out of the chain.
const char kObjectProperty[] = "Horalux.Window";
const char kProcProperty[] = "Horalux.Proc";

} // namespace

Window::~Window()
{
    Detach();
}

Window* Window::FromHandle(HWND window)
{
    if (!window) return nullptr;
    return static_cast<Window*>(GetPropA(window, kObjectProperty));
}

bool Window::SubclassWindow(HWND window)
{
    if (handle_ || !IsWindow(window) || FromHandle(window)) return false;
    if (!SetPropA(window, kObjectProperty, this)) return false;
    handle_ = window;
    // Known before PreSubclassWindow so that DefaultProc works inside it.
    originalProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetPropA(window, kProcProperty, reinterpret_cast<HANDLE>(originalProc_));
    PreSubclassWindow();
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
    return true;
}

bool Window::SubclassDlgItem(int id, Window& parent)
{
    HWND control = GetDlgItem(parent.Handle(), id);
    return control && SubclassWindow(control);
}

HWND Window::UnsubclassWindow()
{
    HWND window = handle_;
    Detach();
    return window;
}

void Window::Detach()
{
    if (!handle_) return;
    if (IsWindow(handle_)) {
        RemovePropA(handle_, kObjectProperty);
        const WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC));
        if (current == &SubclassProc) {
            SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
            RemovePropA(handle_, kProcProperty);
        }
    }
    handle_ = nullptr;
    originalProc_ = nullptr;
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    Window* object = FromHandle(window);
    LRESULT result;
    if (object) {
        result = object->WindowProc(msg, wp, lp);
    } else {
        WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(window, kProcProperty));
        result = original ? CallWindowProcA(original, window, msg, wp, lp)
                          : DefWindowProcA(window, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        // The object may already be gone from the window when a handler
        // detached it; look again.
        object = FromHandle(window);
        if (object) object->Detach();
        RemovePropA(window, kObjectProperty);
        RemovePropA(window, kProcProperty);
    }
    return result;
}

LRESULT Window::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    return DefaultProc(msg, wp, lp);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (originalProc_) return CallWindowProcA(originalProc_, handle_, msg, wp, lp);
    return DefWindowProcA(handle_, msg, wp, lp);
}

bool Window::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool Window::PreTranslateMessage(MSG&)
{
    return false;
}

std::string Window::TextOf(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void Window::SetText(const std::string& text)
{
    SetWindowTextA(handle_, text.c_str());
}

HWND Window::Item(int id) const
{
    return GetDlgItem(handle_, id);
}
