#pragma once
#include <cstdint>

// A UTC date and time in the shape of the platform's SYSTEMTIME.
struct UtcTime {
    int year = 0, month = 0, dayOfWeek = 0, day = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// The PC's UTC clock.
class SystemClock {
public:
    virtual ~SystemClock() = default;
    virtual UtcTime Now() = 0;
    // Microseconds since 1970, as finely as the clock tells them.
    virtual int64_t NowUs();
    virtual bool Set(const UtcTime& time, uint32_t& error) = 0;  // error: the Win32 code on failure
};
