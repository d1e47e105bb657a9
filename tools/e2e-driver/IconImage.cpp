#include "tools/e2e-driver/IconImage.h"
#include "tools/e2e-driver/TopDownBitmap.h"

#include "tools/e2e-driver/ResourceModule.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::vector<std::uint32_t> ReadBits(HBITMAP bitmap, int size)
{
    BITMAPINFO bmi = TopDownBitmap(size, size);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size) * size);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, size, pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != size)
        pixels.clear();
    return pixels;
}

} // namespace

IconImage ReadIcon(HICON icon, int size)
{
    IconImage image;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return image;
    std::vector<std::uint32_t> colour = info.hbmColor ? ReadBits(info.hbmColor, size) : std::vector<std::uint32_t>();
    std::vector<std::uint32_t> mask = info.hbmMask ? ReadBits(info.hbmMask, size) : std::vector<std::uint32_t>();
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (colour.empty() || mask.size() != colour.size())
        return image;
    image.size = size;
    image.argb.resize(colour.size());
    for (size_t i = 0; i < colour.size(); ++i)
        image.argb[i] = (mask[i] & 0xFFFFFF) ? 0 : (0xFF000000u | (colour[i] & 0xFFFFFF));
    return image;
}

IconImage LoadIconResource(const std::string& path, int id, int size)
{
    ResourceModule module(path);
    if (!module.Get())
        return IconImage();
    HICON icon = static_cast<HICON>(LoadImageA(module.Get(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    IconImage image = ReadIcon(icon, size);
    if (icon)
        DestroyIcon(icon);
    return image;
}

namespace {

std::vector<std::uint32_t> DrawOn(HICON icon, int size, std::uint32_t background)
{
    std::vector<std::uint32_t> pixels;
    BITMAPINFO bmi = TopDownBitmap(size, size);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::uint32_t* p = static_cast<std::uint32_t*>(bits);
        std::fill(p, p + size * size, background);
        if (DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) {
            GdiFlush();
            pixels.assign(p, p + size * size);
        }
        SelectObject(dc, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return pixels;
}

} // namespace

IconImage DrawIconResource(const std::string& path, int id, int loadSize, int drawSize)
{
    IconImage image;
    ResourceModule module(path);
    if (!module.Get())
        return image;
    HICON icon = static_cast<HICON>(
        LoadImageA(module.Get(), MAKEINTRESOURCEA(id), IMAGE_ICON, loadSize, loadSize, 0));
    if (!icon)
        return image;
    std::vector<std::uint32_t> onBlack = DrawOn(icon, drawSize, 0x000000);
    std::vector<std::uint32_t> onWhite = DrawOn(icon, drawSize, 0xFFFFFF);
    DestroyIcon(icon);
    if (onBlack.empty() || onBlack.size() != onWhite.size())
        return image;
    image.size = drawSize;
    for (size_t i = 0; i < onBlack.size(); ++i) {
        bool opaque = (onBlack[i] & 0xFFFFFF) == (onWhite[i] & 0xFFFFFF);
        image.argb.push_back(opaque ? (0xFF000000u | (onBlack[i] & 0xFFFFFF)) : 0);
    }
    return image;
}

std::vector<IconImage> ParseNetWmIcon(const std::string& numbers)
{
    std::vector<std::uint32_t> values;
    const char* p = numbers.c_str();
    while (*p) {
        char* end = nullptr;
        unsigned long value = std::strtoul(p, &end, 0);
        if (end == p) {
            ++p;
            continue;
        }
        values.push_back(static_cast<std::uint32_t>(value));
        p = end;
    }
    std::vector<IconImage> images;
    size_t i = 0;
    while (i + 2 <= values.size()) {
        std::uint32_t width = values[i], height = values[i + 1];
        size_t count = static_cast<size_t>(width) * height;
        if (width == 0 || width != height || width > 256 || i + 2 + count > values.size())
            break;
        IconImage image;
        image.size = static_cast<int>(width);
        for (size_t k = 0; k < count; ++k) {
            std::uint32_t pixel = values[i + 2 + k];
            image.argb.push_back((pixel >> 24) < 0x80 ? 0 : (0xFF000000u | (pixel & 0xFFFFFF)));
        }
        images.push_back(image);
        i += 2 + count;
    }
    return images;
}
