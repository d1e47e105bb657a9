#include "BoxWatcher.h"
#include "TestResources.h"
#include "window/Application.h"
#include "window/MessageBox.h"
#include <gtest/gtest.h>

namespace {

const char kProgram[] = "window_win32_tests";

class ApplicationTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
};

struct HelpCall {
    int calls = 0;
    HWND window = nullptr;
    std::string file;
    UINT command = 0;
    ULONG_PTR data = 0;
    BOOL answer = TRUE;
};
HelpCall help;

BOOL WINAPI FakeHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data)
{
    ++help.calls;
    help.window = window;
    help.file = file;
    help.command = command;
    help.data = data;
    return help.answer;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TEST_F(ApplicationTest, NameIsTheExecutableWithoutPathAndExtension)
{
    EXPECT_EQ(kProgram, app.Name());
    EXPECT_TRUE(EndsWith(app.ModulePath(), std::string("\\") + kProgram + ".exe")) << app.ModulePath();
    EXPECT_EQ(app.ModulePath().substr(0, app.ModulePath().size() - 4) + ".HLP", app.HelpFilePath());
    EXPECT_EQ(std::string(kProgram) + ".INI", app.Profile().FileName());
}

TEST_F(ApplicationTest, MessageBoxIsCaptionedWithTheApplicationName)
{
    BoxWatcher watcher;
    EXPECT_EQ(IDOK, ShowMessage(nullptr, std::string("Something to say")));
    EXPECT_EQ(1, watcher.boxesSeen);
    EXPECT_EQ(kProgram, watcher.caption);
    EXPECT_EQ("Something to say", watcher.text);
}

TEST_F(ApplicationTest, FailedHelpIsReported)
{
    help = HelpCall();
    help.answer = FALSE;
    app.SetHelpViewer(&FakeHelp);
    BoxWatcher watcher;
    EXPECT_FALSE(app.WinHelp(nullptr, HELP_QUIT, 0));
    EXPECT_EQ(1, watcher.boxesSeen);
    EXPECT_EQ("Failed to launch help.", watcher.text);
    EXPECT_EQ(kProgram, watcher.caption);
}

TEST_F(ApplicationTest, WaitCursorNestsAndRestores)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(arrow);
    app.BeginWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.BeginWaitCursor();
    app.EndWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.EndWaitCursor();
    EXPECT_EQ(arrow, GetCursor());
    app.EndWaitCursor(); // unbalanced: ignored
    EXPECT_EQ(arrow, GetCursor());
}
