#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(WantsAutoStart, RunAnywhereInAnyCaseAndNothingElse) {
    for (const char* args : {"run", "/Run", "-RUN", "autorun", "runner", "x RuN y"})
        EXPECT_TRUE(WantsAutoStart(args)) << args;
    for (const char* args : {"", "r un", "/start", "ru", "urn"})
        EXPECT_FALSE(WantsAutoStart(args)) << args;
}
