#pragma once
#include <string>

// The clock's answer to the time command: "%d:%d:%d:%d\r\n", the last three
// being the UTC hour, minute and second. Bytes before its first digit (a line
// end left from the echo, a NUL after the break) are not part of it.
struct ClockTimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

enum class ReplyParse { Ok, Unparseable, OutOfRange };

// True once a line feed has come after the reply's first digit: what follows
// cannot change whether the reply is good.
bool ClockReplyEnded(const std::string& received);

// Reads four colon-separated integers as sscanf's "%d:%d:%d:%d" would, but
// wants the CR LF right after the fourth, and refuses values that overflow
// and times of day that cannot exist. The reply ends at its first line feed,
// where the end check above stops reading. `timeAt`, when given, gets the
// position of the hour field: no clock can send it before it reads its time.
ReplyParse ParseClockReply(const std::string& received, ClockTimeOfDay& out, size_t* timeAt = nullptr);
