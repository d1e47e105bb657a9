#pragma once
#include <cstdint>
#include <string>

// One line of the service's log file, as the service writes it and the window
// reads it back:
//   2026-12-07 04:50:01 [151] Time Set 04:50:01 UTC  offset -312 ms
// The date and time are local, like the window's own stamps; the identifier
// lets a reader tell a success from a failure without matching texts.
struct ServiceLogEntry {
    std::string date;   // YYYY-MM-DD
    std::string time;   // HH:MM:SS
    int id = 0;
    std::string text;   // the status line as the window shows it
};

// The line with its CR LF; line breaks inside the text are dropped so that a
// line is always one entry.
std::string FormatServiceLogLine(const ServiceLogEntry& entry);

// False for anything that is not a whole line of the form above (a line
// being written, a foreign file): a reader skips it.
bool ParseServiceLogLine(const std::string& line, ServiceLogEntry& entry);

// " offset +123 ms": how far the PC clock was from GPS time before a set,
// positive when the PC was ahead; " offset +123 ms (within 20 ms)" when the
// truth lies within that far of it either way (none when negative), and
// ", estimate restarted" in the brackets when a reply contradicted it.
std::string OffsetSuffix(int64_t offsetMs, int64_t withinMs = -1, bool restarted = false);

// The offset and margin back from the end of a line that OffsetSuffix ended
// (withinMs -1 when none is stated); false for anything else.
bool ParseOffsetSuffix(const std::string& text, int64_t& offsetMs, int64_t& withinMs);
