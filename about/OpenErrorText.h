#pragma once
#include <string>

// The message shown when a hyperlink could not be opened, for the result of
// ShellExecute or WinExec (32 or less).
std::string OpenErrorText(int openResult);
