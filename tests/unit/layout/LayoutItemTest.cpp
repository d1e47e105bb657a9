#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"

namespace {

constexpr uint32_t CBS_DROPDOWN = 0x2;

class LayoutItemTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};
};

}  // namespace

TEST_F(LayoutItemTest, CreationTakesTheControlsSizeForZeroAndMinusOne) {
    windows.AddChild(dialog, 10, "Edit", {5, 5, 85, 27});
    LayoutNodeRef current = manager.NewItem(10, 0, 0, 0, -1, -1);
    LayoutNodeRef given = manager.NewItem(10, 0, 30, 12, 7, 0);
    LayoutNodeRef missing = manager.NewItem(99, 0, 0, 0, -1, -1);
    const LayoutItem& c = *current.As<LayoutItem>();
    const LayoutItem& g = *given.As<LayoutItem>();
    const LayoutItem& m = *missing.As<LayoutItem>();
    EXPECT_EQ((std::vector<int32_t>{c.width, c.height, c.minWidth, c.minHeight}), (std::vector<int32_t>{80, 22, 80, 22}));
    EXPECT_EQ((std::vector<int32_t>{g.width, g.height, g.minWidth, g.minHeight}), (std::vector<int32_t>{30, 12, 7, 0}));
    EXPECT_EQ((std::vector<int32_t>{m.width, m.height, m.minWidth, m.minHeight}), (std::vector<int32_t>{0, 0, -1, -1}));
    EXPECT_TRUE(missing->ResizeTo({0, 0, 50, 50}));
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
        {FIXED_WIDTH | ALIGN_RIGHT, {51, 100, 91, 151}},
        {FIXED_WIDTH | ALIGN_HCENTER, {30, 100, 70, 151}},
        {FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, {10, 100, 91, 151}},
        {ALIGN_RIGHT | ALIGN_BOTTOM, {10, 100, 91, 151}},
        {FIXED_HEIGHT | ALIGN_BOTTOM, {10, 131, 91, 151}},
        {FIXED_HEIGHT | ALIGN_VCENTER, {10, 115, 91, 135}},
    };
    for (const Case& c : cases) {
        control->rect = {0, 0, 40, 20};
        manager.NewItem(1, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, c.placed) << "modes " << c.modes;
    }
    EXPECT_EQ(control->redraws, 7);
    EXPECT_EQ(control->erasingRedraws, 0);
}

TEST_F(LayoutItemTest, DropDownComboBoxKeepsItsHeight) {
    auto* dropDown = windows.AddChild(dialog, 1, "ComboBox", {0, 0, 80, 21}, CBS_DROPDOWN);
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 110});
    EXPECT_EQ(dropDown->rect, (LayoutRect{5, 10, 205, 31})) << "a drop-down keeps its height";

}
