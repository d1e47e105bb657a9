#include "layout/LayoutFramedGroup.h"
#include "layout/LayoutManager.h"
#include "layout/LayoutModes.h"

LayoutFramedGroup::LayoutFramedGroup(LayoutManager* owner, LayoutWindows::Handle frame,
                                     int32_t orientation, uint32_t modes, int32_t gap,
                                     int32_t border, int32_t headerHeight, int32_t size)
    : LayoutGroup(owner, orientation, modes, gap, border, size), headerHeight(headerHeight),
      frame_(frame) {}

int32_t LayoutFramedGroup::MinHeight() const { return LayoutGroup::MinHeight() + headerHeight; }

int32_t LayoutFramedGroup::MaxHeight() const {
    const int32_t max = LayoutGroup::MaxHeight();
    return max == LAYOUT_UNBOUNDED ? max : max + headerHeight;
}

bool LayoutFramedGroup::ResizeTo(LayoutRect rect) {
    if (frame_) {
        LayoutWindows& windows = owner->Windows();
        windows.Move(frame_, rect);
        // The group box is transparent: its old caption and edges would stay
        // on screen unless the background is erased with it.
        windows.Redraw(frame_, true);
    }
    rect.top += headerHeight;
    return LayoutGroup::ResizeTo(rect);
}
