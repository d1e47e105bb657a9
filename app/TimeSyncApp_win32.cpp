#include "app/TimeSyncApp_win32.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "ui/TimeSyncDlg_win32.h"

CTimeSyncApp::CTimeSyncApp(HINSTANCE instance, const char* arguments)
    : Application(instance), autoStart_(WantsAutoStart(arguments ? arguments : "")) {}

bool CTimeSyncApp::InitInstance() {
    // The platform's current control look (status bar, tooltips).
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    CTimeSyncDlg dialog(nullptr, autoStart_);
    dialog.DoModal();   // 3: the dialog could not start and has said so
    return false;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    CTimeSyncApp app(instance, arguments);
    app.InitInstance();
    return 0;
}
