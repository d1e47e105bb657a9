#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"
#include "layout/LayoutModes.h"

namespace {

constexpr uint32_t CBS_SIMPLE = 0x1;
constexpr uint32_t CBS_DROPDOWN = 0x2;
constexpr uint32_t CBS_NOINTEGRALHEIGHT = 0x400;

class LayoutItemTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};

    LayoutItem& Item(const LayoutNodeRef& ref) { return *ref.As<LayoutItem>(); }
};

}  // namespace

TEST_F(LayoutItemTest, ZeroSizesAndMinusOneMinimumsTakeTheControlsCurrentSize) {
    windows.AddChild(dialog, 10, "Edit", {5, 5, 85, 27});
    LayoutNodeRef ref = manager.NewItem(10, 0, 0, 0, -1, -1);
    EXPECT_EQ(Item(ref).width, 80);
    EXPECT_EQ(Item(ref).height, 22);
    EXPECT_EQ(Item(ref).minWidth, 80);
    EXPECT_EQ(Item(ref).minHeight, 22);
    EXPECT_FALSE(Item(ref).isComboBox);

    LayoutNodeRef given = manager.NewItem(10, 0, 30, 12, 7, 0);
    EXPECT_EQ(Item(given).width, 30);
    EXPECT_EQ(Item(given).height, 12);
    EXPECT_EQ(Item(given).minWidth, 7);
    EXPECT_EQ(Item(given).minHeight, 0);
}

TEST_F(LayoutItemTest, MissingControlKeepsTheGivenValuesAndIsNotPlaced) {
    LayoutNodeRef ref = manager.NewItem(99, FIXED_WIDTH, 0, 0, -1, -1);
    EXPECT_EQ(Item(ref).Window(), nullptr);
    EXPECT_EQ(Item(ref).width, 0);
    EXPECT_EQ(Item(ref).minWidth, -1);
    EXPECT_TRUE(ref->ResizeTo({0, 0, 50, 50}));
}

TEST_F(LayoutItemTest, ComboBoxIsRecognisedByItsExactClassName) {
    windows.AddChild(dialog, 1, "ComboBox", {0, 0, 50, 20});
    windows.AddChild(dialog, 2, "ComboBoxEx32", {0, 0, 50, 20});
    windows.AddChild(dialog, 3, "ComboLBox", {0, 0, 50, 20});
    EXPECT_TRUE(Item(manager.NewItem(1, 0, 0, 0, -1, -1)).isComboBox);
    EXPECT_TRUE(Item(manager.NewItem(2, 0, 0, 0, -1, -1)).isComboBox);
    EXPECT_FALSE(Item(manager.NewItem(3, 0, 0, 0, -1, -1)).isComboBox);
}

TEST_F(LayoutItemTest, QueriesByMode) {
    LayoutItem fixed(&manager, nullptr, FIXED_WIDTH | FIXED_HEIGHT, 40, 20, 3, 3);
    EXPECT_EQ(fixed.PreferredWidth(500), 40);
    EXPECT_EQ(fixed.MinWidth(), 40);
    EXPECT_EQ(fixed.MaxWidth(), 40);
    EXPECT_EQ(fixed.PreferredHeight(500), 20);
    EXPECT_EQ(fixed.MinHeight(), 20);
    EXPECT_EQ(fixed.MaxHeight(), 20);

    LayoutItem relative(&manager, nullptr, RELATIVE_WIDTH | RELATIVE_HEIGHT, 33, 50, 3, 60);
    EXPECT_EQ(relative.PreferredWidth(200), 66);
    EXPECT_EQ(relative.PreferredHeight(99), 49);
    EXPECT_EQ(relative.MinWidth(), 5);
    EXPECT_EQ(relative.MinHeight(), 60);
    EXPECT_EQ(relative.MaxWidth(), LAYOUT_UNBOUNDED);

    LayoutItem greedy(&manager, nullptr, 0, 40, 20, 12, -5);
    EXPECT_EQ(greedy.PreferredWidth(200), -1);
    EXPECT_EQ(greedy.MinWidth(), 12);
    EXPECT_EQ(greedy.MinHeight(), 5);
    EXPECT_EQ(greedy.MaxHeight(), LAYOUT_UNBOUNDED);
}

TEST_F(LayoutItemTest, SpacerIsFixedAtZeroAcrossAndAtLeastFiveAlong) {
    LayoutNodeRef verticalRef = manager.NewSpacer(true);
    LayoutItem& vertical = Item(verticalRef);
    EXPECT_EQ(vertical.modes, FIXED_WIDTH);
    EXPECT_EQ(vertical.MinWidth(), 0);
    EXPECT_EQ(vertical.MaxWidth(), 0);
    EXPECT_EQ(vertical.MinHeight(), 5);
    EXPECT_EQ(vertical.MaxHeight(), LAYOUT_UNBOUNDED);
    LayoutNodeRef horizontalRef = manager.NewSpacer(false);
    LayoutItem& horizontal = Item(horizontalRef);
    EXPECT_EQ(horizontal.modes, FIXED_HEIGHT);
    EXPECT_EQ(horizontal.MinWidth(), 5);
    EXPECT_EQ(horizontal.MinHeight(), 0);
}

