#pragma once
#include <cstdint>
#include <string>

// The calling thread's last Win32 error code, and the system's text for a code
// (empty when the system has none). Native test builds link a fake.
uint32_t GetLastErrorCode();
std::string GetSystemErrorText(uint32_t code);
