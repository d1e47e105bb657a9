#include <gtest/gtest.h>
#include "FakeLayoutWindows.h"
#include "LayoutProbe.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutManager.h"
#include "layout/LayoutNodeRef.h"

TEST(LayoutNodeRef, CopiesShareOneCountAndTheLastReleaseDestroysTheNodeOnce) {
    int destroyed = 0;
    {
        LayoutNodeRef first = MakeProbe(0, 0, 5, -1, &destroyed).ref;
        EXPECT_EQ(first.Count(), 1);
        {
            LayoutNodeRef second = first;
            LayoutNodeRef third(second);
            EXPECT_EQ(first.Count(), 3);
            EXPECT_EQ(third.Get(), first.Get());
        }
        EXPECT_EQ(first.Count(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(LayoutNodeRef, AssignmentAndResetReleaseThePreviousNode) {
    int destroyedA = 0;
    int destroyedB = 0;
    LayoutNodeRef a = MakeProbe(0, 0, 5, -1, &destroyedA).ref;
    LayoutNodeRef b = MakeProbe(0, 0, 5, -1, &destroyedB).ref;
    LayoutNodeRef holder = a;
    holder = b;
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(b.Count(), 2);
    a = b;
    EXPECT_EQ(destroyedA, 1);
    EXPECT_EQ(b.Count(), 3);
    holder.Reset();
    a.Reset();
    EXPECT_EQ(holder.Get(), nullptr);
    EXPECT_EQ(destroyedB, 0);
    b.Reset();
    EXPECT_EQ(destroyedB, 1);
}

TEST(LayoutNodeRef, SelfAssignmentKeepsTheNode) {
    int destroyed = 0;
    LayoutNodeRef a = MakeProbe(0, 0, 5, -1, &destroyed).ref;
    LayoutNodeRef& alias = a;
    a = alias;
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(a.Count(), 1);
    a = std::move(alias);
    EXPECT_EQ(destroyed, 0);
    ASSERT_TRUE(a);
}

TEST(LayoutNodeRef, MoveTransfersWithoutCounting) {
    int destroyed = 0;
    LayoutNodeRef a = MakeProbe(0, 0, 5, -1, &destroyed).ref;
    LayoutNode* node = a.Get();
    LayoutNodeRef b = std::move(a);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.Get(), node);
    EXPECT_EQ(b.Count(), 1);
    LayoutNodeRef c;
    c = std::move(b);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(destroyed, 0);
}

TEST(LayoutNodeRef, NullReferenceYieldsNoNode) {
    LayoutNodeRef empty;
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_EQ(empty.As<LayoutGroup>(), nullptr);
    EXPECT_EQ(empty.Count(), 0);
    LayoutNodeRef copy = empty;
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(LayoutNodeRef(std::unique_ptr<LayoutNode>()).Get(), nullptr);
}

TEST(LayoutNodeRef, AsChecksTheNodesType) {
    LayoutNodeRef probe = MakeProbe(0, 0, 5).ref;
    EXPECT_EQ(probe.As<LayoutGroup>(), nullptr);
    EXPECT_EQ(probe.As<LayoutProbe>(), probe.Get());
}

TEST(LayoutNodeRef, ReleasingTheRootDestroysEveryNodeOfTheTreeExactlyOnce) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 300, 200}, {});
    int destroyed = 0;
    {
        LayoutManager manager(windows, dialog);
        // A node shared by two groups and a same-orientation child that
        // gets wrapped.
        LayoutNodeRef shared = MakeProbe(0, 0, 5, -1, &destroyed).ref;
        LayoutNodeRef row = manager.NewGroup(HORIZONTAL, 0, 0, 0, 0);
        row.As<LayoutGroup>()->AddItem(shared).AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
        LayoutNodeRef column = manager.NewGroup(VERTICAL, 0, 0, 0, 0);
        column.As<LayoutGroup>()->AddGroup(row).AddItem(shared);
        LayoutNodeRef root = manager.CreateRoot(HORIZONTAL, 0, 0);
        root.As<LayoutGroup>()->AddGroup(column).AddGroup(manager.NewGroup(HORIZONTAL, 0, 0, 0, 0));
        root.As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
        manager.UpdateLayout();
        EXPECT_EQ(shared.Count(), 3);
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(LayoutNodeRef, ManagerReleasesItsRootOnDemand) {
    FakeLayoutWindows windows;
    auto* dialog = windows.AddDialog({0, 0, 300, 200}, {});
    LayoutManager manager(windows, dialog);
    int destroyed = 0;
    manager.CreateRoot(VERTICAL, 0, 0).As<LayoutGroup>()->AddItem(MakeProbe(0, 0, 5, -1, &destroyed).ref);
    manager.ReleaseRoot();
    EXPECT_FALSE(manager.Root());
    EXPECT_EQ(destroyed, 1);
    manager.UpdateLayout();
}
