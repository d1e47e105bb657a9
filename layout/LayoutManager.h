#pragma once
#include <cstdint>
#include <string>
#include "layout/DpiScale.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutModes.h"
#include "layout/LayoutNodeRef.h"
#include "layout/LayoutRect.h"
#include "layout/LayoutWindows.h"

// Holds the layout tree of one owner window and lays it out on request.
class LayoutManager {
public:
    explicit LayoutManager(LayoutWindows& windows, LayoutWindows::Handle ownerWindow = nullptr);
    virtual ~LayoutManager() = default;
    LayoutManager(const LayoutManager&) = delete;
    LayoutManager& operator=(const LayoutManager&) = delete;

    // The part of the owner's client area the layout may use.
    virtual LayoutRect GetLayoutRect();
    virtual void UpdateLayout(LayoutNodeRef root);
    // Keeps the owner within the tree's limits and lays the tree out.
    virtual void UpdateLayout();
    // Does nothing for an empty rectangle or without a root.
    virtual void ResizeRoot(const LayoutRect& rect);

    LayoutNodeRef CreateRoot(int32_t orientation, int32_t gap, int32_t border);
    LayoutNodeRef NewGroup(int32_t orientation, uint32_t modes, int32_t gap, int32_t border,
                           int32_t size);
    LayoutNodeRef NewFramedGroup(int frameId, int32_t orientation, uint32_t modes, int32_t gap,
                                 int32_t border, int32_t headerHeight, int32_t size);
    LayoutNodeRef NewItem(int controlId, uint32_t modes, int32_t width, int32_t height,
                          int32_t minWidth, int32_t minHeight);
    // Empty space that grows in height (vertical) or width, never below 5.
    LayoutNodeRef NewSpacer(bool vertical);

    const LayoutNodeRef& Root() const { return root_; }
    void ReleaseRoot() { root_.Reset(); }

    LayoutWindows& Windows() const { return windows_; }
    LayoutWindows::Handle OwnerWindow() const { return ownerWindow_; }
    void SetOwnerWindow(LayoutWindows::Handle window) { ownerWindow_ = window; }

    // Empty: the owner's placement is not kept.
    const std::string& PlacementSection() const { return placementSection_; }
    void SetPlacementSection(const std::string& section) { placementSection_ = section; }

    // The screen's DPI, which the lengths given for 96 DPI follow; also sets
    // the borders.
    int32_t Dpi() const { return dpi_; }
    void SetDpi(int32_t dpi);
    // A length given for 96 DPI, in pixels of this screen.
    int32_t Scaled(int32_t pixels) const { return ScaleToDpi(pixels, dpi_); }

    // Pixels kept free around the layout rectangle.
    int32_t borderX = 5;
    int32_t borderY = 5;

private:
    void KeepOwnerWithinLimits(const LayoutRect& layoutRect);
    void ReattachUpDowns();

    LayoutWindows& windows_;
    LayoutWindows::Handle ownerWindow_;
    LayoutNodeRef root_;
    std::string placementSection_;
    int32_t dpi_ = BASE_DPI;
};
