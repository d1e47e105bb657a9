#pragma once
#include <cstdint>
#include <functional>
#include "clocklink/Ticker.h"

// Virtual milliseconds: Sleep advances time at once and lets a fake device
// deliver whatever is due by then.
class VirtualTicker : public Ticker {
public:
    explicit VirtualTicker(uint32_t start = 0) : now_(start) {}
    uint32_t Now() override { return now_; }
    void Sleep(uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
        if (onAdvance) onAdvance(now_);
    }
    uint64_t Slept() const { return slept_; }

    std::function<void(uint32_t now)> onAdvance;

private:
    uint32_t now_;
    uint64_t slept_ = 0;
};
