#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "layout/LayoutFramedGroup.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutManager.h"

namespace {

// Windows as plain records: a top-level window with a frame around its
// client area, and children placed in their parent's client coordinates.
class FakeLayoutWindows : public LayoutWindows {
public:
    // rect: as Move takes it; frame: non-client widths at left, top, right, bottom.
    struct Window {
        int id; Window* parent; std::string className; uint32_t style; LayoutRect rect, frame; std::vector<Window*> children; Window* buddy;
        int moves, redraws, erasingRedraws, invalidations, buddySets;
    };
    static constexpr uint32_t SHOWN = STYLE_CHILD | STYLE_VISIBLE;

    Window* Add(Window* parent, int id, const std::string& className, LayoutRect rect, uint32_t style = SHOWN, LayoutRect frame = {}) {
        windows_.push_back(std::make_unique<Window>(Window{id, parent, className, style, rect, frame, {}, nullptr, 0, 0, 0, 0, 0}));
        if (parent) parent->children.push_back(windows_.back().get());
        return windows_.back().get();
    }
    Window* AddDialog(LayoutRect rect, LayoutRect frame) { return Add(nullptr, 0, "#32770", rect, STYLE_VISIBLE, frame); }

    Handle FindChild(Handle parent, int id) override {
        for (Window* c : Get(parent)->children) if (c->id == id) return c;
        return nullptr;
    }
    LayoutRect WindowRect(Handle h) override {
        const Window* w = Get(h);
        const LayoutRect o = w->parent ? WindowRect(w->parent) : LayoutRect{}, f = w->parent ? w->parent->frame : LayoutRect{};
        return {w->rect.left + o.left + f.left, w->rect.top + o.top + f.top, w->rect.right + o.left + f.left, w->rect.bottom + o.top + f.top};
    }
    LayoutRect ClientRect(Handle h) override {
        const Window* w = Get(h);
        return {0, 0, w->rect.Width() - w->frame.left - w->frame.right, w->rect.Height() - w->frame.top - w->frame.bottom};
    }
    std::string ClassName(Handle h) override { return Get(h)->className; }
    uint32_t Style(Handle h) override { return Get(h)->style; }
    bool IsDialog(Handle h) override { return Get(h)->className == "#32770"; }
    std::vector<Handle> Children(Handle h) override { return {Get(h)->children.begin(), Get(h)->children.end()}; }
    void Move(Handle h, const LayoutRect& rect) override { Get(h)->rect = rect, ++Get(h)->moves; }
    void Redraw(Handle h, bool erase) override { ++(erase ? Get(h)->erasingRedraws : Get(h)->redraws); }
    void Invalidate(Handle h) override { ++Get(h)->invalidations; }
    Handle UpDownBuddy(Handle h) override { return Get(h)->buddy; }
    void SetUpDownBuddy(Handle h, Handle buddy) override { Get(h)->buddy = Get(buddy), ++Get(h)->buddySets; }

private:
    static Window* Get(Handle h) { return static_cast<Window*>(h); }
    std::vector<std::unique_ptr<Window>> windows_;
};

// A node with given lengths, the same in both directions, that records the
// cells it is laid out into.
class LayoutProbe : public LayoutNode {
public:
    LayoutProbe(uint32_t modes, int32_t length, int32_t min, int32_t max) : LayoutNode(nullptr, modes), length(length), min(min), max(max) {}
    int32_t PreferredWidth(int32_t base) const override { return (modes & FIXED_WIDTH) ? length : (modes & RELATIVE_WIDTH) ? base * length / 100 : -1; }
    int32_t PreferredHeight(int32_t base) const override { return (modes & FIXED_HEIGHT) ? length : (modes & RELATIVE_HEIGHT) ? base * length / 100 : -1; }
    int32_t MinWidth() const override { return min; }
    int32_t MaxWidth() const override { return max; }
    int32_t MinHeight() const override { return min; }
    int32_t MaxHeight() const override { return max; }
    bool ResizeTo(LayoutRect rect) override { return cells.push_back(rect), true; }
    LayoutRect Cell() const { return cells.empty() ? LayoutRect{-1, -1, -1, -1} : cells.back(); }

