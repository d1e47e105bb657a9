#pragma once
#include <cstdint>
#include "clocklink/SystemError.h"

// Native stand-in for GetLastError and FormatMessageA: a last-error value per
// thread and texts, ending in CR LF like the system's, for codes 5 and 6.
namespace fake_system_error {
void SetLastErrorCode(uint32_t code);
}
