#include "tools/e2e-driver/BoldMenuItems.h"
#include "tools/e2e-driver/TopDownBitmap.h"

#include <cstdlib>
#include <string>

namespace {

struct Band {
    int top = 0, bottom = 0, left = 0, right = 0;
    int Width() const { return right - left + 1; }
};

bool Dark(std::uint32_t rgb)
{
    int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r + g + b < 3 * 100;
}

// Text lines: runs of rows with dark pixels; a gap of up to two rows (between
// a letter and its mnemonic underline) stays inside the line.
std::vector<Band> TextBands(const ScreenImage& image, int margin)
{
    std::vector<Band> bands;
    int lastDarkRow = -10;
    for (int y = margin; y < image.height - margin; ++y) {
        int left = -1, right = -1;
        for (int x = margin; x < image.width - margin; ++x) {
            if (Dark(image.rgb[static_cast<size_t>(y) * image.width + x])) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left < 0)
            continue;
        if (bands.empty() || y - lastDarkRow > 3) {
            bands.push_back(Band{y, y, left, right});
        } else {
            Band& band = bands.back();
            band.bottom = y;
            band.left = left < band.left ? left : band.left;
            band.right = right > band.right ? right : band.right;
        }
        lastDarkRow = y;
    }
    return bands;
}

// Ink width of an item text drawn as the menu draws it, mnemonic underline included.
int InkWidth(const std::string& text, bool bold)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTA font = metrics.lfMenuFont;
    if (bold)
        font.lfWeight = font.lfWeight < FW_BOLD ? FW_BOLD : font.lfWeight + 300;

    const int width = 400, height = 64;
    ScreenImage image;
    image.width = width;
    image.height = height;
    BITMAPINFO bmi = TopDownBitmap(width, height);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT handle = CreateFontIndirectA(&font);
    int result = 0;
    if (dc && bitmap && handle) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldFont = SelectObject(dc, handle);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        RECT place = {8, 8, width, height};
        DrawTextA(dc, text.c_str(), -1, &place, DT_SINGLELINE | DT_LEFT | DT_TOP);
        GdiFlush();
        const std::uint32_t* p = static_cast<const std::uint32_t*>(bits);
        image.rgb.assign(p, p + width * height);
        std::vector<Band> bands = TextBands(image, 0);
        if (bands.size() == 1)
            result = bands[0].Width();
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
    }
    if (handle)
        DeleteObject(handle);
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return result;
}

} // namespace

std::vector<UINT> BoldMenuItems(const ScreenImage& popup, HMENU menu)
{
    struct Item {
        UINT id;
        std::string text;
    };
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (GetMenuItemInfoA(menu, i, TRUE, &info) && !(info.fType & MFT_SEPARATOR))
            items.push_back(Item{info.wID, std::string(text).substr(0, std::string(text).find('\t'))});
    }
    std::vector<UINT> bold;
    std::vector<Band> bands = TextBands(popup, 3); // inside the menu's frame
    if (bands.size() != items.size())
        return bold;
    for (size_t i = 0; i < items.size(); ++i) {
        int regular = InkWidth(items[i].text, false), heavy = InkWidth(items[i].text, true);
        int shown = bands[i].Width();
        if (heavy != regular && std::abs(shown - heavy) < std::abs(shown - regular))
            bold.push_back(items[i].id);
    }
    return bold;
}
