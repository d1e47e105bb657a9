#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"

namespace {

constexpr uint32_t CBS_SIMPLE = 0x1;
constexpr uint32_t CBS_DROPDOWN = 0x2;
constexpr uint32_t CBS_NOINTEGRALHEIGHT = 0x400;

class LayoutItemTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};
};

}  // namespace

TEST_F(LayoutItemTest, CreationTakesTheControlsSizeForZeroAndMinusOne) {
    windows.AddChild(dialog, 10, "Edit", {5, 5, 85, 27});
    windows.AddChild(dialog, 11, "ComboBox", {0, 0, 50, 20});
    windows.AddChild(dialog, 12, "ComboBoxEx32", {0, 0, 50, 20});
    LayoutNodeRef current = manager.NewItem(10, 0, 0, 0, -1, -1);
    LayoutNodeRef given = manager.NewItem(10, 0, 30, 12, 7, 0);
    LayoutNodeRef missing = manager.NewItem(99, 0, 0, 0, -1, -1);
    const LayoutItem& c = *current.As<LayoutItem>();
    const LayoutItem& g = *given.As<LayoutItem>();
    const LayoutItem& m = *missing.As<LayoutItem>();
    EXPECT_EQ((std::vector<int32_t>{c.width, c.height, c.minWidth, c.minHeight}), (std::vector<int32_t>{80, 22, 80, 22}));
    EXPECT_EQ((std::vector<int32_t>{g.width, g.height, g.minWidth, g.minHeight}), (std::vector<int32_t>{30, 12, 7, 0}));
    EXPECT_EQ((std::vector<int32_t>{m.width, m.height, m.minWidth, m.minHeight}), (std::vector<int32_t>{0, 0, -1, -1}));
    EXPECT_EQ(m.Window(), nullptr);
    EXPECT_TRUE(missing->ResizeTo({0, 0, 50, 50}));
    EXPECT_FALSE(c.isComboBox);
    LayoutNodeRef combo = manager.NewItem(11, 0, 0, 0, -1, -1);
    LayoutNodeRef comboEx = manager.NewItem(12, 0, 0, 0, -1, -1);
    EXPECT_TRUE(combo.As<LayoutItem>()->isComboBox);
    EXPECT_TRUE(comboEx.As<LayoutItem>()->isComboBox);
}

TEST_F(LayoutItemTest, SizeQueriesByMode) {
    LayoutItem fixed(&manager, nullptr, FIXED_WIDTH | FIXED_HEIGHT, 40, 20, 3, 3);
    EXPECT_EQ(fixed.PreferredWidth(500), 40);
    EXPECT_EQ(fixed.MinWidth(), 40);
    EXPECT_EQ(fixed.MaxWidth(), 40);
    EXPECT_EQ(fixed.MaxHeight(), 20);

    LayoutItem relative(&manager, nullptr, RELATIVE_WIDTH | RELATIVE_HEIGHT, 33, 50, 3, 60);
    EXPECT_EQ(relative.PreferredWidth(200), 66);
    EXPECT_EQ(relative.PreferredHeight(99), 49);
    EXPECT_EQ(relative.MinWidth(), 5) << "minimums are at least 5";
    EXPECT_EQ(relative.MinHeight(), 60);
    EXPECT_EQ(relative.MaxWidth(), LAYOUT_UNBOUNDED);

    LayoutItem greedy(&manager, nullptr, 0, 40, 20, 12, -5);
    EXPECT_EQ(greedy.PreferredWidth(200), -1);
    EXPECT_EQ(greedy.MinWidth(), 12);
    EXPECT_EQ(greedy.MinHeight(), 5);

    LayoutNodeRef spacer = manager.NewSpacer(true);
    EXPECT_EQ(spacer->modes, FIXED_WIDTH);
    EXPECT_EQ(spacer->MaxWidth(), 0);
    EXPECT_EQ(spacer->MinHeight(), 5);
    EXPECT_EQ(spacer->MaxHeight(), LAYOUT_UNBOUNDED);
    spacer = manager.NewSpacer(false);
    EXPECT_EQ(spacer->modes, FIXED_HEIGHT);
    EXPECT_EQ(spacer->MinWidth(), 5);
    EXPECT_EQ(spacer->MaxHeight(), 0);
}

TEST_F(LayoutItemTest, FixedControlIsAlignedInItsCellUnlessItFills) {
    auto* control = windows.AddChild(dialog, 1, "Button", {0, 0, 40, 20});
    const LayoutRect cell{10, 100, 91, 151};  // 81 x 51
    struct Case {
        uint32_t modes;
        LayoutRect placed;
    } cases[] = {
        {FIXED_WIDTH, {10, 100, 50, 151}},
        {FIXED_WIDTH | ALIGN_LEFT, {10, 100, 50, 151}},
        {FIXED_WIDTH | ALIGN_RIGHT, {51, 100, 91, 151}},
        {FIXED_WIDTH | ALIGN_HCENTER, {30, 100, 70, 151}},
        {FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, {10, 100, 91, 151}},
        {ALIGN_RIGHT | ALIGN_BOTTOM, {10, 100, 91, 151}},
        {FIXED_HEIGHT, {10, 100, 91, 120}},
        {FIXED_HEIGHT | ALIGN_BOTTOM, {10, 131, 91, 151}},
        {FIXED_HEIGHT | ALIGN_VCENTER, {10, 115, 91, 135}},
        {FIXED_HEIGHT | ALIGN_BOTTOM | FILL_HEIGHT, {10, 100, 91, 151}},
    };
    for (const Case& c : cases) {
        control->rect = {0, 0, 40, 20};
        manager.NewItem(1, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, c.placed) << "modes " << c.modes;
    }
    EXPECT_EQ(control->redraws, 10);
    EXPECT_EQ(control->erasingRedraws, 0);
}

TEST_F(LayoutItemTest, ComboBoxHeights) {
    auto* dropDown = windows.AddChild(dialog, 1, "ComboBox", {0, 0, 80, 21}, CBS_DROPDOWN);
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 110});
    EXPECT_EQ(dropDown->rect, (LayoutRect{5, 10, 205, 31})) << "a drop-down keeps its height";

    auto* simple = windows.AddChild(dialog, 2, "ComboBox", {0, 0, 80, 100}, CBS_SIMPLE);
    auto* list = windows.AddChild(simple, 1000, "ComboLBox", {0, 21, 80, 99});
    // The list keeps whole lines: it ends 4 pixels short of the new bottom.
    windows.onMove = [&](FakeLayoutWindows::Window* w) {
        if (w == simple) list->rect = {0, 21, w->rect.Width(), w->rect.Height() - 4};
    };
    manager.NewItem(2, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 160});
    EXPECT_EQ(simple->rect, (LayoutRect{5, 10, 205, 156})) << "a simple one ends with its list";

    auto* free = windows.AddChild(dialog, 3, "ComboBox", {0, 0, 80, 100}, CBS_SIMPLE | CBS_NOINTEGRALHEIGHT);
    windows.AddChild(free, 1000, "ComboLBox", {0, 21, 80, 90});
    manager.NewItem(3, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 160});
    EXPECT_EQ(free->rect, (LayoutRect{5, 10, 205, 160}));
}
