#include "ui/HelpPage_win32.h"

#include <shellapi.h>

#include "about/BrowserCommand.h"
#include "about/RegistryDefault_win32.h"
#include "files/FileUrl.h"
#include "files/ModulePath.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"

namespace {

std::optional<std::string> ReadClass(bool machineOnly, const std::string& subkey)
{
    std::string value;
    if (ReadRegistryDefault(machineOnly ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT,
                            machineOnly ? "SOFTWARE\\Classes\\" + subkey : subkey, value) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The shell drops the anchor when it opens a file, so the page goes as a
// file URL to the program registered for ".htm" documents; without one the
// shell still opens it, at its top. An elevated process follows only the
// machine's classes: the user's own, merged into the shell's view, are the
// user's to write.
bool OpenHelpPage(HWND window, const std::string& page, const std::string& topic)
{
    if (GetFileAttributesA(page.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    const bool elevated = Application::RunsElevated();
    const auto read = [elevated](const std::string& subkey) { return ReadClass(elevated, subkey); };
    // The reader already keeps an elevated process to the machine's classes.
    const auto command = RegisteredBrowserCommand(false, read, FileUrl(page, topic));
    if (command && WinExec(command->c_str(), SW_SHOWNORMAL) > 31) return true;
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
