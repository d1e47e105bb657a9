#include "layout/LayoutManager.h"
#include <algorithm>
#include <memory>
#include "layout/LayoutFramedGroup.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutModes.h"

namespace {

constexpr uint32_t UPDOWN_ALIGN_RIGHT = 0x4;
constexpr uint32_t UPDOWN_ALIGN_LEFT = 0x8;

// The window length that holds the tree's minimum (or maximum) plus borders
// and frame; `limit` may be unbounded.
int32_t WindowLength(int32_t limit, int32_t borders, int32_t frame) {
    return limit == LAYOUT_UNBOUNDED ? LAYOUT_UNBOUNDED : limit + borders + frame;
}

}  // namespace

LayoutManager::LayoutManager(LayoutWindows& windows, LayoutWindows::Handle ownerWindow)
    : windows_(windows), ownerWindow_(ownerWindow) {}

void LayoutManager::SetDpi(int32_t dpi) {
    dpi_ = dpi;
    borderX = borderY = Scaled(5);
}

LayoutRect LayoutManager::GetLayoutRect() { return windows_.ClientRect(ownerWindow_); }

void LayoutManager::UpdateLayout(LayoutNodeRef root) {
    root_ = std::move(root);
    UpdateLayout();
}

void LayoutManager::UpdateLayout() {
    if (!root_) return;
    LayoutRect rc = GetLayoutRect();
    // A minimised window has no client area, and its size must not be touched.
    const LayoutRect client = windows_.ClientRect(ownerWindow_);
    const bool minimised = client.Width() == 0 && client.Height() == 0;
    const bool topLevelDialog = windows_.IsDialog(ownerWindow_) &&
                                !(windows_.Style(ownerWindow_) & LayoutWindows::STYLE_CHILD);
    if (topLevelDialog && !minimised) {
        KeepOwnerWithinLimits(rc);
        // Moving the window may have resized it.
        rc = GetLayoutRect();
    }

    rc.left += borderX;
    rc.right -= borderX;
    rc.top += borderY;
    rc.bottom -= borderY;
    ResizeRoot(rc);
    ReattachUpDowns();
    windows_.Invalidate(ownerWindow_);
}

void LayoutManager::KeepOwnerWithinLimits(const LayoutRect& layoutRect) {
    LayoutRect w = windows_.WindowRect(ownerWindow_);
    const int32_t frameWidth = w.Width() - layoutRect.Width();
    const int32_t frameHeight = w.Height() - layoutRect.Height();
    const LayoutNode& root = *root_.Get();

    const int32_t minWidth = WindowLength(root.MinWidth(), 2 * borderX, frameWidth);
    const int32_t minHeight = WindowLength(root.MinHeight(), 2 * borderY, frameHeight);
    int32_t maxWidth = WindowLength(root.MaxWidth(), 2 * borderX, frameWidth);
    int32_t maxHeight = WindowLength(root.MaxHeight(), 2 * borderY, frameHeight);
    if (maxWidth != LAYOUT_UNBOUNDED) maxWidth = std::max(maxWidth, minWidth);
    if (maxHeight != LAYOUT_UNBOUNDED) maxHeight = std::max(maxHeight, minHeight);

    if (w.Width() < minWidth) w.right = w.left + minWidth;
    if (w.Height() < minHeight) w.bottom = w.top + minHeight;
    if (maxWidth != LAYOUT_UNBOUNDED && w.Width() > maxWidth) w.right = w.left + maxWidth;
    if (maxHeight != LAYOUT_UNBOUNDED && w.Height() > maxHeight) w.bottom = w.top + maxHeight;
    windows_.Move(ownerWindow_, w);
}

void LayoutManager::ReattachUpDowns() {
    // An up-down control attached to a buddy does not follow it when the
    // buddy moves; setting the same buddy again puts it back beside it.
    for (LayoutWindows::Handle child : windows_.Children(ownerWindow_)) {
        if (windows_.ClassName(child) != "msctls_updown32") continue;
        const uint32_t style = windows_.Style(child);
        if (!(style & LayoutWindows::STYLE_VISIBLE)) continue;
        const LayoutWindows::Handle buddy = windows_.UpDownBuddy(child);
        if (buddy && (style & (UPDOWN_ALIGN_RIGHT | UPDOWN_ALIGN_LEFT)))
            windows_.SetUpDownBuddy(child, buddy);
    }
}

void LayoutManager::ResizeRoot(const LayoutRect& rect) {
    if (!root_ || rect.Width() <= 0 || rect.Height() <= 0) return;
    root_->ResizeTo(rect);
}

LayoutNodeRef LayoutManager::CreateRoot(int32_t orientation, int32_t gap, int32_t border) {
    root_.Reset();
    root_ = NewGroup(orientation, 0, gap, border, 0);
    return root_;
}

LayoutNodeRef LayoutManager::NewGroup(int32_t orientation, uint32_t modes, int32_t gap,
                                      int32_t border, int32_t size) {
    return LayoutNodeRef(std::make_unique<LayoutGroup>(this, orientation, modes, gap, border, size));
}

LayoutNodeRef LayoutManager::NewFramedGroup(int frameId, int32_t orientation, uint32_t modes,
                                            int32_t gap, int32_t border, int32_t headerHeight,
                                            int32_t size) {
    return LayoutNodeRef(std::make_unique<LayoutFramedGroup>(
        this, windows_.FindChild(ownerWindow_, frameId), orientation, modes, gap, border,
        headerHeight, size));
}

LayoutNodeRef LayoutManager::NewItem(int controlId, uint32_t modes, int32_t width, int32_t height,
                                     int32_t minWidth, int32_t minHeight) {
    return LayoutNodeRef(std::make_unique<LayoutItem>(
        this, windows_.FindChild(ownerWindow_, controlId), modes, width, height, minWidth, minHeight));
}

LayoutNodeRef LayoutManager::NewSpacer(bool vertical) {
    return LayoutNodeRef(std::make_unique<LayoutItem>(
        this, nullptr, vertical ? FIXED_WIDTH : FIXED_HEIGHT, 0, 0, -5, -5));
}
