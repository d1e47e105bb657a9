#pragma once
#include <cstdint>
#include "layout/LayoutRect.h"

class LayoutManager;

// A node of the layout tree: a group of nodes or one control.
class LayoutNode {
public:
    explicit LayoutNode(LayoutManager* owner, uint32_t modes = 0) : modes(modes), owner(owner) {}
    virtual ~LayoutNode() = default;
    LayoutNode(const LayoutNode&) = delete;
    LayoutNode& operator=(const LayoutNode&) = delete;

    // Length when the parent treats the node as fixed or relative; `base` is
    // the space the parent distributes.
    virtual int32_t PreferredWidth(int32_t base) const = 0;
    virtual int32_t PreferredHeight(int32_t base) const = 0;
    virtual int32_t MinWidth() const = 0;
    // LAYOUT_UNBOUNDED when there is no maximum.
    virtual int32_t MaxWidth() const = 0;
    virtual int32_t MinHeight() const = 0;
    virtual int32_t MaxHeight() const = 0;
    // `rect` is in the owner window's client coordinates.
    virtual bool ResizeTo(LayoutRect rect) = 0;

    uint32_t modes;
    LayoutManager* owner;
};
