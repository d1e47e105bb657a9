#include <gtest/gtest.h>
#include <vector>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutFramedGroup.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutManager.h"

namespace {

// A group of probes laid out along a row (or column) of the given length.
struct Row {
    Row(int32_t orientation, int32_t gap, int32_t border)
        : group(nullptr, orientation, 0u, gap, border, 0) {}

    LayoutProbe* Add(uint32_t modes, int32_t length, int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
        ProbeRef p = MakeProbe(modes, length, min, max);
        group.AddItem(p.ref);
        probes.push_back(p.probe);
        return p.probe;
    }
    void Lay(int32_t length) {
        group.ResizeTo(group.orientation == HORIZONTAL ? LayoutRect{10, 20, 10 + length, 70}
                                                       : LayoutRect{10, 20, 60, 20 + length});
    }
    std::vector<int32_t> Lengths() const {
        std::vector<int32_t> out;
        for (const LayoutProbe* p : probes)
            out.push_back(group.orientation == HORIZONTAL ? p->Cell().Width() : p->Cell().Height());
        return out;
    }
    std::vector<int32_t> Starts() const {
        std::vector<int32_t> out;
        for (const LayoutProbe* p : probes)
            out.push_back(group.orientation == HORIZONTAL ? p->Cell().left : p->Cell().top);
        return out;
    }

    LayoutGroup group;
    std::vector<LayoutProbe*> probes;
};

using Lengths = std::vector<int32_t>;

}  // namespace

TEST(LayoutGroupGreedy, SharesEquallyWithRemainderToTheLastAfterBorderAndGaps) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 400, 200}, {});
    std::vector<FakeLayoutWindows::Window*> controls;
    for (int id = 1; id <= 3; ++id) controls.push_back(windows.AddChild(dialog, id, "Button", {0, 0, 30, 20}));
    LayoutManager manager(windows, dialog);
    LayoutNodeRef group = manager.NewGroup(HORIZONTAL, 0, 5, 5, 0);
    for (int id = 1; id <= 3; ++id) group.As<LayoutGroup>()->AddItem(manager.NewItem(id, 0, 0, 0, 0, 0));

    group->ResizeTo({100, 10, 400, 60});

    EXPECT_EQ(controls[0]->rect.left, 105);
    EXPECT_EQ(controls[1]->rect.left, 203);
    EXPECT_EQ(controls[2]->rect.left, 301);
    EXPECT_EQ(controls[0]->rect.Width(), 93);
    EXPECT_EQ(controls[1]->rect.Width(), 93);
    EXPECT_EQ(controls[2]->rect.Width(), 94);
    // The border is kept across the group as well.
    EXPECT_EQ(controls[1]->rect.top, 15);
    EXPECT_EQ(controls[1]->rect.bottom, 55);
}

TEST(LayoutGroupGreedy, ChildClampedAtItsMinimumTakesFromTheOthersInProportion) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(0, 0, 100);
    row.Add(0, 0, 5);
    row.Add(0, 0, 5);
    row.Lay(180);
    EXPECT_EQ(row.Lengths(), (Lengths{100, 40, 40}));
    EXPECT_EQ(row.Starts(), (Lengths{10, 110, 150}));
}

TEST(LayoutGroupGreedy, SmallExcessComesWholeFromTheFirstChildThatCanGiveIt) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(0, 0, 36);
    row.Add(0, 0, 5);
    row.Add(0, 0, 5);
    row.Lay(100);
    EXPECT_EQ(row.Lengths(), (Lengths{36, 30, 34}));
}

TEST(LayoutGroupGreedy, ChildThatCannotGiveItsShareStopsAtItsMinimumAndTheRestGive) {
    Row row(VERTICAL, 0, 0);
    row.Add(0, 0, 200);
    row.Add(0, 0, 95);
    row.Add(0, 0, 5);
    // Shares of 100; the first needs 100 more, the second can give only 5.
    row.Lay(300);
    EXPECT_EQ(row.Lengths(), (Lengths{200, 95, 5}));
}

TEST(LayoutGroupGreedy, SpaceAboveAMaximumGoesToTheUnclampedChildren) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(0, 0, 5, 50);
    row.Add(0, 0, 5);
    row.Add(0, 0, 5);
    row.Lay(300);
    EXPECT_EQ(row.Lengths(), (Lengths{50, 125, 125}));
}

