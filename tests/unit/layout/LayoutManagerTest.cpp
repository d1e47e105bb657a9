#include <gtest/gtest.h>
#include <vector>
#include "LayoutFakes.h"
#include "layout/LayoutItem.h"

namespace {

using L = std::vector<int32_t>;
using Window = FakeLayoutWindows::Window;
constexpr uint32_t SHOWN = FakeLayoutWindows::SHOWN, CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_NOINTEGRALHEIGHT = 0x400;

// A dialog at (100, 100) whose frame is 4 pixels wide with a 24-pixel
// caption: its client area is 392 x 272.
class LayoutTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};

    // A root holding one probe with these limits in both directions.
    static LayoutProbe* RootWithProbe(LayoutManager& m, int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
        return AddProbe(*m.CreateRoot(HORIZONTAL, 0, 0).As<LayoutGroup>(), 0, 0, min, max);
    }
};

L Limits(const LayoutNode& n) {
    return {n.PreferredWidth(200), n.PreferredHeight(99), n.MinWidth(), n.MaxWidth(), n.MinHeight(), n.MaxHeight()};
}

}  // namespace

TEST_F(LayoutTest, ItemSizesAndLimits) {
    windows.Add(dialog, 10, "Edit", {5, 5, 85, 27});
    for (const L& sizes : {L{0, 0, -1, -1}, L{30, 12, 0, 7}}) {  // 0 and -1: the control's
        const LayoutNodeRef item = manager.NewItem(10, 0, sizes[0], sizes[1], sizes[2], sizes[3]);
        const LayoutItem& i = *item.As<LayoutItem>();
        EXPECT_EQ((L{i.width, i.height, i.minWidth, i.minHeight}), (sizes[0] ? sizes : L{80, 22, 80, 22}));
    }
    EXPECT_TRUE(manager.NewItem(99, 0, 0, 0, -1, -1)->ResizeTo({0, 0, 50, 50})) << "a missing control";
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, FIXED_WIDTH | FIXED_HEIGHT, 40, 20, 3, 3)), (L{40, 20, 40, 40, 20, 20}));
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, RELATIVE_WIDTH | RELATIVE_HEIGHT, 33, 50, 3, 60)), (L{66, 49, 5, -1, 60, -1}));
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, 0, 40, 20, 12, -5)), (L{-1, -1, 12, -1, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(true).Get()), (L{0, -1, 0, 0, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(false).Get()), (L{-1, 0, 5, -1, 0, 0}));
}

TEST_F(LayoutTest, ControlIsPlacedInItsCellByModeAndKind) {
    const LayoutRect cell{10, 100, 91, 151};  // 81 x 51; every control is 40 x 20
    struct Case {
        const char* className;
        uint32_t style, modes;
        LayoutRect placed;
    } cases[] = {
        {"Button", SHOWN, FIXED_WIDTH, {10, 100, 50, 151}}, {"Button", SHOWN, FIXED_WIDTH | ALIGN_RIGHT, {51, 100, 91, 151}},
        {"Button", SHOWN, FIXED_WIDTH | ALIGN_HCENTER, {30, 100, 70, 151}}, {"Button", SHOWN, FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, cell},
        {"Button", SHOWN, ALIGN_RIGHT | ALIGN_BOTTOM, cell}, {"Button", SHOWN, FIXED_HEIGHT | ALIGN_BOTTOM, {10, 131, 91, 151}},
        {"Button", SHOWN, FIXED_HEIGHT | ALIGN_VCENTER, {10, 115, 91, 135}},
        // A drop-down keeps its height; a simple one ends where its list ends.
        {"ComboBox", SHOWN | CBS_DROPDOWN, 0, {10, 100, 91, 120}}, {"ComboBoxEx32", SHOWN | CBS_DROPDOWN, 0, {10, 100, 91, 120}},
        {"ComboBox", SHOWN | CBS_SIMPLE, 0, {10, 100, 91, 144}}, {"ComboBox", SHOWN | CBS_SIMPLE | CBS_NOINTEGRALHEIGHT, 0, cell},
    };
    int id = 0;
    for (const Case& c : cases) {
        Window* control = windows.Add(dialog, ++id, c.className, {0, 0, 40, 20}, c.style);
        windows.Add(control, 1000, "ComboLBox", {0, 24, 40, 44});
        manager.NewItem(id, c.modes, 0, 0, -1, -1)->ResizeTo(cell);
        EXPECT_EQ(control->rect, c.placed) << c.className << " modes " << c.modes;
        EXPECT_EQ((L{control->redraws, control->erasingRedraws}), (L{1, 0}));
    }
}

