#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "layout/LayoutRect.h"

// The engine's only view of the windows it arranges.
class LayoutWindows {
public:
    using Handle = void*;

    static constexpr uint32_t STYLE_CHILD = 0x40000000;
    static constexpr uint32_t STYLE_VISIBLE = 0x10000000;

    virtual ~LayoutWindows() = default;

    // Null when `parent` has no child with that ID.
    virtual Handle FindChild(Handle parent, int id) = 0;
    // Screen coordinates, frame included.
    virtual LayoutRect WindowRect(Handle window) = 0;
    // Origin (0, 0).
    virtual LayoutRect ClientRect(Handle window) = 0;
    virtual std::string ClassName(Handle window) = 0;
    virtual uint32_t Style(Handle window) = 0;
    virtual bool IsDialog(Handle window) = 0;
    // Children in Z order.
    virtual std::vector<Handle> Children(Handle parent) = 0;

    // Coordinates as the platform's window move takes them: the parent's
    // client area for a child window, the screen for a top-level one.
    virtual void Move(Handle window, const LayoutRect& rect) = 0;
    // Repaints at once.
    virtual void Redraw(Handle window, bool eraseBackground) = 0;
    // Whole client area, background erased on the next paint.
    virtual void Invalidate(Handle window) = 0;

    virtual Handle UpDownBuddy(Handle upDown) = 0;
    virtual void SetUpDownBuddy(Handle upDown, Handle buddy) = 0;
};
