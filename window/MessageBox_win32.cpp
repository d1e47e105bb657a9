#include "window/MessageBox_win32.h"
#include "window/Application_win32.h"

int ShowMessage(HWND owner, const std::string& text, unsigned type)
{
    return MessageBoxA(owner, text.c_str(), Application::Instance().Name().c_str(), type);
}

int ShowMessage(HWND owner, unsigned stringId, unsigned type)
{
    return ShowMessage(owner, Application::Instance().LoadString(stringId), type);
}
