#include "app/TimeSyncApp_win32.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "ui/TimeSyncDlg_win32.h"

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
    app.InitInstance();
    return 0;
}
