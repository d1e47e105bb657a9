#include "history/OffsetChart_win32.h"

#include <algorithm>

#include "layout/DpiScale.h"
#include "window/Handles_win32.h"

namespace {

const COLORREF kGrid = RGB(216, 216, 216);
const COLORREF kAxis = RGB(0, 0, 0);
const COLORREF kSet = RGB(0, 84, 166);
const COLORREF kFailure = RGB(255, 0, 0);   // the red of the idle icon's ring
const COLORREF kText = RGB(64, 64, 64);

// Puts a GDI object into a context and the previous one back on leaving.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Text(HDC dc, const std::string& text, RECT box, UINT format) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_SINGLELINE | DT_NOPREFIX);
}

SIZE Extent(HDC dc, const std::string& text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace

void OffsetChart::Show(const HistorySpan& span, int dpi) {
    span_ = &span;
    dpi_ = dpi;
    InvalidateRect(Handle(), nullptr, FALSE);
}

int OffsetChart::Scaled(int pixels) const {
    return ScaleToDpi(pixels, dpi_);
}

LRESULT OffsetChart::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;   // the paint covers every pixel
    case WM_SIZE:
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_PAINT: {
        const PaintDC dc(Handle());
        RECT area;
        GetClientRect(Handle(), &area);
        const MemoryDC buffer(CreateCompatibleDC(dc.Get()));
        const Bitmap bitmap(CreateCompatibleBitmap(dc.Get(), area.right, area.bottom));
        if (!buffer || !bitmap) return 0;
        const Selected canvas(buffer.Get(), bitmap.Get());
        Paint(buffer.Get(), area);
        BitBlt(dc.Get(), 0, 0, area.right, area.bottom, buffer.Get(), 0, 0, SRCCOPY);
        return 0;
    }
    }
    return Window::WindowProc(msg, wp, lp);
}

void OffsetChart::Paint(HDC dc, const RECT& area) const {
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
    if (!span_) return;
    const HistorySpan& span = *span_;
    const Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(GetParent(Handle()), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);

    // The widest label of the scale sets the plot's left edge.
    int labelWidth = 0;
    for (int64_t v = span.low; v <= span.high; v += span.step)
        labelWidth = std::max<int>(labelWidth, Extent(dc, MillisecondsText(v)).cx);
    const int textHeight = Extent(dc, "0").cy, mark = Scaled(6);
    RECT plot = {labelWidth + Scaled(10), textHeight / 2 + Scaled(6), area.right - Scaled(12),
                 area.bottom - textHeight - mark - Scaled(6)};
    if (plot.right <= plot.left || plot.bottom <= plot.top) return;
    auto x = [&](int64_t time) { return SpanX(span, time, plot.left, plot.right); };
    auto y = [&](int64_t ms) { return SpanY(span, ms, plot.top, plot.bottom); };

    const Pen grid(CreatePen(PS_SOLID, 1, kGrid));
    {
        const Selected pen(dc, grid.Get());
        for (int64_t v = span.low; v <= span.high; v += span.step) {
            Line(dc, plot.left, y(v), plot.right, y(v));
            Text(dc, MillisecondsText(v), {0, y(v) - textHeight, plot.left - Scaled(5), y(v) + textHeight},
                 DT_RIGHT | DT_VCENTER);
        }
        for (int64_t t : TimeMarks(span)) {
            Line(dc, x(t), plot.top, x(t), plot.bottom);
            // A label that would reach under the scale's labels is left out.
            const std::string label = CivilText(t).substr(11, 5);
            if (x(t) - Extent(dc, label).cx / 2 < plot.left - Scaled(5)) continue;
            Text(dc, label, {x(t) - 3 * textHeight, plot.bottom + mark, x(t) + 3 * textHeight, area.bottom}, DT_CENTER | DT_TOP);
        }
    }
    const Pen axis(CreatePen(PS_SOLID, Scaled(1), kAxis));
    const Pen failure(CreatePen(PS_SOLID, std::max(1, Scaled(2)), kFailure));
    const Pen set(CreatePen(PS_SOLID, Scaled(1), kSet));
    const Brush dot(CreateSolidBrush(kSet));
    {
        const Selected pen(dc, axis.Get());
        Line(dc, plot.left, y(0), plot.right, y(0));
        Line(dc, plot.left, plot.bottom, plot.right, plot.bottom);
    }
    const int cap = Scaled(3), radius = Scaled(2);
    for (const OffsetPoint& p : span.points) {
        if (!p.set) {
            const Selected pen(dc, failure.Get());
            Line(dc, x(p.time), plot.bottom, x(p.time), plot.bottom + mark);
            continue;
        }
        const Selected pen(dc, set.Get());
        const Selected brush(dc, dot.Get());
        const int px = x(p.time), py = y(p.offsetMs);
        if (p.withinMs > 0) {
            const int high = y(p.offsetMs + p.withinMs), low = y(p.offsetMs - p.withinMs);
            Line(dc, px, high, px, low + 1);
            Line(dc, px - cap, high, px + cap + 1, high);
            Line(dc, px - cap, low, px + cap + 1, low);
        }
        Ellipse(dc, px - radius, py - radius, px + radius + 1, py + radius + 1);
    }
}
