#include "tools/e2e-driver/ScreenCapture.h"
#include "tools/e2e-driver/TopDownBitmap.h"

#include <algorithm>

namespace {

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC() { DeleteDC(dc_); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

bool MatchesAt(const ScreenImage& screen, const IconImage& icon, int left, int top)
{
    for (int y = 0; y < icon.size; ++y) {
        for (int x = 0; x < icon.size; ++x) {
            std::uint32_t pixel = icon.argb[static_cast<size_t>(y) * icon.size + x];
            if (pixel == 0)
                continue;
            if ((pixel & 0xFFFFFF) != screen.rgb[static_cast<size_t>(top + y) * screen.width + left + x])
                return false;
        }
    }
    return true;
}

} // namespace

ScreenImage CaptureScreen(const RECT& area)
{
    ScreenImage image;
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return image;
    ScreenDC screen;
    MemoryDC memory(screen.Get());
    BITMAPINFO bmi = TopDownBitmap(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return image;
    HGDIOBJ old = SelectObject(memory.Get(), bitmap);
    if (BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY)) {
        GdiFlush();
        const std::uint32_t* pixels = static_cast<const std::uint32_t*>(bits);
        image.width = width;
        image.height = height;
        image.rgb.assign(pixels, pixels + static_cast<size_t>(width) * height);
        for (std::uint32_t& pixel : image.rgb)
            pixel &= 0xFFFFFF;
    }
    SelectObject(memory.Get(), old);
    DeleteObject(bitmap);
    return image;
}

bool ShowsIcon(const ScreenImage& screen, const IconImage& icon)
{
    // An icon that is mostly background-dependent would match anything.
    size_t opaque = std::count_if(icon.argb.begin(), icon.argb.end(), [](std::uint32_t p) { return p != 0; });
    if (opaque == 0 || opaque < icon.argb.size() / 4)
        return false;
    for (int top = 0; top + icon.size <= screen.height; ++top) {
        for (int left = 0; left + icon.size <= screen.width; ++left) {
            if (MatchesAt(screen, icon, left, top))
                return true;
        }
    }
    return false;
}
