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
    LayoutProbe* RootWithProbe(LayoutManager& m, int32_t min, int32_t max = LAYOUT_UNBOUNDED) {
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
    EXPECT_EQ(dialog->moves, 1) << "the window is moved even when nothing changes";
    EXPECT_EQ(dialog->rect, (LayoutRect{100, 100, 500, 400}));

    InsetLayoutManager inset(windows, dialog);
    LayoutProbe* insetProbe = RootWithProbe(inset, 5);
    inset.UpdateLayout();
    EXPECT_EQ(insetProbe->Cell(), (LayoutRect{5, 5, 387, 247}));
}

TEST_F(LayoutManagerTest, TopLevelDialogIsKeptWithinTheTreesLimits) {
    struct Case {
        const char* name;
        int32_t min;
        int32_t max;
        LayoutRect before;
        int32_t width;
        int32_t height;
        bool probeFills;
    } cases[] = {
        {"too small: enlarged", 150, LAYOUT_UNBOUNDED, {0, 0, 100, 50}, 8 + 150 + 10, 28 + 150 + 10, true},
        {"too large: reduced", 20, 200, {0, 0, 400, 300}, 8 + 200 + 10, 28 + 200 + 10, true},
        // A row's minimum counts the 5-pixel floor, its maximum does not.
        {"a maximum below the minimum gives way", 2, 3, {0, 0, 400, 300}, 8 + 5 + 10, 28 + 3 + 10, false},
    };
    for (const Case& c : cases) {
        dialog->rect = c.before;
        LayoutProbe* probe = RootWithProbe(manager, c.min, c.max);
        manager.UpdateLayout();
        EXPECT_EQ(dialog->rect, (LayoutRect{0, 0, c.width, c.height})) << c.name;
        if (c.probeFills) {
            EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, c.width - 8 - 5, c.height - 28 - 5})) << c.name;
        }
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
    auto* child = windows.AddChild(dialog, 5, "#32770", {0, 0, 50, 50});
    child->dialog = true;
    auto* frame = windows.AddDialog({0, 0, 50, 50}, {});
    frame->dialog = false;
    auto* minimised = windows.AddDialog({-32000, -32000, -31840, -31972}, {80, 14, 80, 14});
    for (auto* window : {child, frame, minimised}) {
        LayoutManager other(windows, window);
        LayoutProbe* probe = RootWithProbe(other, 150);
        other.UpdateLayout();
        EXPECT_EQ(window->moves, 0);
        if (window == minimised) {
            EXPECT_TRUE(probe->cells.empty());
        }
    }
}

TEST_F(LayoutManagerTest, SizeChangeDuringTheMoveLaysOutAgainFromInside) {
    dialog->rect = {100, 100, 200, 150};
    LayoutProbe* probe = RootWithProbe(manager, 150);
    LayoutRect lastSize = dialog->rect;
    int nested = 0;
    // Like WM_SIZE: only a real size change calls back.
    windows.onMove = [&](FakeLayoutWindows::Window* w) {
        if (w != dialog || (w->rect.Width() == lastSize.Width() && w->rect.Height() == lastSize.Height())) return;
        lastSize = w->rect;
        ++nested;
        manager.UpdateLayout();
    };
    manager.UpdateLayout();
    EXPECT_EQ(nested, 1);
    ASSERT_EQ(probe->cells.size(), 2u);
    EXPECT_EQ(probe->cells[0], probe->cells[1]);
    EXPECT_EQ(probe->Cell(), (LayoutRect{5, 5, 155, 155}));
}
