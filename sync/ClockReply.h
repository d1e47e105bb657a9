#pragma once

// The clock's answer to the time command: "%d:%d:%d:%d\r\n", the last three
// being the UTC hour, minute and second.
struct ClockTimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

enum class ReplyParse { Ok, Unparseable, OutOfRange };

// Reads four colon-separated integers as sscanf's "%d:%d:%d:%d" would, but
// refuses values that overflow and times of day that cannot exist.
ReplyParse ParseClockReply(const char* text, ClockTimeOfDay& out);
