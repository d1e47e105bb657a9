#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "sync/SyncStatus.h"

// Looks up a string-table entry; false when there is none.
using StringLookup = std::function<bool(int id, std::string& text)>;

// The log text for a posted status: 151 is formatted as a time of day from
// the time the worker set; an identifier without a string gets the 153 text;
// any other status carries the system's text for a non-zero error code.
std::string StatusLineText(const SyncStatus& status, const StringLookup& lookup);
