#pragma once
#include <cstdint>
#include "layout/LayoutGroup.h"
#include "layout/LayoutWindows.h"

// A group laid out inside a framing control (a group box) whose caption
// takes `headerHeight` pixels at the top.
class LayoutFramedGroup : public LayoutGroup {
public:
    // A null `frame` lays out the children without moving a frame.
    LayoutFramedGroup(LayoutManager* owner, LayoutWindows::Handle frame, int32_t orientation,
                      uint32_t modes, int32_t gap, int32_t border, int32_t headerHeight, int32_t size);

    int32_t MinHeight() const override;
    int32_t MaxHeight() const override;
    bool ResizeTo(LayoutRect rect) override;

    LayoutWindows::Handle Frame() const { return frame_; }

    int32_t headerHeight;

private:
    LayoutWindows::Handle frame_;
};
