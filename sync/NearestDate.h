#pragma once
#include <cstdint>

#include "clocklink/ClockReply.h"
#include "sync/SystemClock.h"

// The clock tells only the time of day. Put it on the day before, the same
// day or the day after the PC's UTC date, whichever lands nearest the PC's
// clock, so that a set across midnight never moves the clock by a day.
UtcTime PlaceTimeOfDay(const UtcTime& now, const ClockTimeOfDay& time);

// Milliseconds since 1970-01-01 of a UTC time, and back (day of the week
// filled in).
int64_t UtcMilliseconds(const UtcTime& time);
UtcTime UtcFromMilliseconds(int64_t ms);
