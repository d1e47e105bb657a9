#include "clocklink/Ticker.h"

#include <windows.h>

namespace {

// GetTickCount lives in kernel32, which always loads from the system folder;
// winmm would be one more DLL that a copy beside the program could replace.
class KernelTicker : public Ticker {
public:
    uint32_t Now() override { return GetTickCount(); }
    int64_t CounterUs() override { return static_cast<int64_t>(GetTickCount64()) * 1000; }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

} // namespace

Ticker& SystemTicker()
{
    static KernelTicker ticker;
    return ticker;
}