TEST_F(LayoutTest, FramedGroupMovesItsFrameAndLaysTheChildrenBelowTheHeader) {
    Window* frame = windows.Add(dialog, 7, "Button", {0, 0, 10, 10});
    for (int id : {7, 99}) {
        LayoutNodeRef framed = manager.NewFramedGroup(id, VERTICAL, 0, 0, 5, 12, 0);
        LayoutProbe* child = AddProbe(*framed.As<LayoutGroup>(), 0, 0, 5);
        framed->ResizeTo({10, 20, 110, 120});
        EXPECT_EQ(child->Cell(), (LayoutRect{15, 37, 105, 115})) << "frame " << id;
    }
    EXPECT_EQ(frame->rect, (LayoutRect{10, 20, 110, 120}));
    EXPECT_EQ((L{frame->moves, frame->erasingRedraws}), (L{1, 1})) << "a missing frame moves nothing";
}

TEST_F(LayoutTest, RootIsLaidOutInTheLayoutRectangleLessTheBorders) {
    LayoutProbe* probe = RootWithProbe(manager, 5);
    manager.borderX = 6;
    manager.borderY = 3;
    manager.UpdateLayout();
    EXPECT_EQ(probe->Cell(), (LayoutRect{6, 3, 386, 269}));
    EXPECT_EQ(dialog->invalidations, 1);
}

TEST_F(LayoutTest, TopLevelDialogIsKeptWithinTheTreesLimits) {
    // min, max, width and height before, after
    for (const L& c : {L{150, -1, 100, 50, 8 + 150 + 10, 28 + 150 + 10}, L{20, 200, 400, 300, 8 + 200 + 10, 28 + 200 + 10},
                       L{2, 3, 400, 300, 8 + 5 + 10, 28 + 3 + 10}}) {  // a row's minimum counts the 5-pixel floor
        dialog->rect = {0, 0, c[2], c[3]};
        LayoutProbe* probe = RootWithProbe(manager, c[0], c[1]);
        manager.UpdateLayout();
        EXPECT_EQ(dialog->rect, (LayoutRect{0, 0, c[4], c[5]})) << c[0];
        EXPECT_EQ(probe->Cell().bottom, c[5] - 28 - 5) << c[0];
    }
}

TEST_F(LayoutTest, ChildDialogsOtherWindowsAndMinimisedOnesAreNotResized) {
    Window* child = windows.Add(dialog, 5, "#32770", {0, 0, 50, 50});
    Window* frame = windows.Add(nullptr, 0, "Frame", {0, 0, 50, 50}, LayoutWindows::STYLE_VISIBLE);
    Window* minimised = windows.AddDialog({-32000, -32000, -31840, -31972}, {80, 14, 80, 14});
    Window* flat = windows.AddDialog({0, 0, 300, 28}, {4, 24, 4, 4});  // no client height
    for (Window* window : {child, frame, minimised, flat}) {
        LayoutManager other(windows, window);
        LayoutProbe* probe = RootWithProbe(other, 150);
        other.UpdateLayout();
        EXPECT_EQ((L{window->moves, probe->cells.empty()}), (L{window == flat, window == minimised})) << window->className;
    }
}

TEST_F(LayoutTest, UpDownIsReattachedToItsBuddyOnlyWhenVisibleAndAligned) {
    Window* edit = windows.Add(dialog, 1, "Edit", {0, 0, 40, 20});
    const std::pair<const char*, uint32_t> cases[] = {{"msctls_updown32", SHOWN | 0x4}, {"msctls_updown32", SHOWN | 0x8},
        {"msctls_updown32", LayoutWindows::STYLE_CHILD | 0x4}, {"msctls_updown32", SHOWN}, {"Button", SHOWN | 0x4}};
    for (const auto& c : cases) windows.Add(dialog, 2, c.first, {0, 0, 10, 20}, c.second)->buddy = edit;
    windows.Add(dialog, 3, "msctls_updown32", {0, 0, 10, 20}, SHOWN | 0x4);  // without a buddy
    RootWithProbe(manager, 5);
    manager.UpdateLayout();
    L sets;
    for (Window* w : dialog->children) sets.push_back(w->buddySets);
    EXPECT_EQ(sets, (L{0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(dialog->children[1]->buddy, edit);
}
