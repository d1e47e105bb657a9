#pragma once
#include <cstdint>
#include <string>
#include "clocklink/SystemError.h"

// Native stand-in for GetLastError and FormatMessageA: a last-error value per
// thread and a small table of texts, ending in CR LF like the system's.
namespace fake_system_error {

void SetLastErrorCode(uint32_t code);

} // namespace fake_system_error