    int32_t length, min, max;
    std::vector<LayoutRect> cells;
};

// Appends a probe to `group`, which owns it.
LayoutProbe* AddProbe(LayoutGroup& group, uint32_t modes, int32_t length, int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
    auto probe = std::make_unique<LayoutProbe>(modes, length, min, max);
    LayoutProbe* raw = probe.get();
    group.AddItem(LayoutNodeRef(std::move(probe)));
    return raw;
}

using L = std::vector<int32_t>;
using Window = FakeLayoutWindows::Window;
constexpr uint32_t SHOWN = FakeLayoutWindows::SHOWN, CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_NOINTEGRALHEIGHT = 0x400;
const int32_t NO_MAX = LAYOUT_UNBOUNDED;
const uint32_t FIX = FIXED_WIDTH, REL = RELATIVE_WIDTH, FILL = FIXED_WIDTH | FILL_WIDTH;

struct Child { uint32_t modes; int32_t length, min, max; };  // length: fixed length or percentage
struct Distribution { const char* name; int32_t orientation, gap, border, length; std::vector<Child> children; L expected; };

const Distribution DISTRIBUTIONS[] = {
    {"greedy share the row after border and gaps", HORIZONTAL, 5, 5, 300, {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {93, 93, 94}},
    {"and down a column", VERTICAL, 4, 3, 100, {{0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {45, 45}},
    {"greedy held at a minimum takes from the others in proportion", HORIZONTAL, 0, 0, 180, {{0, 0, 100, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {100, 40, 40}},
    {"an excess of 5 comes whole from the first that can give it", HORIZONTAL, 0, 0, 100, {{0, 0, 38, NO_MAX}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {38, 28, 34}},
    {"space above a greedy maximum goes to the unclamped", HORIZONTAL, 0, 0, 300, {{0, 0, 5, 50}, {0, 0, 5, NO_MAX}, {0, 0, 5, NO_MAX}}, {50, 125, 125}},
    {"freed space lifts one held at its minimum up to its maximum", HORIZONTAL, 0, 0, 200, {{0, 0, 5, 50}, {0, 0, 120, 130}}, {50, 130}},
    {"one held at its maximum gives back what minimums still need", HORIZONTAL, 0, 0, 125, {{0, 0, 32, 70}, {0, 0, 18, 35}, {0, 0, 63, 71}}, {32, 30, 63}},
    {"percentages refer to what the fixed left", HORIZONTAL, 0, 0, 260, {{FIX, 60, 5, NO_MAX}, {REL, 50, 100, NO_MAX}, {0, 0, 5, NO_MAX}}, {60, 100, 100}},
    {"relative held at its minimum takes from the other relative", HORIZONTAL, 0, 0, 200, {{REL, 50, 150, NO_MAX}, {REL, 50, 5, NO_MAX}}, {150, 50}},
    {"a relative sweep that moves nothing ends the correction", HORIZONTAL, 0, 0, 200, {{REL, 6, 6, NO_MAX}, {REL, 8, 79, NO_MAX}, {REL, 40, 80, NO_MAX}}, {12, 79, 80}},
    {"each relative is asked for a small excess whole", HORIZONTAL, 0, 0, 100, {{REL, 39, 36, NO_MAX}, {REL, 16, 21, NO_MAX}, {REL, 29, 26, NO_MAX}}, {36, 21, 26}},
    {"greedy minimums are taken back from a relative", HORIZONTAL, 5, 0, 300, {{REL, 80, 100, NO_MAX}, {0, 0, 75, NO_MAX}, {0, 0, 75, NO_MAX}}, {140, 75, 75}},
    {"relatives asking for more than there is are cut down", HORIZONTAL, 0, 0, 37, {{REL, 90, 5, NO_MAX}, {REL, 75, 21, 36}}, {16, 21}},
    {"a relative held at its maximum gives the rest to the other", HORIZONTAL, 0, 0, 54, {{REL, 58, 5, NO_MAX}, {REL, 59, 5, 7}}, {48, 6}},
    {"over-committed relatives are corrected in whole sweeps", HORIZONTAL, 0, 0, 232, {{REL, 57, 5, NO_MAX}, {REL, 65, 5, 68}, {REL, 87, 82, NO_MAX}}, {78, 33, 121}},
    {"a relative held at its minimum is paid from unused space", HORIZONTAL, 0, 0, 74, {{REL, 3, 7, NO_MAX}, {0, 19, 5, NO_MAX}, {REL, 12, 5, NO_MAX}}, {7, 62, 5}},
    {"space a relative at its maximum frees stays free", HORIZONTAL, 0, 0, 60, {{0, 7, 5, NO_MAX}, {REL, 32, 5, 8}}, {41, 8}},
    {"what a relative gives back for greedy minimums is not taken twice", HORIZONTAL, 0, 0, 79, {{0, 8, 5, 12}, {REL, 51, 5, NO_MAX}, {0, 58, 76, NO_MAX}}, {5, 5, 76}},
    {"a relative at its maximum keeps it while the greedy take their minimums", HORIZONTAL, 0, 0, 94, {{0, 17, 80, NO_MAX}, {REL, 47, 5, 8}}, {80, 8}},
    {"spare length goes to fill children, the remainder to the last", HORIZONTAL, 0, 0, 101, {{FILL, 20, 5, NO_MAX}, {FIX, 20, 5, NO_MAX}, {FILL, 20, 5, NO_MAX}}, {40, 20, 41}},
};

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

L Limits(const LayoutNode& n) { return {n.PreferredWidth(200), n.PreferredHeight(99), n.MinWidth(), n.MaxWidth(), n.MinHeight(), n.MaxHeight()}; }

}  // namespace

TEST(LayoutGroup, DistributesItsLengthAndPlacesTheChildren) {
    for (const Distribution& d : DISTRIBUTIONS) {
        SCOPED_TRACE(d.name);
        const bool across = d.orientation == HORIZONTAL;
        LayoutGroup group(nullptr, d.orientation, 0u, d.gap, d.border, 0);
        std::vector<LayoutProbe*> probes;
        for (const Child& c : d.children) probes.push_back(AddProbe(group, across ? c.modes : c.modes << 2, c.length, c.min, c.max));
        group.ResizeTo(across ? LayoutRect{10, 20, 10 + d.length, 70} : LayoutRect{20, 10, 70, 10 + d.length});
        L lengths;  // each child after the gap, across all but the border
        int32_t next = 10 + d.border;
        for (const LayoutProbe* p : probes) {
            const LayoutRect c = p->Cell(), along = across ? c : LayoutRect{c.top, c.left, c.bottom, c.right};
            lengths.push_back(along.Width());
            EXPECT_EQ((L{along.left, along.top, along.bottom}), (L{next, 20 + d.border, 70 - d.border}));
            next = along.right + d.gap;
        }
        EXPECT_EQ(lengths, d.expected);
    }
}

TEST_F(LayoutTest, GroupLimitsSumAlongAndTakeTheLargestAcrossAFramedGroupsBelowItsHeader) {
    LayoutNodeRef columnRef(std::make_unique<LayoutGroup>(nullptr, VERTICAL, 0u, 4, 3, 0));
    LayoutGroup &column = *columnRef.As<LayoutGroup>(), row(nullptr, HORIZONTAL, 0u, 4, 3, 0), empty(nullptr, VERTICAL, 0u, 7, 4, 0), spaced(nullptr, HORIZONTAL, 0u, 0, 0, 0);
    Window* frame = windows.Add(dialog, 7, "Button", {0, 0, 10, 10});
    LayoutFramedGroup framed(&manager, nullptr, VERTICAL, 0u, 5, 5, 10, 0), open(&manager, frame, VERTICAL, 0u, 5, 5, 10, 0);
    AddProbe(column, 0, 0, 20, 30), AddProbe(column, 0, 0, 2, 10), AddProbe(row, 0, 0, 20, 30), AddProbe(framed, 0, 0, 20, 20), AddProbe(open, 0, 0, 20);
    row.AddGroup(columnRef).AddItem(LayoutNodeRef());
    // Each child counts at least 5 along; a border on both sides.
    EXPECT_EQ((L{column.MinWidth(), column.MaxWidth(), column.MinHeight(), column.MaxHeight()}), (L{26, 36, 35, 50}));
    EXPECT_EQ((L{row.MinWidth(), row.MaxWidth(), row.MinHeight(), row.MaxHeight()}), (L{56, 76, 41, 56}));
    EXPECT_EQ((L{empty.MinWidth(), empty.MaxWidth(), empty.MinHeight(), empty.MaxHeight()}), (L{8, NO_MAX, 8, NO_MAX}));
    EXPECT_EQ((L{spaced.AddItem(manager.NewSpacer(true)).MinWidth(), spaced.MaxWidth()}), (L{5, 5})) << "a fixed 0 counts 5 both ways";
    EXPECT_EQ((L{framed.MinHeight(), framed.MaxHeight(), open.MaxHeight()}), (L{40, 40, NO_MAX})) << "the header counts";
    AddProbe(row, 0, 0, 5);
    EXPECT_EQ((L{row.MaxWidth(), row.MaxHeight()}), (L{NO_MAX, NO_MAX}));
    const LayoutGroup tall(nullptr, HORIZONTAL, FIXED_HEIGHT | RELATIVE_WIDTH, 0, 0, 30);
    EXPECT_EQ((L{tall.PreferredWidth(200), tall.PreferredHeight(200)}), (L{60, 30}));
    framed.ResizeTo({10, 20, 110, 120}), open.ResizeTo({10, 20, 110, 120});
    EXPECT_EQ(static_cast<LayoutProbe*>(open.Children()[0].Get())->cells, (std::vector<LayoutRect>{{15, 35, 105, 115}}));
    EXPECT_EQ((L{frame->rect.left, frame->rect.top, frame->rect.right, frame->rect.bottom, frame->moves, frame->erasingRedraws}), (L{10, 20, 110, 120, 1, 1}));
}

TEST(LayoutGroup, SameOrientationChildIsWrappedInTheOtherCarryingItsModesAndSize) {
    // modes, size, the wrapper's size, the length laid out (of 400 less a gap)
    for (const L& c : {L{RELATIVE_WIDTH, 30, 30, 118}, L{FIXED_WIDTH, 0, 55, 55}, L{FIXED_WIDTH, 120, 120, 120}}) {
        LayoutGroup parent(nullptr, HORIZONTAL, 0u, 5, 0, 0);
        LayoutNodeRef child(std::make_unique<LayoutGroup>(nullptr, HORIZONTAL, c[0], 5, 0, c[1]));
        AddProbe(*child.As<LayoutGroup>(), 0, 0, 20), AddProbe(*child.As<LayoutGroup>(), 0, 0, 30);
        LayoutProbe* next = AddProbe(parent.AddGroup(child), 0, 0, 5);
        parent.ResizeTo({0, 0, 400, 50});
        const LayoutGroup& added = *parent.Children()[0].As<LayoutGroup>();
        EXPECT_EQ((L{added.orientation, added.gap, static_cast<int32_t>(added.modes), added.size, next->Cell().left}), (L{VERTICAL, 0, c[0], c[2], c[3] + 5}));
    }
}

TEST_F(LayoutTest, ItemSizesAndLimits) {
    windows.Add(dialog, 10, "Edit", {5, 5, 85, 27});
    const LayoutNodeRef current = manager.NewItem(10, 0, 0, 0, -1, -1), given = manager.NewItem(10, 0, 30, 12, 0, 7);
    const LayoutItem &c = *current.As<LayoutItem>(), &g = *given.As<LayoutItem>();
    EXPECT_EQ((L{c.width, c.height, c.minWidth, c.minHeight, g.width, g.height, g.minWidth, g.minHeight}), (L{80, 22, 80, 22, 30, 12, 0, 7}))
        << "0 and -1: the control's size";
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, FIXED_WIDTH | FIXED_HEIGHT, 40, 20, 3, 3)), (L{40, 20, 40, 40, 20, 20}));
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, RELATIVE_WIDTH | RELATIVE_HEIGHT, 33, 50, 3, 60)), (L{66, 49, 5, -1, 60, -1}));
    EXPECT_EQ(Limits(LayoutItem(&manager, nullptr, 0, 40, 20, 12, -5)), (L{-1, -1, 12, -1, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(true).Get()), (L{0, -1, 0, 0, 5, -1}));
    EXPECT_EQ(Limits(*manager.NewSpacer(false).Get()), (L{-1, 0, 5, -1, 0, 0}));
}

TEST_F(LayoutTest, ControlIsPlacedInItsCellByModeAndKind) {
    const LayoutRect cell{10, 100, 91, 151};  // 81 x 51; every control is 40 x 20
    struct Case { const char* className; uint32_t style, modes; LayoutRect placed; };
    const Case cases[] = {
        {"Button", SHOWN, FIXED_WIDTH, {10, 100, 50, 151}}, {"Button", SHOWN, FIXED_WIDTH | ALIGN_RIGHT, {51, 100, 91, 151}}, {"Button", SHOWN, ALIGN_RIGHT | ALIGN_BOTTOM, cell},
        {"Button", SHOWN, FIXED_WIDTH | ALIGN_HCENTER, {30, 100, 70, 151}}, {"Button", SHOWN, FIXED_WIDTH | ALIGN_HCENTER | FILL_WIDTH, cell},
        {"Button", SHOWN, FIXED_HEIGHT | ALIGN_BOTTOM, {10, 131, 91, 151}}, {"Button", SHOWN, FIXED_HEIGHT | ALIGN_VCENTER, {10, 115, 91, 135}},
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

TEST_F(LayoutTest, TopLevelDialogIsKeptWithinTheTreesLimitsAndLaidOutLessTheBorders) {
    manager.borderX = 6;
    // min, max, width and height before, after, the probe's width; the frame is 8 x 28
    for (const L& c : {L{5, -1, 400, 300, 400, 300, 380}, L{150, -1, 100, 50, 8 + 150 + 12, 28 + 150 + 10, 150},
                       L{20, 200, 400, 300, 8 + 200 + 12, 28 + 200 + 10, 200}, L{2, 3, 400, 300, 8 + 5 + 12, 28 + 3 + 10, 3}}) {  // a row's minimum counts the 5-pixel floor
        dialog->rect = {0, 0, c[2], c[3]};
        LayoutProbe* probe = RootWithProbe(manager, c[0], c[1]);
        manager.UpdateLayout();
        EXPECT_EQ(dialog->rect, (LayoutRect{0, 0, c[4], c[5]})) << c[0];
        EXPECT_EQ(probe->Cell(), (LayoutRect{6, 5, 6 + c[6], c[5] - 28 - 5})) << c[0];
    }
    EXPECT_EQ(dialog->invalidations, 4);
}

TEST_F(LayoutTest, ChildDialogsOtherWindowsAndMinimisedOnesAreNotResized) {
    Window* child = windows.Add(dialog, 5, "#32770", {0, 0, 50, 50});
    Window* frame = windows.Add(nullptr, 0, "Frame", {0, 0, 10, 50}, LayoutWindows::STYLE_VISIBLE);  // nothing left to lay out
    Window* minimised = windows.AddDialog({-32000, -32000, -31840, -31972}, {80, 14, 80, 14});
    Window* flat = windows.AddDialog({0, 0, 300, 28}, {4, 24, 4, 4});  // no client height
    for (Window* window : {child, frame, minimised, flat}) {
        LayoutManager other(windows, window);
        LayoutProbe* probe = RootWithProbe(other, 150);
        other.UpdateLayout();
        EXPECT_EQ((L{window->moves, probe->cells.empty()}), (L{window == flat, window == minimised || window == frame})) << window->className;
    }
}

TEST_F(LayoutTest, UpDownIsReattachedToItsBuddyOnlyWhenVisibleAndAligned) {
    Window* edit = windows.Add(dialog, 1, "Edit", {0, 0, 40, 20});
    const std::pair<const char*, uint32_t> cases[] = {{"msctls_updown32", SHOWN | 0x4}, {"msctls_updown32", SHOWN | 0x8},
        {"msctls_updown32", LayoutWindows::STYLE_CHILD | 0x4}, {"msctls_updown32", SHOWN}, {"Button", SHOWN | 0x4}};
    for (const auto& c : cases) windows.Add(dialog, 2, c.first, {0, 0, 10, 20}, c.second)->buddy = edit;
    RootWithProbe(manager, 5);
    manager.UpdateLayout();
    L sets;
    for (Window* w : dialog->children) sets.push_back(w->buddySets + (w->buddy == edit ? 10 : 0));
    EXPECT_EQ(sets, (L{0, 11, 11, 10, 10, 10})) << "sets, and 10 for the same buddy";
}

// Lengths given for 96 DPI (the dialogs' gaps and borders of 5, the frame's
// caption of 10) on other screens, and a placement's size stored at 96 DPI.
TEST(DpiScale, LengthsFollowTheDpiRoundedHalfAwayFromZero) {
    // value, from DPI, to DPI, expected
    for (const L& c : {L{5, 96, 96, 5}, L{10, 96, 96, 10}, L{5, 96, 144, 8}, L{10, 96, 144, 15}, L{5, 96, 192, 10}, L{10, 96, 192, 20},
                       L{-5, 96, 144, -8}, L{1, 96, 120, 1}, L{601, 144, 96, 401}, L{400000000, 96, 192, 800000000}, L{7, 0, 144, 7}})
        EXPECT_EQ(ScaleBetweenDpi(c[0], c[1], c[2]), c[3]) << c[0] << " from " << c[1] << " to " << c[2];
    FakeLayoutWindows windows;
    LayoutManager manager(windows);
    manager.SetDpi(144);
    EXPECT_EQ((L{manager.borderX, manager.borderY, manager.Scaled(10)}), (L{8, 8, 15}));
}
