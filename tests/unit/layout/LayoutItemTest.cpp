#include <gtest/gtest.h>
#include <vector>
#include "FakeLayoutWindows.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"

namespace {

constexpr uint32_t CHILD = LayoutWindows::STYLE_CHILD | LayoutWindows::STYLE_VISIBLE;
constexpr uint32_t CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_NOINTEGRALHEIGHT = 0x400;

class LayoutItemTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};
};

using L = std::vector<int32_t>;

L Limits(const LayoutNode& n) {
    return {n.PreferredWidth(200), n.PreferredHeight(99), n.MinWidth(), n.MaxWidth(), n.MinHeight(), n.MaxHeight()};
}

}  // namespace

TEST_F(LayoutItemTest, ZeroSizesAndMinusOneMinimumsAreTheControlsSize) {
    windows.Add(dialog, 10, "Edit", {5, 5, 85, 27});
    for (const auto& c : {std::make_pair(L{0, 0, -1, -1}, L{80, 22, 80, 22}), std::make_pair(L{30, 12, 0, 7}, L{30, 12, 0, 7})}) {
        const LayoutNodeRef item = manager.NewItem(10, 0, c.first[0], c.first[1], c.first[2], c.first[3]);
        const LayoutItem& i = *item.As<LayoutItem>();
        EXPECT_EQ((L{i.width, i.height, i.minWidth, i.minHeight}), c.second);
    }
    EXPECT_TRUE(manager.NewItem(99, 0, 0, 0, -1, -1)->ResizeTo({0, 0, 50, 50})) << "a missing control";
}

TEST_F(LayoutItemTest, LimitsByMode) {
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, FIXED_WIDTH | FIXED_HEIGHT, 40, 20, 3, 3)), (L{40, 20, 40, 40, 20, 20}));
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, RELATIVE_WIDTH | RELATIVE_HEIGHT, 33, 50, 3, 60)), (L{66, 49, 5, -1, 60, -1}))
        << "minimums are at least 5";
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, 0, 40, 20, 12, -5)), (L{-1, -1, 12, -1, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(true).Get()), (L{0, -1, 0, 0, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(false).Get()), (L{-1, 0, 5, -1, 0, 0}));
}

TEST_F(LayoutItemTest, ControlIsPlacedInItsCellByModeAndKind) {
    const LayoutRect cell{10, 100, 91, 151};  // 81 x 51; every control is 40 x 20
    struct Case {
        const char* className;
        uint32_t style, modes;
        LayoutRect placed;
    } cases[] = {
        {"Button", CHILD, FIXED_WIDTH, {10, 100, 50, 151}},
        {"Button", CHILD, FIXED_WIDTH | ALIGN_RIGHT, {51, 100, 91, 151}},
        {"Button", CHILD, FIXED_WIDTH | ALIGN_HCENTER, {30, 100, 70, 151}},
        {"Button", CHILD, FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, cell},
        {"Button", CHILD, ALIGN_RIGHT | ALIGN_BOTTOM, cell},
        {"Button", CHILD, FIXED_HEIGHT | ALIGN_BOTTOM, {10, 131, 91, 151}},
        {"Button", CHILD, FIXED_HEIGHT | ALIGN_VCENTER, {10, 115, 91, 135}},
        // A drop-down keeps its height; a simple one ends where its list ends.
        {"ComboBox", CHILD | CBS_DROPDOWN, 0, {10, 100, 91, 120}},
        {"ComboBoxEx32", CHILD | CBS_DROPDOWN, 0, {10, 100, 91, 120}},
        {"ComboBox", CHILD | CBS_SIMPLE, 0, {10, 100, 91, 144}},
        {"ComboBox", CHILD | CBS_SIMPLE | CBS_NOINTEGRALHEIGHT, 0, cell},
    };
    int id = 0;
    for (const Case& c : cases) {
        auto* control = windows.Add(dialog, ++id, c.className, {0, 0, 40, 20}, c.style);
        windows.Add(control, 1000, "ComboLBox", {0, 24, 40, 44});
        manager.NewItem(id, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, c.placed) << c.className << " modes " << c.modes;
        EXPECT_EQ((L{control->redraws, control->erasingRedraws}), (L{1, 0}));
    }
}
