#pragma once
#include <cstdint>

// The estimate, handed on when someone else sets the clock (Windows Time,
// through the provider DLL) instead of the worker setting it itself.
struct OffsetSample {
    int64_t pcTime = 0;       // the PC's UTC time it holds at: 100 ns units since 1601, as a FILETIME
    int64_t offset = 0;       // GPS minus PC, 100 ns units
    int64_t dispersion = 0;   // half-width of the interval that holds the truth, 100 ns units
    bool synchronised = true;
};

class OffsetFeed {
public:
    virtual ~OffsetFeed() = default;
    // False, with the Win32 code, when nobody took it.
    virtual bool Send(const OffsetSample& sample, uint32_t& error) = 0;
};
