#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(WantsAutoStart, RunAnywhereInAnyCaseAndNothingElse) {
    for (const char* args : {"run", "/Run", "-RUN", "autorun", "runner", "x RuN y"})
        EXPECT_TRUE(WantsAutoStart(args)) << args;
    for (const char* args : {"", "r un", "/start", "ru", "urn"})
        EXPECT_FALSE(WantsAutoStart(args)) << args;
}

TEST(ModeOf, TheSwitchesAloneInAnyCaseQuietOnlyAfterASetUp) {
    const struct { const char* args; ProgramMode mode; bool quiet; } cases[] = {
        {"/install-service", ProgramMode::InstallService, false}, {" /Remove-Service ", ProgramMode::RemoveService, false},
        {"/SERVICE", ProgramMode::Service, false}, {"", ProgramMode::Window, false}, {"run", ProgramMode::Window, false},
        {"/service run", ProgramMode::Window, false}, {"/services", ProgramMode::Window, false},
        {"service", ProgramMode::Window, false}, {"/windows-time on", ProgramMode::WindowsTimeOn, false},
        {"/Windows-Time \tOFF  /QUIET", ProgramMode::WindowsTimeOff, true}, {"/lan-server on /quiet", ProgramMode::LanServerOn, true},
        {"/lan-server off", ProgramMode::LanServerOff, false}, {"/windows-time", ProgramMode::Window, false},
        {"/lan-server maybe", ProgramMode::Window, false}, {"/service /quiet", ProgramMode::Window, false},
        {"/quiet", ProgramMode::Window, false}, {"/quiet /lan-server on", ProgramMode::Window, false},
        {"/lan-server on/quiet", ProgramMode::Window, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ModeOf(c.args), c.mode) << c.args;
        EXPECT_EQ(WantsQuiet(c.args), c.quiet) << c.args;
    }
}
