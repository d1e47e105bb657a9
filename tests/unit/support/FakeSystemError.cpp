#include "tests/unit/support/FakeSystemError.h"

namespace {

thread_local uint32_t lastError = 0;

} // namespace

uint32_t GetLastErrorCode()
{
    return lastError;
}

std::string GetSystemErrorText(uint32_t code)
{
    switch (code) {
    case 2: return "The system cannot find the file specified.\r\n";
    case 5: return "Access is denied.\r\n";
    case 6: return "The handle is invalid.\r\n";
    case 31: return "A device attached to the system is not functioning.\r\n";
    case 1314: return "A required privilege is not held by the client.\r\n";
    default: return std::string();
    }
}

void fake_system_error::SetLastErrorCode(uint32_t code)
{
    lastError = code;
}
