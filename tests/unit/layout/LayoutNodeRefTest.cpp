#include <gtest/gtest.h>
#include "LayoutProbe.h"

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
    EXPECT_EQ((std::vector<int>{destroyedA, destroyedB}), (std::vector<int>{1, 1}));
}
