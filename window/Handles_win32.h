#pragma once
// Owners of the handle kinds the program acquires: each closes its handle in
// its destructor, moves but never copies.
#include <windows.h>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const { return handle_; }
    explicit operator bool() const { return Traits::Valid(handle_); }
    Type Release() {
        const Type handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // Closes what it held; false when the system refused to.
    bool Reset(Type handle = Traits::Invalid()) {
        bool closed = true;
        if (Traits::Valid(handle_)) closed = Traits::Close(handle_);
        handle_ = handle;
        return closed;
    }
    // For an out-parameter of the API: whatever was held is closed first.
    Type* Put() {
        Reset();
        return &handle_;
    }

private:
    Type handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return FreeLibrary(h) != FALSE; }
};

template <class T>
struct GdiObjectTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DeleteObject(h) != FALSE; }
};

struct MemoryDCTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DeleteDC(h) != FALSE; }
};

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return GlobalFree(h) == nullptr; }
};

struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DestroyMenu(h) != FALSE; }
};

struct CursorTraits {
    using Type = HCURSOR;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DestroyCursor(h) != FALSE; }
};

struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DestroyIcon(h) != FALSE; }
};

struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return CloseServiceHandle(h) != FALSE; }
};

struct EventSourceTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return DeregisterEventSource(h) != FALSE; }
};

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return LocalFree(h) == nullptr; }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;   // the service manager or one service
using EventSource = UniqueHandle<EventSourceTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;       // what the API allocated with LocalAlloc
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;     // GlobalAlloc's, until the clipboard takes it
using MemoryDC = UniqueHandle<MemoryDCTraits>;             // CreateCompatibleDC's
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using Module = UniqueHandle<ModuleTraits>;
using Font = UniqueHandle<GdiObjectTraits<HFONT>>;
using Region = UniqueHandle<GdiObjectTraits<HRGN>>;
using Bitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using Pen = UniqueHandle<GdiObjectTraits<HPEN>>;
using Brush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using Menu = UniqueHandle<MenuTraits>;
using Cursor = UniqueHandle<CursorTraits>;  // a copied one (CopyIcon), not a shared one
using Icon = UniqueHandle<IconTraits>;      // a loaded one without LR_SHARED

// An icon resource in the two sizes a window shows.
struct WindowIcon {
    Icon big;
    Icon small;
};

// A window's device context, from GetDC to ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The painting context of WM_PAINT, from BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};
