#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"

namespace {

constexpr uint32_t UDS_ALIGNRIGHT = 0x4;
constexpr uint32_t UDS_ALIGNLEFT = 0x8;

// A dialog at (100, 100) whose frame is 4 pixels wide with a 24-pixel caption.
class LayoutManagerTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};

    // A root row holding one probe with the given limits (both directions).
    LayoutProbe* RootWithProbe(int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
        ProbeRef p = MakeProbe(0, 0, min, max);
        manager.CreateRoot(HORIZONTAL, 0, 0).As<LayoutGroup>()->AddItem(p.ref);
        return p.probe;
    }
};

class InsetLayoutManager : public LayoutManager {
public:
    using LayoutManager::LayoutManager;
    LayoutRect GetLayoutRect() override {
        LayoutRect rc = LayoutManager::GetLayoutRect();
        rc.bottom -= 20;
        return rc;
    }
};

}  // namespace

TEST_F(LayoutManagerTest, FactoriesMakeNodesOwnedByTheManager) {
    EXPECT_EQ(manager.NewGroup(VERTICAL, FIXED_WIDTH, 1, 2, 3)->owner, &manager);
    EXPECT_EQ(manager.NewFramedGroup(1, VERTICAL, 0, 1, 2, 3, 4)->owner, &manager);
    EXPECT_EQ(manager.NewItem(1, 0, 0, 0, -1, -1)->owner, &manager);
    EXPECT_EQ(manager.NewSpacer(true)->owner, &manager);

    LayoutNodeRef ref = manager.NewGroup(VERTICAL, FIXED_WIDTH, 1, 2, 3);
    const LayoutGroup* group = ref.As<LayoutGroup>();
    EXPECT_EQ(group->orientation, VERTICAL);
    EXPECT_EQ(group->modes, FIXED_WIDTH);
    EXPECT_EQ(group->gap, 1);
    EXPECT_EQ(group->border, 2);
    EXPECT_EQ(group->size, 3);
}

TEST_F(LayoutManagerTest, CreateRootReplacesAndReleasesThePreviousTree) {
    int destroyed = 0;
    manager.CreateRoot(VERTICAL, 0, 0).As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
    EXPECT_EQ(destroyed, 0);

    LayoutNodeRef root = manager.CreateRoot(HORIZONTAL, 7, 3);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(root.Get(), manager.Root().Get());
    const LayoutGroup* group = root.As<LayoutGroup>();
    EXPECT_EQ(group->orientation, HORIZONTAL);
    EXPECT_EQ(group->gap, 7);
    EXPECT_EQ(group->border, 3);
    EXPECT_EQ(group->modes, 0u);
    EXPECT_EQ(group->size, 0);
}

TEST_F(LayoutManagerTest, UpdateLayoutWithTheCurrentRootKeepsIt) {
    int destroyed = 0;
    manager.CreateRoot(VERTICAL, 0, 0).As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
    manager.UpdateLayout(manager.Root());
    ASSERT_TRUE(manager.Root());
    EXPECT_EQ(manager.Root()->MinHeight(), 5);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(LayoutManagerTest, RootIsLaidOutInTheClientAreaLessTheBorders) {
    LayoutProbe* probe = RootWithProbe(5);
    manager.borderX = 6;
    manager.borderY = 3;
    manager.UpdateLayout();
    EXPECT_EQ(probe->Cell(), (LayoutRect{6, 3, 392 - 6, 272 - 3}));
    EXPECT_EQ(dialog->invalidations, 1);
}

TEST_F(LayoutManagerTest, WindowSmallerThanTheMinimumIsEnlargedBackToIt) {
    dialog->rect = {100, 100, 200, 150};
    LayoutProbe* probe = RootWithProbe(150);
    manager.UpdateLayout();
    EXPECT_EQ(dialog->rect, (LayoutRect{100, 100, 100 + 8 + 150 + 10, 100 + 28 + 150 + 10}));
    EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, 155, 155}));
}

TEST_F(LayoutManagerTest, WindowLargerThanABoundedMaximumIsReducedToIt) {
    LayoutProbe* probe = RootWithProbe(20, 200);
    manager.UpdateLayout();
    // Both directions of the probe are bounded by 200.
    EXPECT_EQ(dialog->rect, (LayoutRect{100, 100, 100 + 8 + 200 + 10, 100 + 28 + 200 + 10}));
    EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, 205, 205}));
}

TEST_F(LayoutManagerTest, UnboundedMaximumLeavesALargeWindowAlone) {
    RootWithProbe(20);
    manager.UpdateLayout();
    EXPECT_EQ(dialog->rect, (LayoutRect{100, 100, 500, 400}));
    // The move is made even when nothing changes.
    EXPECT_EQ(dialog->moves, 1);
}

TEST_F(LayoutManagerTest, MaximumBelowTheMinimumGivesWayToTheMinimum) {
    // The row's minimum counts the 5-pixel floor, its maximum does not.
    RootWithProbe(2, 3);
    dialog->rect = {0, 0, 100, 100};
    manager.UpdateLayout();
    EXPECT_EQ(dialog->rect.Width(), 8 + 5 + 10);
}

TEST_F(LayoutManagerTest, OnlyATopLevelDialogIsKeptWithinTheLimits) {
    RootWithProbe(150);
    FakeLayoutWindows::Window* child = windows.AddChild(dialog, 5, "#32770", {0, 0, 50, 50});
    child->dialog = true;
    LayoutManager childManager(windows, child);
    childManager.UpdateLayout(manager.Root());
    EXPECT_EQ(child->rect, (LayoutRect{0, 0, 50, 50}));

    FakeLayoutWindows::Window* frame = windows.AddDialog({0, 0, 50, 50}, {});
    frame->dialog = false;
    LayoutManager frameManager(windows, frame);
    frameManager.UpdateLayout(manager.Root());
    EXPECT_EQ(frame->moves, 0);
}

