#include "clocklink/SystemError.h"

#include <windows.h>

uint32_t GetLastErrorCode()
{
    return GetLastError();
}

std::string GetSystemErrorText(uint32_t code)
{
    // Callers record a failure and then hand the same last-error value on, so
    // the lookup must leave it as it found it.
    const DWORD saved = GetLastError();
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    SetLastError(saved);
    return text;
}
