#include <gtest/gtest.h>

#include <string>

#include "about/BrowserCommand.h"
#include "about/NumberPlaceholder.h"
#include "about/OpenErrorText.h"

TEST(BrowserCommand, QuotedPlaceholderAndWhatFollowsAreDropped)
{
    EXPECT_EQ(ComposeBrowserCommand("\"C:\\Web\\browse.exe\" \"%1\" -nohome", "https://x.example/"),
              "\"C:\\Web\\browse.exe\"  https://x.example/");
}

TEST(BrowserCommand, BarePlaceholderIsCutToo)
{
    EXPECT_EQ(ComposeBrowserCommand("browse.exe -url %1 -new", "a.htm"), "browse.exe -url  a.htm");
}

TEST(BrowserCommand, QuotedPlaceholderWinsOverAnEarlierBareOne)
{
    EXPECT_EQ(ComposeBrowserCommand("b.exe %1x \"%1\"", "t"), "b.exe %1x  t");
}

TEST(BrowserCommand, WithoutPlaceholderTheTargetIsAppended)
{
    EXPECT_EQ(ComposeBrowserCommand("C:\\Web\\browse.exe", "https://x.example/"),
              "C:\\Web\\browse.exe https://x.example/");
    EXPECT_EQ(ComposeBrowserCommand("", "t"), " t");
}

TEST(BrowserCommand, RejectsWhatWouldNotFitTheBuffer)
{
    const std::string program = "C:\\browse.exe";
    // The composed command may use all but the terminator's place.
    const std::string fits(BROWSER_COMMAND_BUFFER - 1 - program.size() - 1, 'u');
    auto command = ComposeBrowserCommand(program, fits);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->size(), BROWSER_COMMAND_BUFFER - 1);

    EXPECT_FALSE(ComposeBrowserCommand(program, fits + "u").has_value());
    EXPECT_FALSE(ComposeBrowserCommand(std::string(600, 'p'), "t").has_value());
}

TEST(BrowserCommand, CuttingCanMakeALongCommandFit)
{
    const std::string registered = "b.exe \"%1\" " + std::string(600, 'a');
    EXPECT_EQ(ComposeBrowserCommand(registered, "t"), "b.exe  t");
}

TEST(OpenErrorText, KnownResultsUseTheTable)
{
    EXPECT_EQ(OpenErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(OpenErrorText(0), "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(OpenErrorText(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(OpenErrorText(32), "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.");
    EXPECT_EQ(OpenErrorText(31),
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
}

TEST(OpenErrorText, OtherResultsShowTheirNumber)
{
    EXPECT_EQ(OpenErrorText(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(OpenErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
    EXPECT_EQ(OpenErrorText(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
}

TEST(NumberPlaceholder, ReplacesOnlyTheFirst)
{
    EXPECT_EQ(ReplaceNumberPlaceholder("returned %d.", 5), "returned 5.");
    EXPECT_EQ(ReplaceNumberPlaceholder("%d and %d", -2), "-2 and %d");
    EXPECT_EQ(ReplaceNumberPlaceholder("none", 1), "none");
}
