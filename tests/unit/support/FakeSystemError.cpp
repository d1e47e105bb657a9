#include "tests/unit/support/FakeSystemError.h"

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t GetLastErrorCode() { return lastError; }
void fake_system_error::SetLastErrorCode(uint32_t code) { lastError = code; }

std::string GetSystemErrorText(uint32_t code) {
    if (code == 5) return "Access is denied.\r\n";
    return code == 6 ? "The handle is invalid.\r\n" : "";
}
