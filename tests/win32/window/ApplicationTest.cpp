#include "tests/win32/support/DialogHarness.h"
#include "TestResources.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"
#include <gtest/gtest.h>
#include <objbase.h>

namespace {

const char kProgram[] = "window_win32_tests";

class ApplicationTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
};

// A help viewer that refuses every request.
BOOL WINAPI RefusingHelp(HWND, LPCSTR, UINT, ULONG_PTR) { return FALSE; }

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

TEST_F(ApplicationTest, ItsThreadIsInASingleThreadedApartment)
{
    // Already initialised, so this only counts once more.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

TEST_F(ApplicationTest, MessageBoxIsCaptionedWithTheApplicationName)
{
    MessageBoxWatcher watcher(kProgram);
    EXPECT_EQ(IDOK, ShowMessage(nullptr, std::string("Something to say")));
    EXPECT_EQ(watcher.Stop(), std::vector<std::string>{"Something to say"});
}

TEST_F(ApplicationTest, FailedHelpIsReported)
{
    app.SetHelpViewer(&RefusingHelp);
    MessageBoxWatcher watcher(kProgram);
    EXPECT_FALSE(app.WinHelp(nullptr, HELP_QUIT, 0));
    EXPECT_EQ(watcher.Stop(), std::vector<std::string>{"Failed to launch help."});
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
