#pragma once
#include <windows.h>
#include <string>

// Help for window: the old viewer at context when a .HLP file sits beside the
// executable (not when elevated), else the HTML page beside it (same name,
// ".htm") opened at topic; "Failed to launch help." when neither opens.
bool ShowHelp(HWND window, ULONG_PTR context, const std::string& topic);