TEST(LayoutGroupGreedy, SpaceAboveAMaximumGrowsChildrenHeldAtTheirMinimumUpToTheirMaximum) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(0, 0, 5, 40);
    row.Add(0, 0, 200, 230);
    row.Add(0, 0, 5, 20);
    // Shares 100: the first and third freed 140, the second needed 100.
    row.Lay(300);
    EXPECT_EQ(row.Lengths(), (Lengths{40, 230, 20}));
}

TEST(LayoutGroupGreedy, MinimumsBeyondTheLengthOverflowTheGroupUnclipped) {
    Row row(HORIZONTAL, 10, 0);
    row.Add(0, 0, 50);
    row.Add(0, 0, 50);
    row.Lay(100);
    EXPECT_EQ(row.Lengths(), (Lengths{50, 50}));
    EXPECT_EQ(row.probes[1]->Cell().right, 10 + 110);
}

TEST(LayoutGroupFixed, FixedChildrenKeepTheirLengthBeyondTheirLimitsAndGreedyTakeTheRest) {
    Row row(HORIZONTAL, 5, 0);
    row.Add(FIXED_WIDTH, 60, 80, 80);
    row.Add(0, 0, 5);
    row.Add(FIXED_WIDTH | FIXED_HEIGHT, 30, 5, 30);
    row.Lay(200);
    EXPECT_EQ(row.Lengths(), (Lengths{60, 100, 30}));
    EXPECT_EQ(row.Starts(), (Lengths{10, 75, 180}));
}

TEST(LayoutGroupFixed, CrossDirectionModesDoNotMakeAChildFixed) {
    Row row(VERTICAL, 0, 0);
    row.Add(FIXED_WIDTH, 300, 5);
    row.Add(FIXED_HEIGHT, 40, 5);
    row.Lay(100);
    EXPECT_EQ(row.Lengths(), (Lengths{60, 40}));
}

TEST(LayoutGroupRelative, PercentagesReferToWhatTheFixedChildrenLeft) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(FIXED_WIDTH, 60, 5);
    row.Add(RELATIVE_WIDTH, 50, 100);
    row.Add(0, 0, 5);
    row.Lay(260);
    EXPECT_EQ(row.Lengths(), (Lengths{60, 100, 100}));
}

TEST(LayoutGroupRelative, ChildHeldAtItsMinimumTakesFromTheOtherRelativeChild) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(RELATIVE_WIDTH, 50, 150);
    row.Add(RELATIVE_WIDTH, 50, 5);
    row.Lay(200);
    EXPECT_EQ(row.Lengths(), (Lengths{150, 50}));
}

TEST(LayoutGroupRelative, ShortfallBeyondTheOthersSlackComesFromUnusedSpace) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(RELATIVE_WIDTH, 25, 100);
    row.Add(RELATIVE_WIDTH, 25, 5);
    row.Add(0, 0, 5);
    row.Lay(200);
    EXPECT_EQ(row.Lengths(), (Lengths{100, 5, 95}));
}

TEST(LayoutGroupRelative, SpaceAboveAMaximumGoesToTheOtherRelativeChildren) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(RELATIVE_WIDTH, 50, 5, 60);
    row.Add(RELATIVE_WIDTH, 25, 5);
    row.Add(RELATIVE_WIDTH, 25, 5);
    row.Lay(400);
    EXPECT_EQ(row.Lengths(), (Lengths{60, 170, 170}));
}

TEST(LayoutGroupLeftover, SpareLengthGoesToFillChildrenWithTheRemainderToTheLast) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(FIXED_WIDTH | FILL_WIDTH, 20, 5);
    row.Add(FIXED_WIDTH, 20, 5);
    row.Add(FIXED_WIDTH | FILL_WIDTH, 20, 5);
    row.Lay(101);
    EXPECT_EQ(row.Lengths(), (Lengths{40, 20, 41}));
}

TEST(LayoutGroupLeftover, NoFillWhileAGreedyChildTakesTheSpace) {
    Row row(VERTICAL, 0, 0);
    row.Add(FIXED_HEIGHT | FILL_HEIGHT, 20, 5);
    row.Add(0, 0, 5);
    row.Lay(100);
    EXPECT_EQ(row.Lengths(), (Lengths{20, 80}));
}

