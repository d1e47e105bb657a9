#include <gtest/gtest.h>
#include <ostream>
#include <vector>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutFramedGroup.h"
#include "layout/LayoutManager.h"

namespace {

using Lengths = std::vector<int32_t>;

struct Child {
    uint32_t modes;
    int32_t length;  // fixed length or percentage
    int32_t min;
    int32_t max;
};

struct Distribution {
    const char* name;
    int32_t orientation;
    int32_t gap;
    int32_t length;
    std::vector<Child> children;
    Lengths expected;
};

// Names the case in test listings instead of a byte dump.
void PrintTo(const Distribution& d, std::ostream* os) { *os << d.name; }

const int32_t NO_MAX = LAYOUT_UNBOUNDED;

const Distribution DISTRIBUTIONS[] = {
    {"greedy clamped at a minimum takes from the others in proportion", HORIZONTAL, 0, 180,
     {{0, 0, 100, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {100, 40, 40}},
    {"small excess comes whole from the first child that can give it", HORIZONTAL, 0, 100,
     {{0, 0, 36, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {36, 30, 34}},
    {"space above a greedy maximum goes to the unclamped", HORIZONTAL, 0, 300,
     {{0, 0, 5, 50}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {50, 125, 125}},
    {"percentages refer to what the fixed children left", HORIZONTAL, 0, 260,
     {{FIXED_WIDTH, 60, 5, NO_MAX}, {RELATIVE_WIDTH, 50, 100, NO_MAX}, {0, 0, 5, NO_MAX}}, {60, 100, 100}},
    {"relative held at its minimum takes from the other relative", HORIZONTAL, 0, 200,
     {{RELATIVE_WIDTH, 50, 150, NO_MAX}, {RELATIVE_WIDTH, 50, 5, NO_MAX}}, {150, 50}},
    {"a relative sweep that moves nothing ends the correction", HORIZONTAL, 0, 200,
     {{RELATIVE_WIDTH, 6, 6, NO_MAX}, {RELATIVE_WIDTH, 8, 79, NO_MAX}, {RELATIVE_WIDTH, 40, 80, NO_MAX}},
     {12, 79, 80}},
    {"each relative child is asked for a small excess whole", HORIZONTAL, 0, 100,
     {{RELATIVE_WIDTH, 39, 36, NO_MAX}, {RELATIVE_WIDTH, 16, 21, NO_MAX}, {RELATIVE_WIDTH, 29, 26, NO_MAX}},
     {36, 21, 26}},
    {"greedy minimums are taken back from a relative child", HORIZONTAL, 5, 300,
     {{RELATIVE_WIDTH, 80, 100, NO_MAX}, {0, 0, 75, NO_MAX}, {0, 0, 75, NO_MAX}}, {140, 75, 75}},
    {"spare length goes to fill children, the remainder to the last", HORIZONTAL, 0, 101,
     {{FIXED_WIDTH | FILL_WIDTH, 20, 5, NO_MAX}, {FIXED_WIDTH, 20, 5, NO_MAX}, {FIXED_WIDTH | FILL_WIDTH, 20, 5, NO_MAX}},
     {40, 20, 41}},
};

class LayoutGroupDistribution : public ::testing::TestWithParam<Distribution> {};

}  // namespace

TEST_P(LayoutGroupDistribution, LengthsAndPlacement) {
    const Distribution& d = GetParam();
    LayoutGroup group(nullptr, d.orientation, 0u, d.gap, 0, 0);
    std::vector<LayoutProbe*> probes;
    for (const Child& c : d.children) {
        ProbeRef p = MakeProbe(c.modes, c.length, c.min, c.max);
        group.AddItem(p.ref);
        probes.push_back(p.probe);
    }
    const bool horizontal = d.orientation == HORIZONTAL;
    group.ResizeTo(horizontal ? LayoutRect{10, 20, 10 + d.length, 70} : LayoutRect{10, 20, 60, 20 + d.length});

    Lengths lengths;
    int32_t next = horizontal ? 10 : 20;
    for (const LayoutProbe* p : probes) {
        const LayoutRect cell = p->Cell();
        lengths.push_back(horizontal ? cell.Width() : cell.Height());
        EXPECT_EQ(horizontal ? cell.left : cell.top, next) << "children follow each other after the gap";
        EXPECT_EQ(horizontal ? cell.Height() : cell.Width(), 50) << "the cell spans the cross direction";
        next = (horizontal ? cell.right : cell.bottom) + d.gap;
    }
    EXPECT_EQ(lengths, d.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutGroupDistribution, ::testing::ValuesIn(DISTRIBUTIONS),
                         [](const ::testing::TestParamInfo<Distribution>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(LayoutGroup, ThreeGreedyControlsShareTheRowAfterBorderAndGaps) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 400, 200}, {});
    std::vector<FakeLayoutWindows::Window*> controls;
    for (int id = 1; id <= 3; ++id) controls.push_back(windows.AddChild(dialog, id, "Button", {0, 0, 30, 20}));
    LayoutManager manager(windows, dialog);
    LayoutNodeRef group = manager.NewGroup(HORIZONTAL, 0, 5, 5, 0);
    for (int id = 1; id <= 3; ++id) group.As<LayoutGroup>()->AddItem(manager.NewItem(id, 0, 0, 0, 0, 0));

    group->ResizeTo({100, 10, 400, 60});

    EXPECT_EQ(controls[0]->rect, (LayoutRect{105, 15, 198, 55}));
    EXPECT_EQ(controls[1]->rect, (LayoutRect{203, 15, 296, 55}));
    EXPECT_EQ(controls[2]->rect, (LayoutRect{301, 15, 395, 55}));
}

TEST(LayoutGroup, SizeQueries) {
    LayoutGroup row(nullptr, HORIZONTAL, 0u, 4, 3, 0);
    row.AddItem(MakeProbe(0, 0, 2, 10).ref).AddItem(MakeProbe(0, 0, 20, 30).ref);
    EXPECT_EQ(row.MinWidth(), 5 + 20 + 4 + 6) << "each child at least 5, plus gaps and border";
    EXPECT_EQ(row.MaxWidth(), 10 + 30 + 4 + 6);
    EXPECT_EQ(row.MinHeight(), 20 + 6) << "across: the largest child";
    EXPECT_EQ(row.MaxHeight(), 30 + 6);
    row.AddItem(MakeProbe(0, 0, 5).ref);
    EXPECT_EQ(row.MaxWidth(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(row.MaxHeight(), LAYOUT_UNBOUNDED);

    LayoutGroup empty(nullptr, VERTICAL, 0u, 7, 4, 0);
    EXPECT_EQ(empty.MinWidth(), 8);
    EXPECT_EQ(empty.MinHeight(), 8);
    EXPECT_EQ(empty.MaxWidth(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(empty.MaxHeight(), LAYOUT_UNBOUNDED);

    LayoutFramedGroup framed(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0);
    framed.AddItem(MakeProbe(0, 0, 20, 20).ref);
    EXPECT_EQ(framed.MinHeight(), 20 + 10 + 10) << "the header adds to the height";
}

TEST(LayoutGroup, FramedGroupMovesItsFrameAndLaysTheChildrenBelowTheHeader) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 400, 300}, {});
    auto* frame = windows.AddChild(dialog, 7, "Button", {0, 0, 10, 10});
    LayoutManager manager(windows, dialog);
    for (int id : {7, 99}) {
        LayoutNodeRef framed = manager.NewFramedGroup(id, VERTICAL, 0, 0, 5, 12, 0);
        ProbeRef child = MakeProbe(0, 0, 5);
        framed.As<LayoutGroup>()->AddItem(child.ref);
        framed->ResizeTo({10, 20, 110, 120});
        EXPECT_EQ(child.probe->Cell(), (LayoutRect{15, 37, 105, 115})) << "frame " << id;
    }
    EXPECT_EQ(frame->rect, (LayoutRect{10, 20, 110, 120}));
    EXPECT_EQ(frame->moves, 1) << "a missing frame moves nothing";
    EXPECT_EQ(frame->erasingRedraws, 1);
}

TEST(LayoutGroup, SameOrientationChildIsWrappedInTheOtherCarryingItsModesAndSize) {
    struct Case {
        uint32_t modes;
        int32_t size;
        int32_t wrapperSize;
        int32_t laidOut;
    } cases[] = {
        {RELATIVE_WIDTH, 30, 30, 118},  // 30 % of 400 less the gap
        {FIXED_WIDTH, 0, 55, 55},       // the child's minimum width at the time of adding
        {FIXED_WIDTH, 120, 120, 120},
    };
    for (const Case& c : cases) {
        LayoutGroup parent(nullptr, HORIZONTAL, 0u, 5, 0, 0);
        LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, c.modes, 5, 0, c.size));
        ProbeRef inner = MakeProbe(0, 0, 20);
        child.As<LayoutGroup>()->AddItem(inner.ref).AddItem(MakeProbe(0, 0, 30).ref);
        parent.AddGroup(child).AddItem(MakeProbe(0, 0, 5).ref);

        const LayoutGroup* wrapper = parent.Children()[0].As<LayoutGroup>();
        ASSERT_NE(wrapper, nullptr);
        ASSERT_NE(wrapper, child.Get());
        EXPECT_EQ(wrapper->orientation, VERTICAL);
        EXPECT_EQ(wrapper->gap, 0);
        EXPECT_EQ(wrapper->border, 0);
        EXPECT_EQ(wrapper->modes, c.modes);
        EXPECT_EQ(wrapper->size, c.wrapperSize);
        ASSERT_EQ(wrapper->Children().size(), 1u);
        EXPECT_EQ(wrapper->Children()[0].Get(), child.Get());

        parent.ResizeTo({0, 0, 400, 50});
        EXPECT_EQ(parent.Children()[1].As<LayoutProbe>()->Cell().left, c.laidOut + 5);
    }
}

TEST(LayoutGroup, FixedGroupOfSizeZeroKeepsItsMinimumFromTheTimeOfAdding) {
    LayoutGroup parent(nullptr, HORIZONTAL, 0u, 0, 0, 0);
    LayoutNodeRef column(std::make_unique<LayoutGroup>(nullptr, VERTICAL, FIXED_WIDTH, 5, 2, 0));
    column.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 40).ref);
    parent.AddGroup(column);
    EXPECT_EQ(parent.Children()[0].Get(), column.Get());
    EXPECT_EQ(column.As<LayoutGroup>()->size, 44);
    column.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 90).ref);
    EXPECT_EQ(column->MinWidth(), 44);
}
