#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "LayoutProbe.h"

TEST(LayoutNodeRefThreads, CopiesMadeAndDroppedOnSeveralThreadsReleaseTheNodeOnce) {
    int destroyed = 0;
    {
        LayoutNodeRef original = MakeProbe(0, 0, 5, -1, &destroyed).ref;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([original] {
                for (int i = 0; i < 10000; ++i) {
                    LayoutNodeRef copy = original;
                    LayoutNodeRef another(copy);
                }
            });
        }
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(original.Count(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}
