#include <gtest/gtest.h>
#include <ostream>
#include <vector>
#include "LayoutProbe.h"
#include "layout/LayoutFramedGroup.h"

namespace {

struct Child {
    uint32_t modes;
    int32_t length;  // fixed length or percentage
    int32_t min;
    int32_t max;
};

struct Distribution {
    const char* name;
    int32_t orientation, gap, border, length;
    std::vector<Child> children;
    std::vector<int32_t> expected;
};

void PrintTo(const Distribution& d, std::ostream* os) { *os << d.name; }

const int32_t NO_MAX = LAYOUT_UNBOUNDED;
const uint32_t FIX = FIXED_WIDTH, REL = RELATIVE_WIDTH, FILL = FIXED_WIDTH | FILL_WIDTH;

const Distribution DISTRIBUTIONS[] = {
    {"greedy share the row after border and gaps", HORIZONTAL, 5, 5, 300,
     {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {93, 93, 94}},
    {"and down a column", VERTICAL, 4, 3, 100, {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {45, 45}},
    {"greedy clamped at a minimum takes from the others in proportion", HORIZONTAL, 0, 0, 180,
     {{0, 0, 100, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {100, 40, 40}},
    {"an excess of 5 comes whole from the first child that can give it", HORIZONTAL, 0, 0, 100,
     {{0, 0, 38, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {38, 28, 34}},
    {"space above a greedy maximum goes to the unclamped", HORIZONTAL, 0, 0, 300,
     {{0, 0, 5, 50}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {50, 125, 125}},
    {"freed space lifts one held at its minimum up to its maximum", HORIZONTAL, 0, 0, 200,
     {{0, 0, 5, 50}, {0, 0, 120, 130}}, {50, 130}},
    {"percentages refer to what the fixed children left", HORIZONTAL, 0, 0, 260,
     {{FIX, 60, 5, NO_MAX}, {REL, 50, 100, NO_MAX}, {0, 0, 5, NO_MAX}}, {60, 100, 100}},
    {"relative held at its minimum takes from the other relative", HORIZONTAL, 0, 0, 200,
     {{REL, 50, 150, NO_MAX}, {REL, 50, 5, NO_MAX}}, {150, 50}},
    {"a relative sweep that moves nothing ends the correction", HORIZONTAL, 0, 0, 200,
     {{REL, 6, 6, NO_MAX}, {REL, 8, 79, NO_MAX}, {REL, 40, 80, NO_MAX}}, {12, 79, 80}},
    {"each relative child is asked for a small excess whole", HORIZONTAL, 0, 0, 100,
     {{REL, 39, 36, NO_MAX}, {REL, 16, 21, NO_MAX}, {REL, 29, 26, NO_MAX}}, {36, 21, 26}},
    {"greedy minimums are taken back from a relative child", HORIZONTAL, 5, 0, 300,
     {{REL, 80, 100, NO_MAX}, {0, 0, 75, NO_MAX}, {0, 0, 75, NO_MAX}}, {140, 75, 75}},
    {"spare length goes to fill children, the remainder to the last", HORIZONTAL, 0, 0, 101,
     {{FILL, 20, 5, NO_MAX}, {FIX, 20, 5, NO_MAX}, {FILL, 20, 5, NO_MAX}}, {40, 20, 41}},
};

class LayoutGroupDistribution : public ::testing::TestWithParam<Distribution> {};

}  // namespace

TEST_P(LayoutGroupDistribution, LengthsAndPlacement) {
    const Distribution& d = GetParam();
    LayoutGroup group(nullptr, d.orientation, 0u, d.gap, d.border, 0);
    std::vector<LayoutProbe*> probes;
    for (const Child& c : d.children) {
        ProbeRef p = MakeProbe(d.orientation == HORIZONTAL ? c.modes : c.modes << 2, c.length, c.min, c.max);
        group.AddItem(p.ref);
        probes.push_back(p.probe);
    }
    const bool across = d.orientation == HORIZONTAL;
    group.ResizeTo(across ? LayoutRect{10, 20, 10 + d.length, 70} : LayoutRect{20, 10, 70, 10 + d.length});

    std::vector<int32_t> lengths;
    int32_t next = 10 + d.border;
    for (const LayoutProbe* p : probes) {
        const LayoutRect c = p->Cell();
        const LayoutRect along = across ? c : LayoutRect{c.top, c.left, c.bottom, c.right};
        lengths.push_back(along.Width());
        EXPECT_EQ(along.left, next) << "children follow each other after the gap";
        EXPECT_EQ(along.top, 20 + d.border) << "the cell spans the cross direction less the border";
        EXPECT_EQ(along.bottom, 70 - d.border);
        next = along.right + d.gap;
    }
    EXPECT_EQ(lengths, d.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutGroupDistribution, ::testing::ValuesIn(DISTRIBUTIONS),
                         [](const ::testing::TestParamInfo<Distribution>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(LayoutGroup, LimitsSumAlongAndTakeTheLargestAcross) {
    LayoutGroup row(nullptr, HORIZONTAL, 0u, 4, 3, 0);
    row.AddItem(MakeProbe(0, 0, 20, 30).ref).AddItem(MakeProbe(0, 0, 2, 10).ref).AddItem(LayoutNodeRef());
    LayoutGroup column(nullptr, VERTICAL, 0u, 4, 3, 0);
    column.AddItem(MakeProbe(0, 0, 20, 30).ref).AddItem(MakeProbe(0, 0, 2, 10).ref);
    LayoutGroup empty(nullptr, VERTICAL, 0u, 7, 4, 0);
    LayoutFramedGroup framed(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0);
    framed.AddItem(MakeProbe(0, 0, 20, 20).ref);
    LayoutFramedGroup open(nullptr, nullptr, VERTICAL, 0u, 5, 5, 10, 0);
    open.AddItem(MakeProbe(0, 0, 20).ref);
    using L = std::vector<int32_t>;
    // Each child counts at least 5 along; a border on both sides.
    EXPECT_EQ((L{row.MinWidth(), row.MaxWidth(), row.MinHeight(), row.MaxHeight()}), (L{35, 50, 26, 36}));
    EXPECT_EQ((L{column.MinWidth(), column.MaxWidth(), column.MinHeight(), column.MaxHeight()}), (L{26, 36, 35, 50}));
    EXPECT_EQ((L{empty.MinWidth(), empty.MaxWidth(), empty.MinHeight(), empty.MaxHeight()}), (L{8, NO_MAX, 8, NO_MAX}));
    EXPECT_EQ((L{framed.MinHeight(), framed.MaxHeight(), open.MaxHeight()}), (L{40, 40, NO_MAX}))
        << "the header adds to both limits of the height";
    row.AddItem(MakeProbe(0, 0, 5).ref);
    EXPECT_EQ((L{row.MaxWidth(), row.MaxHeight()}), (L{NO_MAX, NO_MAX}));
}

TEST(LayoutGroup, SameOrientationChildIsWrappedInTheOtherCarryingItsModesAndSize) {
    struct Case {
        uint32_t modes;
        int32_t size, wrapperSize, laidOut;
    } cases[] = {
        {RELATIVE_WIDTH, 30, 30, 118},  // 30 % of 400 less the gap
        {FIXED_WIDTH, 0, 55, 55},       // the child's minimum width when added
        {FIXED_WIDTH, 120, 120, 120},
    };
    for (const Case& c : cases) {
        LayoutGroup parent(nullptr, HORIZONTAL, 0u, 5, 0, 0);
        LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, c.modes, 5, 0, c.size));
        child.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 20).ref).AddItem(MakeProbe(0, 0, 30).ref);
        parent.AddGroup(child).AddItem(MakeProbe(0, 0, 5).ref);

        const LayoutGroup* added = parent.Children()[0].As<LayoutGroup>();
        ASSERT_TRUE(added);
        EXPECT_EQ((std::vector<int32_t>{added->orientation, added->gap, added->border, added->size}),
                  (std::vector<int32_t>{VERTICAL, 0, 0, c.wrapperSize}));
        EXPECT_EQ(added->modes, c.modes);
        EXPECT_EQ(added->Children().at(0).Get(), child.Get());
        parent.ResizeTo({0, 0, 400, 50});
        EXPECT_EQ(parent.Children()[1].As<LayoutProbe>()->Cell().left, c.laidOut + 5);
    }
}
