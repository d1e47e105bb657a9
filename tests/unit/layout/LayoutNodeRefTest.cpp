#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutManager.h"

TEST(LayoutNodeRef, CopiesShareOneCountAndTheLastReleaseDestroysTheNodeOnce) {
    int destroyedA = 0;
    int destroyedB = 0;
    LayoutNodeRef a = MakeProbe(0, 0, 5, -1, &destroyedA).ref;
    LayoutNodeRef b = MakeProbe(0, 0, 5, -1, &destroyedB).ref;
    {
        LayoutNodeRef copy(a);
        LayoutNodeRef another = copy;
        EXPECT_EQ(a.Count(), 3);
        another = b;
        EXPECT_EQ(a.Count(), 2);
        EXPECT_EQ(b.Count(), 2);
    }
    EXPECT_EQ(a.Count(), 1);
    LayoutNodeRef& alias = a;
    a = alias;
    a = std::move(alias);
    EXPECT_EQ(destroyedA, 0) << "assigning a reference to itself keeps the node";

    LayoutNodeRef moved = std::move(a);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(moved.Count(), 1);
    moved = b;
    EXPECT_EQ(destroyedA, 1);
    b.Reset();
    EXPECT_EQ(destroyedB, 0);
    moved.Reset();
    EXPECT_EQ(destroyedB, 1);
    EXPECT_EQ(destroyedA, 1);
}

TEST(LayoutNodeRef, ReleasingTheRootDestroysEveryNodeOfTheTreeExactlyOnce) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 300, 200}, {});
    int destroyed = 0;
    {
        LayoutManager manager(windows, dialog);
        // A node shared by two groups, and a same-orientation child that
        // gets wrapped.
        LayoutNodeRef shared = MakeProbe(0, 0, 5, -1, &destroyed).ref;
        LayoutNodeRef row = manager.NewGroup(HORIZONTAL, 0, 0, 0, 0);
        row.As<LayoutGroup>()->AddItem(shared).AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
        LayoutNodeRef column = manager.NewGroup(VERTICAL, 0, 0, 0, 0);
        column.As<LayoutGroup>()->AddGroup(row).AddItem(shared);
        manager.CreateRoot(HORIZONTAL, 0, 0).As<LayoutGroup>()->AddGroup(column).AddGroup(
            manager.NewGroup(HORIZONTAL, 0, 0, 0, 0));
        manager.UpdateLayout(manager.Root());
        EXPECT_EQ(shared.Count(), 3);
        EXPECT_EQ(destroyed, 0);

        manager.CreateRoot(VERTICAL, 0, 0).As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
        EXPECT_EQ(destroyed, 0) << "the caller still holds the shared node and the rows";
    }
    EXPECT_EQ(destroyed, 3);
}
