#include <gtest/gtest.h>
#include <cstdlib>
#include <map>
#include "FakeLayoutWindows.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutManager.h"

namespace {

constexpr uint32_t CBS_DROPDOWN = 0x2;

// The time-keeping dialog's controls in pixels (8-point MS Sans Serif: a
// dialog unit is 1.5 pixels across and 13/8 pixel down).
struct Control {
    int id;
    const char* className;
    int x, y, w, h;  // dialog units
    uint32_t style;
};

const Control CONTROLS[] = {
    {57670, "Button", 211, 83, 50, 14, 0},
    {1001, "ComboBox", 117, 7, 83, 13, CBS_DROPDOWN},  // closed height of the drop-down
    {1005, "Static", 7, 7, 64, 12, 0},
    {1006, "Static", 7, 28, 78, 12, 0},
    {1000, "Edit", 117, 28, 83, 12, 0},
    {57671, "Button", 211, 7, 50, 14, 0},
    {57672, "Button", 211, 122, 50, 14, 0},
    {57673, "Button", 211, 45, 50, 14, 0},
    {1022, "Static", 106, 61, 83, 8, 0},
    {1021, "Static", 106, 76, 83, 8, 0},
    {1016, "Static", 106, 91, 83, 8, 0},
    {1008, "Static", 17, 61, 72, 8, 0},
    {1009, "Static", 17, 76, 72, 8, 0},
    {1010, "Static", 17, 91, 72, 8, 0},
    {1007, "Button", 7, 47, 193, 60, 7},
    {1003, "Edit", 7, 113, 193, 23, 0},
};

class MainDialogTree : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    // 268 x 143 dialog units of client area inside a 3-pixel frame and a caption.
    FakeLayoutWindows::Window* dialog = windows.AddDialog({50, 50, 50 + 402 + 6, 50 + 232 + 25}, {3, 22, 3, 3});
    LayoutManager manager{windows, dialog};
    std::map<int, FakeLayoutWindows::Window*> controls;

    void SetUp() override {
        for (const Control& c : CONTROLS) {
            const int x = c.x * 3 / 2, y = c.y * 13 / 8;
            controls[c.id] = windows.AddChild(dialog, c.id, c.className,
                                              {x, y, x + c.w * 3 / 2, y + c.h * 13 / 8}, c.style);
        }
        BuildTree();
        manager.UpdateLayout();
    }

    LayoutNodeRef Item(int id, uint32_t modes = 0) { return manager.NewItem(id, modes, 0, 0, -1, -1); }

    LayoutNodeRef Row(uint32_t modes, int label, int value) {
        LayoutNodeRef row = manager.NewGroup(HORIZONTAL, modes, 5, 0, 0);
        row.As<LayoutGroup>()->AddItem(Item(label)).AddItem(Item(value));
        return row;
    }

    void BuildTree() {
        LayoutNodeRef frame = manager.NewFramedGroup(1007, VERTICAL, FIXED_HEIGHT, 5, 5, 10, 0);
        frame.As<LayoutGroup>()
            ->AddGroup(Row(0, 1008, 1022))
            .AddGroup(Row(0, 1009, 1021))
            .AddGroup(Row(0, 1010, 1016));
        LayoutNodeRef left = manager.NewGroup(VERTICAL, 0, 5, 0, 0);
        left.As<LayoutGroup>()
            ->AddGroup(Row(FIXED_HEIGHT, 1005, 1001))
            .AddGroup(Row(FIXED_HEIGHT, 1006, 1000))
            .AddGroup(frame)
            .AddItem(Item(1003));
        const uint32_t button = FIXED_WIDTH | FIXED_HEIGHT;
        LayoutNodeRef buttons = manager.NewGroup(VERTICAL, FIXED_WIDTH, 5, 0, 0);
        buttons.As<LayoutGroup>()
            ->AddItem(Item(57671, button))
            .AddItem(manager.NewSpacer(true))
            .AddItem(Item(57673, button))
            .AddItem(manager.NewSpacer(true))
            .AddItem(Item(57670, button))
            .AddItem(manager.NewSpacer(true))
            .AddItem(Item(57672, button));
        manager.CreateRoot(HORIZONTAL, 5, 0).As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
    }

    void ResizeClient(int32_t width, int32_t height) {
        dialog->rect.right = dialog->rect.left + width + 6;
        dialog->rect.bottom = dialog->rect.top + height + 25;
        manager.UpdateLayout();
    }

    const LayoutRect& Rect(int id) { return controls[id]->rect; }

    void ExpectButtonColumn(int32_t clientWidth, int32_t clientHeight) {
        for (int id : {57671, 57673, 57670, 57672}) {
            EXPECT_EQ(Rect(id).Width(), 75) << id;
            EXPECT_EQ(Rect(id).Height(), 22) << id;
            EXPECT_EQ(Rect(id).right, clientWidth - 5) << id;
        }
        EXPECT_EQ(Rect(57671).top, 5);
        EXPECT_EQ(Rect(57672).bottom, clientHeight - 5);
        EXPECT_LT(Rect(57671).bottom, Rect(57673).top);
        EXPECT_LT(Rect(57673).bottom, Rect(57670).top);
        EXPECT_LT(Rect(57670).bottom, Rect(57672).top);
    }

    void ExpectLeftColumn(int32_t clientWidth, int32_t clientHeight) {
        const int32_t right = clientWidth - 5 - 75 - 5;
        EXPECT_EQ(Rect(1005).top, 5);
        EXPECT_EQ(Rect(1001).Height(), 21);
        EXPECT_EQ(Rect(1001).right, right);
        EXPECT_EQ(Rect(1006).top, 5 + 21 + 5);
        EXPECT_EQ(Rect(1000).Height(), 19);
        // Label and field share the row.
        EXPECT_LE(std::abs(Rect(1006).Width() - Rect(1000).Width()), 1);
        EXPECT_EQ(Rect(1007), (LayoutRect{5, 50 + 5, right, 55 + 69}));
        EXPECT_EQ(Rect(1003), (LayoutRect{5, 124 + 5, right, clientHeight - 5}));
        EXPECT_EQ(Rect(1022).right, right - 5);
    }
};

}  // namespace

TEST_F(MainDialogTree, AtTheTemplateSizeEveryControlKeepsItsRow) {
    EXPECT_EQ(manager.Root()->MinWidth(), 289 + 5 + 75);
    EXPECT_EQ(manager.Root()->MinHeight(), 21 + 19 + 69 + 37 + 3 * 5);
    EXPECT_EQ(manager.Root()->MaxWidth(), LAYOUT_UNBOUNDED);
    EXPECT_EQ(dialog->rect, (LayoutRect{50, 50, 458, 307}));
    ExpectButtonColumn(402, 232);
    ExpectLeftColumn(402, 232);
}

TEST_F(MainDialogTree, LargerWindowGrowsTheStatusLogAndKeepsTheButtons) {
    const LayoutRect before = Rect(1003);
    ResizeClient(602, 432);
    ExpectButtonColumn(602, 432);
    ExpectLeftColumn(602, 432);
    EXPECT_EQ(Rect(1003).Width(), before.Width() + 200);
    EXPECT_EQ(Rect(1003).Height(), before.Height() + 200);
}
