#include <gtest/gtest.h>

#include <string>

#include "about/BrowserCommand.h"
#include "about/OpenErrorText.h"

TEST(BrowserCommand, PlaceholderAndWhatFollowsAreDropped)
{
    EXPECT_EQ(ComposeBrowserCommand("\"C:\\Web\\browse.exe\" \"%1\" -nohome", "https://x.example/"),
              "\"C:\\Web\\browse.exe\"  https://x.example/");
    EXPECT_EQ(ComposeBrowserCommand("browse.exe -url %1 -new", "a.htm"), "\"browse.exe\" -url  a.htm");
    // The quoted form is looked for first, wherever a bare one stands.
    EXPECT_EQ(ComposeBrowserCommand("b.exe %1x \"%1\"", "t"), "\"b.exe\" %1x  t");
    // Unquoted, "C:\Program.exe" would run first.
    EXPECT_EQ(ComposeBrowserCommand("C:\\Program Files\\Browse.EXE -new %1", "t"),
              "\"C:\\Program Files\\Browse.EXE\" -new  t");
}

TEST(BrowserCommand, WithoutPlaceholderTheTargetIsAppended)
{
    EXPECT_EQ(ComposeBrowserCommand("C:\\Web\\browse.exe", "https://x.example/"),
              "\"C:\\Web\\browse.exe\" https://x.example/");
}

TEST(BrowserCommand, RejectsWhatWouldNotFitTheBuffer)
{
    const std::string program = "\"C:\\browse.exe\"";
    // The composed command may use all but the terminator's place.
    const std::string fits(BROWSER_COMMAND_BUFFER - 1 - program.size() - 1, 'u');
    auto command = ComposeBrowserCommand(program, fits);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->size(), BROWSER_COMMAND_BUFFER - 1);
    EXPECT_FALSE(ComposeBrowserCommand(program, fits + "u").has_value());
    // What the cut drops does not count.
    EXPECT_EQ(ComposeBrowserCommand("b.exe \"%1\" " + std::string(600, 'a'), "t"), "\"b.exe\"  t");
}

TEST(OpenErrorText, KnownResultsUseTheTableOthersShowTheirNumber)
{
    EXPECT_EQ(OpenErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(OpenErrorText(0), "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(OpenErrorText(32), "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.");
    EXPECT_EQ(OpenErrorText(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(OpenErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
}
