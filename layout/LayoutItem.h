#pragma once
#include <cstdint>
#include "layout/LayoutNode.h"
#include "layout/LayoutWindows.h"

// One child control of the owner window, or empty space when windowless.
class LayoutItem : public LayoutNode {
public:
    // A null `window` makes a spacer that keeps the given sizes. With a
    // window, a width or height of 0 and a minimum of -1 mean the control's
    // current size.
    LayoutItem(LayoutManager* owner, LayoutWindows::Handle window, uint32_t modes,
               int32_t width, int32_t height, int32_t minWidth, int32_t minHeight);

    int32_t PreferredWidth(int32_t base) const override;
    int32_t PreferredHeight(int32_t base) const override;
    int32_t MinWidth() const override;
    int32_t MaxWidth() const override;
    int32_t MinHeight() const override;
    int32_t MaxHeight() const override;
    bool ResizeTo(LayoutRect rect) override;

    LayoutWindows::Handle Window() const { return window_; }

    // Fixed length, or the percentage with a RELATIVE mode.
    int32_t width;
    int32_t minWidth;
    int32_t height;
    int32_t minHeight;
    bool isComboBox = false;

private:
    // Places a fixed-size control inside its cell by its alignment bits.
    void AlignFixedLengths(LayoutRect& cell, const LayoutRect& current) const;
    void MoveComboBox(LayoutRect cell, const LayoutRect& current);

    LayoutWindows::Handle window_;
};