TEST(LayoutGroupLeftover, HeightFillDoesNotTakeSpareWidth) {
    Row row(HORIZONTAL, 0, 0);
    row.Add(FIXED_WIDTH | FIXED_HEIGHT | FILL_HEIGHT, 20, 5);
    row.Add(FIXED_WIDTH | FILL_WIDTH, 20, 5);
    row.Lay(100);
    EXPECT_EQ(row.Lengths(), (Lengths{20, 80}));
}

TEST(LayoutGroupQueries, AlongTheOrientationChildrenAddUpWithFloorGapsAndBorder) {
    LayoutGroup group(nullptr, HORIZONTAL, 0u, 4, 3, 0);
    group.AddItem(MakeProbe(0, 0, 2, 10).ref).AddItem(MakeProbe(0, 0, 20, 30).ref);
    EXPECT_EQ(group.MinWidth(), 5 + 20 + 4 + 6);
    EXPECT_EQ(group.MaxWidth(), 10 + 30 + 4 + 6);
    EXPECT_EQ(group.MinHeight(), 20 + 6);
    EXPECT_EQ(group.MaxHeight(), 30 + 6);
}

TEST(LayoutGroupQueries, OneUnboundedChildMakesTheGroupUnbounded) {
    LayoutGroup group(nullptr, VERTICAL, 0u, 0, 0, 0);
    group.AddItem(MakeProbe(0, 0, 5, 10).ref).AddItem(MakeProbe(0, 0, 5).ref);
    EXPECT_EQ(group.MaxWidth(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(group.MaxHeight(), LAYOUT_UNBOUNDED);
}

TEST(LayoutGroupQueries, EmptyGroupHasTwiceItsBorderAndNoMaximum) {
    LayoutGroup group(nullptr, HORIZONTAL, 0u, 7, 4, 0);
    EXPECT_EQ(group.MinWidth(), 8);
    EXPECT_EQ(group.MinHeight(), 8);
    EXPECT_EQ(group.MaxWidth(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(group.MaxHeight(), LAYOUT_UNBOUNDED);
}

TEST(LayoutGroupQueries, FixedSizeAcrossTheOrientationOverridesTheChildren) {
    LayoutGroup group(nullptr, VERTICAL, FIXED_WIDTH, 0, 2, 70);
    group.AddItem(MakeProbe(0, 0, 20, 30).ref);
    EXPECT_EQ(group.MinWidth(), 70);
    EXPECT_EQ(group.MaxWidth(), 70);
    EXPECT_EQ(group.PreferredWidth(1000), 70);
    group.modes = RELATIVE_WIDTH;
    group.size = 30;
    EXPECT_EQ(group.PreferredWidth(200), 60);
    EXPECT_EQ(group.MinWidth(), 24);
    EXPECT_EQ(group.PreferredHeight(200), 0);
}

TEST(LayoutGroupQueries, FrameHeaderAddsToTheHeightExceptAnUnboundedOne) {
    LayoutFramedGroup framed(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0);
    framed.AddItem(MakeProbe(0, 0, 20, 20).ref);
    EXPECT_EQ(framed.MinHeight(), 20 + 10 + 10);
    EXPECT_EQ(framed.MaxHeight(), 20 + 10 + 10);
    framed.AddItem(MakeProbe(0, 0, 20).ref);
    EXPECT_EQ(framed.MaxHeight(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(framed.MinWidth(), 30);
}

TEST(LayoutFramedGroup, MovesTheFrameAndLaysTheChildrenBelowTheHeader) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 400, 300}, {});
    auto* frame = windows.AddChild(dialog, 7, "Button", {0, 0, 10, 10});
    LayoutManager manager(windows, dialog);
    LayoutNodeRef framed = manager.NewFramedGroup(7, VERTICAL, 0, 0, 5, 12, 0);
    ProbeRef child = MakeProbe(0, 0, 5);
    framed.As<LayoutGroup>()->AddItem(child.ref);

    framed->ResizeTo({10, 20, 110, 120});

    EXPECT_EQ(frame->rect, (LayoutRect{10, 20, 110, 120}));
    EXPECT_EQ(frame->erasingRedraws, 1);
    EXPECT_EQ(child.probe->Cell(), (LayoutRect{15, 37, 105, 115}));
}

TEST(LayoutFramedGroup, MissingFrameStillLaysOutTheChildren) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 400, 300}, {});
    LayoutManager manager(windows, dialog);
    LayoutNodeRef framed = manager.NewFramedGroup(99, VERTICAL, 0, 0, 0, 10, 0);
    ProbeRef child = MakeProbe(0, 0, 5);
    framed.As<LayoutGroup>()->AddItem(child.ref);
    EXPECT_EQ(framed.As<LayoutFramedGroup>()->Frame(), nullptr);
    framed->ResizeTo({0, 0, 50, 50});
    EXPECT_EQ(child.probe->Cell(), (LayoutRect{0, 10, 50, 50}));
}