TEST_F(LayoutItemTest, FixedWidthControlIsAlignedInItsCellUnlessItFills) {
    auto* control = windows.AddChild(dialog, 1, "Button", {0, 0, 40, 20});
    const LayoutRect cell{10, 30, 91, 60};
    struct Case {
        uint32_t modes;
        int32_t left;
        int32_t right;
    } cases[] = {
        {FIXED_WIDTH, 10, 50},
        {FIXED_WIDTH | ALIGN_LEFT, 10, 50},
        {FIXED_WIDTH | ALIGN_RIGHT, 51, 91},
        {FIXED_WIDTH | ALIGN_HCENTER, 30, 70},
        {FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, 10, 91},
        {ALIGN_RIGHT, 10, 91},
    };
    for (const Case& c : cases) {
        control->rect = {0, 0, 40, 20};
        manager.NewItem(1, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, (LayoutRect{c.left, 30, c.right, 60})) << "modes " << c.modes;
    }
}

TEST_F(LayoutItemTest, FixedHeightControlIsAlignedVertically) {
    auto* control = windows.AddChild(dialog, 1, "Button", {0, 0, 40, 20});
    const LayoutRect cell{0, 100, 50, 151};
    struct Case {
        uint32_t modes;
        int32_t top;
        int32_t bottom;
    } cases[] = {
        {FIXED_HEIGHT, 100, 120},
        {FIXED_HEIGHT | ALIGN_BOTTOM, 131, 151},
        {FIXED_HEIGHT | ALIGN_VCENTER, 115, 135},
        {FIXED_HEIGHT | ALIGN_BOTTOM | FILL_HEIGHT, 100, 151},
    };
    for (const Case& c : cases) {
        control->rect = {0, 0, 40, 20};
        manager.NewItem(1, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, (LayoutRect{0, c.top, 50, c.bottom})) << "modes " << c.modes;
    }
}

TEST_F(LayoutItemTest, AlignmentUsesTheControlsCurrentSizeNotTheStoredOne) {
    auto* control = windows.AddChild(dialog, 1, "Button", {0, 0, 40, 20});
    LayoutNodeRef ref = manager.NewItem(1, FIXED_WIDTH | ALIGN_RIGHT, 0, 0, -1, -1);
    control->rect = {0, 0, 30, 20};
    ref->ResizeTo({0, 0, 100, 20});
    EXPECT_EQ(control->rect, (LayoutRect{70, 0, 100, 20}));
}

TEST_F(LayoutItemTest, ControlIsMovedOnceAndRedrawnWithoutErase) {
    auto* control = windows.AddChild(dialog, 1, "Edit", {0, 0, 40, 20});
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 6, 70, 80});
    EXPECT_EQ(control->rect, (LayoutRect{5, 6, 70, 80}));
    EXPECT_EQ(control->moves, 1);
    EXPECT_EQ(control->redraws, 1);
    EXPECT_EQ(control->erasingRedraws, 0);
}

TEST_F(LayoutItemTest, DropDownComboBoxKeepsItsHeight) {
    auto* combo = windows.AddChild(dialog, 1, "ComboBox", {0, 0, 80, 21}, CBS_DROPDOWN);
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 110});
    EXPECT_EQ(combo->rect, (LayoutRect{5, 10, 205, 31}));
}

TEST_F(LayoutItemTest, SimpleComboBoxEndsWhereItsListEnds) {
    auto* combo = windows.AddChild(dialog, 1, "ComboBox", {0, 0, 80, 100}, CBS_SIMPLE);
    auto* list = windows.AddChild(combo, 1000, "ComboLBox", {0, 21, 80, 99});
    // The list keeps whole lines: it ends 4 pixels short of the new bottom.
    windows.onMove = [&](FakeLayoutWindows::Window* w) {
        if (w == combo) list->rect = {0, 21, w->rect.Width(), w->rect.Height() - 4};
    };
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 160});
    EXPECT_EQ(combo->rect, (LayoutRect{5, 10, 205, 156}));
    EXPECT_EQ(combo->moves, 2);
}

TEST_F(LayoutItemTest, SimpleComboBoxWithoutIntegralHeightTakesTheWholeCell) {
    auto* combo = windows.AddChild(dialog, 1, "ComboBox", {0, 0, 80, 100}, CBS_SIMPLE | CBS_NOINTEGRALHEIGHT);
    windows.AddChild(combo, 1000, "ComboLBox", {0, 21, 80, 90});
    manager.NewItem(1, 0, 0, 0, -1, -1)->ResizeTo({5, 10, 205, 160});
    EXPECT_EQ(combo->rect, (LayoutRect{5, 10, 205, 160}));
    EXPECT_EQ(combo->moves, 1);
}
