#pragma once
#include <windows.h>
#include <string>

// Message boxes captioned with the application's name.
int ShowMessage(HWND owner, const std::string& text,
                unsigned type = MB_OK | MB_ICONEXCLAMATION);
// The text is the string-table entry `stringId`.
int ShowMessage(HWND owner, unsigned stringId,
                unsigned type = MB_OK | MB_ICONEXCLAMATION);
