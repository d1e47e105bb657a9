#include <gtest/gtest.h>
#include <ostream>
#include <vector>
#include "LayoutFakes.h"
#include "layout/LayoutFramedGroup.h"

namespace {

using L = std::vector<int32_t>;
const int32_t NO_MAX = LAYOUT_UNBOUNDED;
const uint32_t FIX = FIXED_WIDTH, REL = RELATIVE_WIDTH, FILL = FIXED_WIDTH | FILL_WIDTH;

struct Child {
    uint32_t modes;
    int32_t length, min, max;  // length: fixed length or percentage
};

struct Distribution {
    const char* name;
    int32_t orientation, gap, border, length;
    std::vector<Child> children;
    L expected;
};

void PrintTo(const Distribution& d, std::ostream* os) { *os << d.name; }

const Distribution DISTRIBUTIONS[] = {
    {"greedy share the row after border and gaps", HORIZONTAL, 5, 5, 300, {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {93, 93, 94}},
    {"and down a column", VERTICAL, 4, 3, 100, {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {45, 45}},
    {"greedy held at a minimum takes from the others in proportion", HORIZONTAL, 0, 0, 180, {{0, 0, 100, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {100, 40, 40}},
    {"an excess of 5 comes whole from the first that can give it", HORIZONTAL, 0, 0, 100, {{0, 0, 38, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {38, 28, 34}},
    {"space above a greedy maximum goes to the unclamped", HORIZONTAL, 0, 0, 300, {{0, 0, 5, 50}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {50, 125, 125}},
    {"freed space lifts one held at its minimum up to its maximum", HORIZONTAL, 0, 0, 200, {{0, 0, 5, 50}, {0, 0, 120, 130}}, {50, 130}},
    {"percentages refer to what the fixed left", HORIZONTAL, 0, 0, 260, {{FIX, 60, 5, NO_MAX}, {REL, 50, 100, NO_MAX}, {0, 0, 5, NO_MAX}}, {60, 100, 100}},
    {"relative held at its minimum takes from the other relative", HORIZONTAL, 0, 0, 200, {{REL, 50, 150, NO_MAX}, {REL, 50, 5, NO_MAX}}, {150, 50}},
    {"a relative sweep that moves nothing ends the correction", HORIZONTAL, 0, 0, 200, {{REL, 6, 6, NO_MAX}, {REL, 8, 79, NO_MAX}, {REL, 40, 80, NO_MAX}}, {12, 79, 80}},
    {"each relative is asked for a small excess whole", HORIZONTAL, 0, 0, 100, {{REL, 39, 36, NO_MAX}, {REL, 16, 21, NO_MAX}, {REL, 29, 26, NO_MAX}}, {36, 21, 26}},
    {"greedy minimums are taken back from a relative", HORIZONTAL, 5, 0, 300, {{REL, 80, 100, NO_MAX}, {0, 0, 75, NO_MAX}, {0, 0, 75, NO_MAX}}, {140, 75, 75}},
    {"spare length goes to fill children, the remainder to the last", HORIZONTAL, 0, 0, 101, {{FILL, 20, 5, NO_MAX}, {FIX, 20, 5, NO_MAX}, {FILL, 20, 5, NO_MAX}}, {40, 20, 41}},
};

class LayoutGroupDistribution : public ::testing::TestWithParam<Distribution> {};

}  // namespace

TEST_P(LayoutGroupDistribution, LengthsAndPlacement) {
    const Distribution& d = GetParam();
    const bool across = d.orientation == HORIZONTAL;
    LayoutGroup group(nullptr, d.orientation, 0u, d.gap, d.border, 0);
    std::vector<LayoutProbe*> probes;
    for (const Child& c : d.children) probes.push_back(AddProbe(group, across ? c.modes : c.modes << 2, c.length, c.min, c.max));
    group.ResizeTo(across ? LayoutRect{10, 20, 10 + d.length, 70} : LayoutRect{20, 10, 70, 10 + d.length});
    L lengths;
    int32_t next = 10 + d.border;
    for (const LayoutProbe* p : probes) {
        const LayoutRect c = p->Cell(), along = across ? c : LayoutRect{c.top, c.left, c.bottom, c.right};
        lengths.push_back(along.Width());
        EXPECT_EQ((L{along.left, along.top, along.bottom}), (L{next, 20 + d.border, 70 - d.border}))
            << "after the gap, across all but the border";
        next = along.right + d.gap;
    }
    EXPECT_EQ(lengths, d.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutGroupDistribution, ::testing::ValuesIn(DISTRIBUTIONS));

TEST(LayoutGroup, LimitsSumAlongAndTakeTheLargestAcross) {
    LayoutGroup row(nullptr, HORIZONTAL, 0u, 4, 3, 0), column(nullptr, VERTICAL, 0u, 4, 3, 0), empty(nullptr, VERTICAL, 0u, 7, 4, 0);
    LayoutFramedGroup framed(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0), open(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0);
    for (LayoutGroup* g : {&row, &column}) AddProbe(*g, 0, 0, 20, 30), AddProbe(*g, 0, 0, 2, 10);
    row.AddItem(LayoutNodeRef());
    AddProbe(framed, 0, 0, 20, 20);
    AddProbe(open, 0, 0, 20);
    // Each child counts at least 5 along; a border on both sides.
    EXPECT_EQ((L{row.MinWidth(), row.MaxWidth(), row.MinHeight(), row.MaxHeight()}), (L{35, 50, 26, 36}));
    EXPECT_EQ((L{column.MinWidth(), column.MaxWidth(), column.MinHeight(), column.MaxHeight()}), (L{26, 36, 35, 50}));
    EXPECT_EQ((L{empty.MinWidth(), empty.MaxWidth(), empty.MinHeight(), empty.MaxHeight()}), (L{8, NO_MAX, 8, NO_MAX}));
    EXPECT_EQ((L{framed.MinHeight(), framed.MaxHeight(), open.MaxHeight()}), (L{40, 40, NO_MAX})) << "the header counts";
    AddProbe(row, 0, 0, 5);
    EXPECT_EQ((L{row.MaxWidth(), row.MaxHeight()}), (L{NO_MAX, NO_MAX}));
}

TEST(LayoutGroup, SameOrientationChildIsWrappedInTheOtherCarryingItsModesAndSize) {
    // modes, size, the wrapper's size, the length laid out (of 400 less a gap)
    for (const L& c : {L{RELATIVE_WIDTH, 30, 30, 118}, L{FIXED_WIDTH, 0, 55, 55}, L{FIXED_WIDTH, 120, 120, 120}}) {
        LayoutGroup parent(nullptr, HORIZONTAL, 0u, 5, 0, 0);
        LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, c[0], 5, 0, c[1]));
        AddProbe(*child.As<LayoutGroup>(), 0, 0, 20), AddProbe(*child.As<LayoutGroup>(), 0, 0, 30);
        parent.AddGroup(child);
        LayoutProbe* next = AddProbe(parent, 0, 0, 5);
        const LayoutGroup& added = *parent.Children()[0].As<LayoutGroup>();
        EXPECT_EQ((L{added.orientation, added.gap, added.border, static_cast<int32_t>(added.modes), added.size}), (L{VERTICAL, 0, 0, c[0], c[2]}));
        EXPECT_EQ(added.Children().at(0).Get(), child.Get());
        parent.ResizeTo({0, 0, 400, 50});
        EXPECT_EQ(next->Cell().left, c[3] + 5);
    }
}

TEST(LayoutNodeRef, CopiesShareOneCountAndTheLastReleaseDestroysTheNodeOnce) {
    int destroyedA = 0, destroyedB = 0;
    LayoutNodeRef a(std::make_unique<LayoutProbe>(0, 0, 5, -1, &destroyedA)), b(std::make_unique<LayoutProbe>(0, 0, 5, -1, &destroyedB));
    {
        LayoutNodeRef copy(a), another = copy;
        EXPECT_EQ(a.Count(), 3);
        another = b;
        EXPECT_EQ((L{a.Count(), b.Count()}), (L{2, 2}));
    }
    LayoutNodeRef& alias = a;
    a = alias;
    a = std::move(alias);
    EXPECT_EQ((L{a.Count(), destroyedA}), (L{1, 0})) << "assigning a reference to itself keeps the node";
    LayoutNodeRef moved = std::move(a);
    EXPECT_EQ((L{a.Count(), moved.Count()}), (L{0, 1}));
    moved = b;
    b.Reset();
    EXPECT_EQ((L{destroyedA, destroyedB}), (L{1, 0}));
    moved.Reset();
    EXPECT_EQ((L{destroyedA, destroyedB}), (L{1, 1}));
}
