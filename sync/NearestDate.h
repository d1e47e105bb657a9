#pragma once
#include <cstdint>

#include "clocklink/ClockReply.h"
#include "sync/SystemClock.h"

// The clock tells only the time of day. Put it on the day before, the same
// day or the day after the PC's UTC date, whichever lands nearest the PC's
// clock, so that a set across midnight never moves the clock by a day.
UtcTime PlaceTimeOfDay(const UtcTime& now, const ClockTimeOfDay& time);

// later - earlier in milliseconds, across any dates.
int64_t MillisecondsBetween(const UtcTime& later, const UtcTime& earlier);
