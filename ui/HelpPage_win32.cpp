#include "ui/HelpPage_win32.h"

#include <shellapi.h>

#include "about/RegisteredBrowser_win32.h"
#include "files/FileUrl.h"
#include "files/ModulePath.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"

namespace {

// The shell drops the anchor when it opens a file, so the page goes as a
// file URL to the program registered for ".htm" documents; without one the
// shell still opens it, at its top. The page is the program's own, with no
// way out to the web, so an elevated process opens it too, in the browser
// the machine registered.
bool OpenHelpPage(HWND window, const std::string& page, const std::string& topic)
{
    if (GetFileAttributesA(page.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    const bool elevated = Application::RunsElevated();
    if (StartRegisteredBrowser(FileUrl(page, topic), SW_SHOWNORMAL, elevated)) return true;
    if (elevated) return false;
    const auto opened = reinterpret_cast<INT_PTR>(ShellExecuteA(window, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return opened > 32;
}

} // namespace

bool ShowHelp(HWND window, ULONG_PTR context, const std::string& topic)
{
    Application& app = Application::Instance();
    // A help file's macros run programs; beside an executable in a folder the
    // user may write, an elevated process must not hand one to the viewer.
    if (!Application::RunsElevated() && app.WinHelp(window, HELP_CONTEXT, context)) return true;
    if (OpenHelpPage(window, ReplaceExtension(app.ModulePath(), ".htm"), topic)) return true;
    ShowMessage(window, std::string("Failed to launch help."));
    return false;
}
