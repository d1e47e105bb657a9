#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(WantsAutoStart, RunAnywhereInAnyCaseAndNothingElse) {
    for (const char* args : {"run", "/Run", "-RUN", "autorun", "runner", "x RuN y"})
        EXPECT_TRUE(WantsAutoStart(args)) << args;
    for (const char* args : {"", "r un", "/start", "ru", "urn"})
        EXPECT_FALSE(WantsAutoStart(args)) << args;
}

TEST(ModeOf, TheServiceSwitchesAloneInAnyCase) {
    const struct { const char* args; ProgramMode mode; } cases[] = {
        {"/install-service", ProgramMode::InstallService}, {" /Remove-Service ", ProgramMode::RemoveService},
        {"/SERVICE", ProgramMode::Service}, {"", ProgramMode::Window}, {"run", ProgramMode::Window},
        {"/service run", ProgramMode::Window}, {"/services", ProgramMode::Window}, {"service", ProgramMode::Window}};
    for (const auto& c : cases) EXPECT_EQ(ModeOf(c.args), c.mode) << c.args;
}
