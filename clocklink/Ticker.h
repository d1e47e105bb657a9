#pragma once
#include <cstdint>

// Millisecond tick counter and sleep. Deadlines in the clock protocol and the
// worker go through this, so tests can run them on virtual time.
class Ticker {
public:
    virtual ~Ticker() = default;
    virtual uint32_t Now() = 0;              // wraps after 2^32 ms
    // The same count in microseconds, never wrapping: Now() is this divided
    // by 1000 and cut to 32 bits.
    virtual int64_t CounterUs() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// Compared as a signed distance, so a deadline beyond the 49.7-day wrap of
// the counter still lies in the future.
inline bool DeadlineReached(uint32_t now, uint32_t deadline)
{
    return static_cast<int32_t>(now - deadline) >= 0;
}

#ifdef _WIN32
Ticker& SystemTicker();                      // the performance counter and Sleep
#endif
