#include "clocklink/Ticker.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

class WinmmTicker : public Ticker {
public:
    uint32_t Now() override { return timeGetTime(); }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

} // namespace

Ticker& SystemTicker()
{
    static WinmmTicker ticker;
    return ticker;
}
