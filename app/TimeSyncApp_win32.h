#pragma once
#include <windows.h>

#include "window/Application_win32.h"

// The application: decides from its arguments whether to start synchronising
// at once, runs the main dialog modally and ends when it closes.
class CTimeSyncApp : public Application {
public:
    CTimeSyncApp(HINSTANCE instance, const char* arguments);

    // Always false: there is no message loop after the dialog.
    bool InitInstance();

private:
    bool autoStart_;
};
