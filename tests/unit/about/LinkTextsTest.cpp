#include <gtest/gtest.h>

#include <map>
#include <string>

#include "about/BrowserCommand.h"
#include "about/OpenErrorText.h"
#include "res/TextPlaceholder.h"

TEST(BrowserCommand, CutsAtThePlaceholderQuotesTheProgramAppendsTheTarget)
{
    const struct { std::string registered, target; std::optional<std::string> command; } rows[] = {
        {"\"C:\\Web\\browse.exe\" \"%1\" -nohome", "https://x/", "\"C:\\Web\\browse.exe\"  https://x/"},
        {"b.exe %1x \"%1\"", "t", "\"b.exe\" %1x  t"},  // the quoted form wins wherever it stands
        {"C:\\Program Files\\Browse.EXE -new %1", "t", "\"C:\\Program Files\\Browse.EXE\" -new  t"},
        {"C:\\Program Files\\browse -new", "t", "\"C:\\Program\" Files\\browse -new t"},
        {"C:\\a.exe.b\\c.exe", "t", "\"C:\\a.exe.b\\c.exe\" t"},
        {"\"C:\\b.exe\"", std::string(BROWSER_COMMAND_BUFFER - 12, 'u'),
         "\"C:\\b.exe\" " + std::string(BROWSER_COMMAND_BUFFER - 12, 'u')},  // the terminator's place left
        {"\"C:\\b.exe\"", std::string(BROWSER_COMMAND_BUFFER - 11, 'u'), std::nullopt},
        {"b.exe \"%1\" " + std::string(600, 'a'), "t", "\"b.exe\"  t"},  // what the cut drops does not count
    };
    for (const auto& row : rows)
        EXPECT_EQ(ComposeBrowserCommand(row.registered, row.target), row.command) << row.registered;
}

TEST(BrowserCommand, FallbackReadsTheHtmClassThenItsCommand)
{
    std::map<std::string, std::string> keys = {{".htm", "W"}, {"W\\shell\\open\\command", "w.exe \"%1\""}};
    std::string asked;
    const ReadClassesRootDefault read = [&](const std::string& key) -> std::optional<std::string> {
        asked += key + ";";
        return keys.count(key) ? std::optional<std::string>(keys[key]) : std::nullopt;
    };
    EXPECT_EQ(RegisteredBrowserCommand(read, "t"), "\"w.exe\"  t");
    EXPECT_EQ(asked, ".htm;W\\shell\\open\\command;");
    keys.erase("W\\shell\\open\\command");
    EXPECT_EQ(RegisteredBrowserCommand(read, "t"), std::nullopt);
    keys.erase(".htm");
    EXPECT_EQ(RegisteredBrowserCommand(read, "t"), std::nullopt);
}

TEST(OpenErrorText, EachResultHasItsText)
{
    const std::pair<int, const char*> rows[] = {{0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."}, {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {26, "A sharing violation occurred. "}, {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},   {4, "Unknown Error (4) occurred."},
        {33, "Unknown Error (33) occurred."}, {-7, "Unknown Error (-7) occurred."}};
    for (const auto& [result, text] : rows)
        EXPECT_EQ(OpenErrorText(result), std::string("Unable to open hyperlink:\n\n") + text) << result;
    EXPECT_EQ(ReplaceNumberPlaceholder("no number", 5), "no number");
}
