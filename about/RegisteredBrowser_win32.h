#pragma once
#include <windows.h>
#include <string>

// Starts the program registered for ".htm" documents on target (a web address
// or a file URL). An elevated process follows only the machine's classes: the
// user's own, merged into the classes root, are the user's to write. True
// when it started: WinExec's result, put in `result`, is above 31; `result`
// stays as it was when no browser is registered or its command would not fit.
bool StartRegisteredBrowser(const std::string& target, UINT showCommand, bool elevated, int* result = nullptr);

// Instead of starting a browser from an elevated process, where it would run
// elevated too: the address in a message box, which Ctrl+C copies.
void ShowAddressToCopy(HWND owner, const std::string& address);