TEST(LayoutGroupAdding, SameOrientationIsWrappedInTheOtherWithTheChildsRelativeSize) {
    LayoutGroup parent(nullptr, HORIZONTAL, 0u, 5, 0, 0);
    LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, RELATIVE_WIDTH, 3, 2, 30));
    parent.AddGroup(child);

    ASSERT_EQ(parent.Children().size(), 1u);
    const LayoutGroup* wrapper = parent.Children()[0].As<LayoutGroup>();
    ASSERT_NE(wrapper, nullptr);
    EXPECT_NE(wrapper, child.Get());
    EXPECT_EQ(wrapper->orientation, VERTICAL);
    EXPECT_EQ(wrapper->gap, 0);
    EXPECT_EQ(wrapper->border, 0);
    EXPECT_EQ(wrapper->modes, RELATIVE_WIDTH);
    EXPECT_EQ(wrapper->size, 30);
    ASSERT_EQ(wrapper->Children().size(), 1u);
    EXPECT_EQ(wrapper->Children()[0].Get(), child.Get());
    EXPECT_EQ(child.As<LayoutGroup>()->size, 30);
}

TEST(LayoutGroupAdding, WrapperOfAFixedChildOfSizeZeroTakesTheMinimumWidth) {
    LayoutGroup parent(nullptr, HORIZONTAL, 0u, 0, 0, 0);
    LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, FIXED_WIDTH, 5, 0, 0));
    child.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 20).ref).AddItem(MakeProbe(0, 0, 30).ref);
    parent.AddGroup(child);
    const LayoutGroup* wrapper = parent.Children()[0].As<LayoutGroup>();
    EXPECT_EQ(wrapper->modes, FIXED_WIDTH);
    EXPECT_EQ(wrapper->size, 55);
}

TEST(LayoutGroupAdding, WrapperOfAFixedChildKeepsItsNonzeroSizeAndIsLaidOutWithIt) {
    LayoutGroup parent(nullptr, VERTICAL, 0u, 0, 0, 0);
    LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, VERTICAL, FIXED_HEIGHT, 0, 0, 40));
    ProbeRef inner = MakeProbe(0, 0, 5);
    child.As<LayoutGroup>()->AddItem(inner.ref);
    parent.AddGroup(child);
    parent.AddItem(MakeProbe(0, 0, 5).ref);

    parent.ResizeTo({0, 0, 100, 200});

    EXPECT_EQ(parent.Children()[0].As<LayoutGroup>()->size, 40);
    EXPECT_EQ(inner.probe->Cell(), (LayoutRect{0, 0, 100, 40}));
}

TEST(LayoutGroupAdding, FixedGroupOfSizeZeroTakesItsMinimumAtTheTimeOfAdding) {
    LayoutGroup parent(nullptr, HORIZONTAL, 0u, 0, 0, 0);
    LayoutNodeRef column(std::make_unique<LayoutGroup>(nullptr, VERTICAL, FIXED_WIDTH, 5, 2, 0));
    column.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 40).ref);
    parent.AddGroup(column);
    EXPECT_EQ(parent.Children()[0].Get(), column.Get());
    EXPECT_EQ(column.As<LayoutGroup>()->size, 44);

    column.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 90).ref);
    EXPECT_EQ(column.As<LayoutGroup>()->size, 44);
    EXPECT_EQ(column->MinWidth(), 44);
}

TEST(LayoutGroupAdding, ChildrenAreLaidOutInTheOrderAdded) {
    Row row(VERTICAL, 3, 0);
    row.Add(FIXED_HEIGHT, 10, 5);
    row.Add(FIXED_HEIGHT, 20, 5);
    row.Add(FIXED_HEIGHT, 30, 5);
    row.Lay(200);
    EXPECT_EQ(row.Starts(), (Lengths{20, 33, 56}));
    EXPECT_EQ(row.probes[0]->Cell().left, 10);
    EXPECT_EQ(row.probes[0]->Cell().right, 60);
}
