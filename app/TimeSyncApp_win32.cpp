#include "app/TimeSyncApp_win32.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "service/HoraluxService_win32.h"
#include "service/ServiceInstall_win32.h"
#include "service/WindowsTimeSetup_win32.h"
#include "ui/TimeSyncDlg_win32.h"
#include "window/MessageBox_win32.h"

namespace {

// From here on DLLs come from the system folder only: Horalux may run
// elevated, and the folder it sits in or runs from may be anyone's to write.
// Looked up, since Windows 7 has the call only with an update.
void RestrictDllSearch() {
    using SetDirectoriesProc = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = reinterpret_cast<SetDirectoriesProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDirectories || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");   // at least the current folder is out
}

// The switches that set something up: the outcome in a message box (unless
// quiet) and in the exit code, for a script.
int SetUp(ProgramMode mode, bool quiet) {
    Application& app = Application::Instance();
    std::string message;
    ServiceSetupResult result;
    switch (mode) {
    case ProgramMode::InstallService: result = InstallService(app.ModulePath(), message); break;
    case ProgramMode::RemoveService: result = RemoveService(message); break;
    case ProgramMode::WindowsTimeOn:
    case ProgramMode::WindowsTimeOff:
        result = SetWindowsTimeFeed(mode == ProgramMode::WindowsTimeOn, app.ModulePath(), app.Profile(), message);
        break;
    default: result = SetLanServer(mode == ProgramMode::LanServerOn, app.Profile(), message); break;
    }
    const bool fine = result == ServiceSetupResult::Done || result == ServiceSetupResult::NothingToDo;
    if (!quiet) ShowMessage(nullptr, message, MB_OK | (fine ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    return static_cast<int>(result);
}

} // namespace

CTimeSyncApp::CTimeSyncApp(HINSTANCE instance, const char* arguments)
    : Application(instance), autoStart_(WantsAutoStart(arguments ? arguments : "")) {}

bool CTimeSyncApp::InitInstance() {
    // The platform's current control look (status bar, tooltips).
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    CTimeSyncDlg dialog(nullptr, autoStart_);
    dialog.DoModal();   // NOT_STARTED too: the dialog has said why
    return false;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    RestrictDllSearch();
    CTimeSyncApp app(instance, arguments);
    const std::string text = arguments ? arguments : "";
    const ProgramMode mode = ModeOf(text);
    if (mode == ProgramMode::Service) return RunAsService() ? 0 : static_cast<int>(GetLastError());
    if (mode != ProgramMode::Window) return SetUp(mode, WantsQuiet(text));
    app.InitInstance();
    return 0;
}
