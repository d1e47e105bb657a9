#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutManager.h"

namespace {

// A dialog at (100, 100) whose frame is 4 pixels wide with a 24-pixel
// caption: its client area is 392 x 272.
class LayoutManagerTest : public ::testing::Test {
protected:
    FakeLayoutWindows windows;
    FakeLayoutWindows::Window* dialog = windows.AddDialog({100, 100, 500, 400}, {4, 24, 4, 4});
    LayoutManager manager{windows, dialog};

    // A root holding one probe with these limits in both directions.
    static LayoutProbe* RootWithProbe(LayoutManager& m, int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
        ProbeRef p = MakeProbe(0, 0, min, max);
        m.CreateRoot(HORIZONTAL, 0, 0).As<LayoutGroup>()->AddItem(p.ref);
        return p.probe;
    }
};

// Keeps 20 pixels at the bottom for itself, as a status bar would.
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

TEST_F(LayoutManagerTest, RootIsLaidOutInTheLayoutRectangleLessTheBorders) {
    LayoutProbe* probe = RootWithProbe(manager, 5);
    manager.borderX = 6;
    manager.borderY = 3;
    manager.UpdateLayout();
    EXPECT_EQ(probe->Cell(), (LayoutRect{6, 3, 386, 269}));
    EXPECT_EQ(dialog->invalidations, 1);
    EXPECT_EQ(dialog->rect, (LayoutRect{100, 100, 500, 400}));

    InsetLayoutManager inset(windows, dialog);
    LayoutProbe* insetProbe = RootWithProbe(inset, 5);
    inset.UpdateLayout();
    EXPECT_EQ(insetProbe->Cell(), (LayoutRect{5, 5, 387, 247}));
}

TEST_F(LayoutManagerTest, TopLevelDialogIsKeptWithinTheTreesLimits) {
    struct Case {
        int32_t min, max;
        LayoutRect before;
        int32_t width, height;
    } cases[] = {
        {150, LAYOUT_UNBOUNDED, {0, 0, 100, 50}, 8 + 150 + 10, 28 + 150 + 10},
        {20, 200, {0, 0, 400, 300}, 8 + 200 + 10, 28 + 200 + 10},
        // A row's minimum counts the 5-pixel floor, its maximum does not.
        {2, 3, {0, 0, 400, 300}, 8 + 5 + 10, 28 + 3 + 10},
    };
    for (const Case& c : cases) {
        dialog->rect = c.before;
        LayoutProbe* probe = RootWithProbe(manager, c.min, c.max);
        manager.UpdateLayout();
        EXPECT_EQ(dialog->rect, (LayoutRect{0, 0, c.width, c.height})) << c.min;
        EXPECT_EQ(probe->Cell().bottom, c.height - 28 - 5) << c.min;
    }
    // The 20 pixels an overridden layout rectangle keeps count as frame,
    // also when the rectangle has shrunk below nothing.
    InsetLayoutManager inset(windows, dialog);
    RootWithProbe(inset, 50);
    dialog->rect = {0, 0, 300, 28 + 12};
    inset.UpdateLayout();
    EXPECT_EQ(dialog->rect.Height(), 28 + 20 + 50 + 10);
}

TEST_F(LayoutManagerTest, ChildDialogsOtherWindowsAndMinimisedOnesAreNotResized) {
    auto* child = windows.Add(dialog, 5, "#32770", {0, 0, 50, 50});
    auto* frame = windows.Add(nullptr, 0, "Frame", {0, 0, 50, 50}, LayoutWindows::STYLE_VISIBLE);
    auto* minimised = windows.AddDialog({-32000, -32000, -31840, -31972}, {80, 14, 80, 14});
    auto* flat = windows.AddDialog({0, 0, 300, 28}, {4, 24, 4, 4});  // no client height
    for (auto* window : {child, frame, minimised, flat}) {
        LayoutManager other(windows, window);
        LayoutProbe* probe = RootWithProbe(other, 150);
        other.UpdateLayout();
        EXPECT_EQ(window->moves, window == flat ? 1 : 0) << window->className;
        EXPECT_EQ(probe->cells.empty(), window == minimised);
    }
}

TEST_F(LayoutManagerTest, SizeChangeDuringTheMoveLaysOutAgainFromInside) {
    dialog->rect = {100, 100, 200, 150};
    LayoutProbe* probe = RootWithProbe(manager, 150);
    LayoutRect lastSize = dialog->rect;
    // Like WM_SIZE: only a real size change calls back.
    windows.onMove = [&](FakeLayoutWindows::Window* w) {
        if (w->rect.Width() == lastSize.Width() && w->rect.Height() == lastSize.Height()) return;
        lastSize = w->rect;
        manager.UpdateLayout();
    };
    manager.UpdateLayout();
    ASSERT_EQ(probe->cells.size(), 2u);
    EXPECT_EQ(probe->cells[0], probe->cells[1]);
    EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, 155, 155}));
}

TEST_F(LayoutManagerTest, UpDownIsReattachedToItsBuddyOnlyWhenVisibleAndAligned) {
    constexpr uint32_t VISIBLE = LayoutWindows::STYLE_CHILD | LayoutWindows::STYLE_VISIBLE;
    auto* edit = windows.Add(dialog, 1, "Edit", {0, 0, 40, 20});
    struct Case {
        const char* className;
        uint32_t style;
        int buddySets;
    } cases[] = {{"msctls_updown32", VISIBLE | 0x4, 1}, {"msctls_updown32", VISIBLE | 0x8, 1},
                 {"msctls_updown32", LayoutWindows::STYLE_CHILD | 0x4, 0}, {"msctls_updown32", VISIBLE, 0},
                 {"Button", VISIBLE | 0x4, 0}};
    std::vector<FakeLayoutWindows::Window*> controls;
    for (const Case& c : cases) {
        controls.push_back(windows.Add(dialog, 2, c.className, {0, 0, 10, 20}, c.style));
        controls.back()->buddy = edit;
    }
    windows.Add(dialog, 3, "msctls_updown32", {0, 0, 10, 20}, VISIBLE | 0x4);  // without a buddy
    RootWithProbe(manager, 5);
    manager.UpdateLayout();
    for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i]->buddySets, cases[i].buddySets) << i;
    EXPECT_EQ(controls[0]->buddy, edit);
}
