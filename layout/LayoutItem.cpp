#include "layout/LayoutItem.h"
#include <algorithm>
#include "layout/LayoutManager.h"
#include "layout/LayoutModes.h"

namespace {

// Combo box styles that decide how its height is kept.
constexpr uint32_t COMBO_DROPDOWN_BIT = 0x2;
constexpr uint32_t COMBO_NO_INTEGRAL_HEIGHT = 0x400;
constexpr int COMBO_LIST_ID = 1000;

int32_t Preferred(uint32_t modes, uint32_t fixedBit, uint32_t relativeBit, int32_t value, int32_t base) {
    if (modes & fixedBit) return value;
    if (modes & relativeBit) return static_cast<int32_t>(static_cast<int64_t>(base) * value / 100);
    return LAYOUT_UNBOUNDED;
}

int32_t Minimum(uint32_t modes, uint32_t fixedBit, int32_t value, int32_t minimum) {
    return (modes & fixedBit) ? value : std::max(minimum, LAYOUT_MIN_LENGTH);
}

// Places a fixed length inside [start, end) by the two alignment bits; with
// neither or only the first bit it stays at the start.
void Align(int32_t& start, int32_t& end, int32_t length, uint32_t modes, uint32_t startBit, uint32_t endBit) {
    const int32_t room = (end - start) - length;
    if ((modes & startBit) && (modes & endBit)) start += room / 2;
    else if (modes & endBit) start += room;
    end = start + length;
}

}  // namespace

LayoutItem::LayoutItem(LayoutManager* owner, LayoutWindows::Handle window, uint32_t modes,
                       int32_t width, int32_t height, int32_t minWidth, int32_t minHeight)
    : LayoutNode(owner, modes), width(width), minWidth(minWidth), height(height),
      minHeight(minHeight), window_(window) {
    if (!window_) return;
    LayoutWindows& windows = owner->Windows();
    const LayoutRect rect = windows.WindowRect(window_);
    if (this->width == 0) this->width = rect.Width();
    if (this->minWidth == -1) this->minWidth = rect.Width();
    if (this->height == 0) this->height = rect.Height();
    if (this->minHeight == -1) this->minHeight = rect.Height();
    const std::string className = windows.ClassName(window_);
    isComboBox = className == "ComboBox" || className == "ComboBoxEx32";
}

int32_t LayoutItem::PreferredWidth(int32_t base) const {
    return Preferred(modes, FIXED_WIDTH, RELATIVE_WIDTH, width, base);
}

int32_t LayoutItem::PreferredHeight(int32_t base) const {
    return Preferred(modes, FIXED_HEIGHT, RELATIVE_HEIGHT, height, base);
}

int32_t LayoutItem::MinWidth() const { return Minimum(modes, FIXED_WIDTH, width, minWidth); }

int32_t LayoutItem::MaxWidth() const { return (modes & FIXED_WIDTH) ? width : LAYOUT_UNBOUNDED; }

int32_t LayoutItem::MinHeight() const { return Minimum(modes, FIXED_HEIGHT, height, minHeight); }

int32_t LayoutItem::MaxHeight() const { return (modes & FIXED_HEIGHT) ? height : LAYOUT_UNBOUNDED; }

bool LayoutItem::ResizeTo(LayoutRect cell) {
    if (!window_) return true;
    LayoutWindows& windows = owner->Windows();
    const LayoutRect current = windows.WindowRect(window_);
    AlignFixedLengths(cell, current);
    if (isComboBox) MoveComboBox(cell, current);
    else windows.Move(window_, cell);
    windows.Redraw(window_, false);
    return true;
}

void LayoutItem::AlignFixedLengths(LayoutRect& cell, const LayoutRect& current) const {
    if ((modes & FIXED_WIDTH) && !(modes & FILL_WIDTH))
        Align(cell.left, cell.right, current.Width(), modes, ALIGN_LEFT, ALIGN_RIGHT);
    if ((modes & FIXED_HEIGHT) && !(modes & FILL_HEIGHT))
        Align(cell.top, cell.bottom, current.Height(), modes, ALIGN_TOP, ALIGN_BOTTOM);
}

void LayoutItem::MoveComboBox(LayoutRect cell, const LayoutRect& current) {
    LayoutWindows& windows = owner->Windows();
    const uint32_t style = windows.Style(window_);
    // A drop-down combo box's window is only its edit part: stretching it
    // would change nothing but the list's drop height.
    if (style & COMBO_DROPDOWN_BIT) cell.bottom = cell.top + current.Height();
    windows.Move(window_, cell);
    if ((style & COMBO_DROPDOWN_BIT) || (style & COMBO_NO_INTEGRAL_HEIGHT)) return;
    // The system rounds a simple combo box's list to whole lines; end the
    // control where its list ends.
    const LayoutWindows::Handle list = windows.FindChild(window_, COMBO_LIST_ID);
    if (!list) return;
    const LayoutRect combo = windows.WindowRect(window_);
    cell.bottom = cell.top + (windows.WindowRect(list).bottom - combo.top);
    windows.Move(window_, cell);
}
