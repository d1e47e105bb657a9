#include "about/RegisteredBrowser_win32.h"

#include "about/BrowserCommand.h"
#include "about/RegistryDefault_win32.h"
#include "window/MessageBox_win32.h"

bool StartRegisteredBrowser(const std::string& target, UINT showCommand, bool elevated, int* result)
{
    const auto read = [elevated](const std::string& subkey) -> std::optional<std::string> {
        std::string value;
        if (ReadRegistryDefault(elevated ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT,
                                elevated ? "SOFTWARE\\Classes\\" + subkey : subkey, value) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    };
    const auto command = RegisteredBrowserCommand(read, target);
    if (!command) return false;
    const UINT started = WinExec(command->c_str(), showCommand);
    if (result) *result = static_cast<int>(started);
    return started > 31;
}

void ShowAddressToCopy(HWND owner, const std::string& address)
{
    ShowMessage(owner,
                "Horalux runs as an administrator, and a browser started from it would too. Open this address in "
                "your browser yourself (Ctrl+C copies this message):\n\n" + address,
                MB_OK | MB_ICONINFORMATION);
}
