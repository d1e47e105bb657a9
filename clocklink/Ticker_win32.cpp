#include "clocklink/Ticker.h"

#include <windows.h>

namespace {

// The performance counter: microseconds and better, never wrapping, the
// same on every processor. The millisecond count follows it, so that the
// two never disagree.
class KernelTicker : public Ticker {
public:
    KernelTicker() { QueryPerformanceFrequency(&frequency_); }
    uint32_t Now() override { return static_cast<uint32_t>(CounterUs() / 1000); }
    int64_t CounterUs() override {
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        const int64_t f = frequency_.QuadPart;
        return count.QuadPart / f * 1000000 + count.QuadPart % f * 1000000 / f;
    }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }

private:
    LARGE_INTEGER frequency_;
};

} // namespace

Ticker& SystemTicker()
{
    static KernelTicker ticker;
    return ticker;
}
