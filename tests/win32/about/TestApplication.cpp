// The window layer needs its application object before any test runs.
#include <windows.h>

#include "window/Application_win32.h"

static Application application(GetModuleHandleA(nullptr));