TEST_F(LayoutManagerTest, SizeChangeDuringTheMoveLaysOutTwiceAndEndsWithinTheLimits) {
    dialog->rect = {100, 100, 200, 150};
    LayoutProbe* probe = RootWithProbe(150);
    LayoutRect lastSize = dialog->rect;
    int nested = 0;
    windows.onMove = [&](FakeLayoutWindows::Window* w) {
        if (w != dialog || (w->rect.Width() == lastSize.Width() && w->rect.Height() == lastSize.Height())) return;
        lastSize = w->rect;
        ++nested;
        manager.UpdateLayout();
    };
    manager.UpdateLayout();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(probe->cells.size(), 2u);
    EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, 155, 155}));
}

TEST_F(LayoutManagerTest, EmptyRectangleOrNoRootLeavesTheControlsAlone) {
    manager.ResizeRoot({0, 0, 100, 100});
    LayoutProbe* probe = RootWithProbe(5);
    manager.ResizeRoot({10, 10, 10, 100});
    manager.ResizeRoot({10, 10, 100, 10});
    manager.ResizeRoot({10, 10, 5, 100});
    EXPECT_TRUE(probe->cells.empty());
    manager.ResizeRoot({10, 10, 20, 100});
    EXPECT_EQ(probe->cells.size(), 1u);
}

TEST_F(LayoutManagerTest, MinimisedWindowIsNeitherMovedNorLaidOut) {
    LayoutProbe* probe = RootWithProbe(150);
    dialog->rect = {-32000, -32000, -31840, -31972};
    dialog->frame = {80, 14, 80, 14};
    manager.UpdateLayout();
    EXPECT_EQ(dialog->moves, 0);
    EXPECT_TRUE(probe->cells.empty());
}

TEST_F(LayoutManagerTest, WithoutARootNothingHappens) {
    manager.UpdateLayout();
    EXPECT_EQ(dialog->moves, 0);
    EXPECT_EQ(dialog->invalidations, 0);
}

TEST_F(LayoutManagerTest, VisibleAlignedUpDownControlsAreReattachedToTheirBuddies) {
    auto* edit = windows.AddChild(dialog, 1, "Edit", {0, 0, 50, 20});
    auto* right = windows.AddChild(dialog, 2, "msctls_updown32", {50, 0, 66, 20}, UDS_ALIGNRIGHT);
    auto* left = windows.AddChild(dialog, 3, "msctls_updown32", {50, 0, 66, 20}, UDS_ALIGNLEFT);
    auto* unaligned = windows.AddChild(dialog, 4, "msctls_updown32", {50, 0, 66, 20});
    auto* hidden = windows.AddChild(dialog, 5, "msctls_updown32", {50, 0, 66, 20}, UDS_ALIGNRIGHT);
    hidden->style &= ~LayoutWindows::STYLE_VISIBLE;
    auto* alone = windows.AddChild(dialog, 6, "msctls_updown32", {50, 0, 66, 20}, UDS_ALIGNRIGHT);
    auto* other = windows.AddChild(dialog, 7, "Button", {50, 0, 66, 20}, UDS_ALIGNRIGHT);
    for (auto* w : {right, left, unaligned, hidden, other}) w->buddy = edit;
    RootWithProbe(5);

    manager.UpdateLayout();

    EXPECT_EQ(right->buddySets, 1);
    EXPECT_EQ(left->buddySets, 1);
    EXPECT_EQ(right->buddy, edit);
    EXPECT_EQ(unaligned->buddySets, 0);
    EXPECT_EQ(hidden->buddySets, 0);
    EXPECT_EQ(alone->buddySets, 0);
    EXPECT_EQ(other->buddySets, 0);
}

TEST_F(LayoutManagerTest, OverriddenLayoutRectangleBoundsTheTreeAndTheMinimum) {
    InsetLayoutManager inset(windows, dialog);
    ProbeRef p = MakeProbe(0, 0, 100);
    inset.CreateRoot(VERTICAL, 0, 0).As<LayoutGroup>()->AddItem(p.ref);
    dialog->rect = {0, 0, 300, 100};
    inset.UpdateLayout();
    // The 20 pixels taken off count as frame.
    EXPECT_EQ(dialog->rect.Height(), 28 + 20 + 100 + 10);
    EXPECT_EQ(p.probe->Cell(), (LayoutRect{5, 5, 287, 105}));
}

TEST_F(LayoutManagerTest, ItemsPlaceRealControlsThroughTheTree) {
    auto* a = windows.AddChild(dialog, 1, "Button", {0, 0, 60, 20});
    auto* b = windows.AddChild(dialog, 2, "Edit", {0, 0, 60, 20});
    LayoutNodeRef root = manager.CreateRoot(VERTICAL, 5, 0);
    root.As<LayoutGroup>()
        ->AddItem(manager.NewItem(1, FIXED_WIDTH | FIXED_HEIGHT | ALIGN_RIGHT, 0, 0, -1, -1))
        .AddItem(manager.NewItem(2, 0, 0, 0, -1, -1));
    manager.UpdateLayout();
    EXPECT_EQ(a->rect, (LayoutRect{387 - 60, 5, 387, 25}));
    EXPECT_EQ(b->rect, (LayoutRect{5, 30, 387, 267}));
}
