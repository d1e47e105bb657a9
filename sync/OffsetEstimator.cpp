#include "sync/OffsetEstimator.h"

#include <algorithm>
#include <cstdint>

namespace {

struct Bounds {
    int64_t lo, hi;
};

bool Cut(int64_t& lo, int64_t& hi, const Bounds& with, int64_t widen) {
    const int64_t newLo = std::max(lo - widen, with.lo), newHi = std::min(hi + widen, with.hi);
    if (newLo > newHi) return false;
    lo = newLo;
    hi = newHi;
    return true;
}

}  // namespace

bool OffsetEstimator::Add(const ClockReading& r) {
    // The reply's last byte came in PC time (arrivedLo, arrivedHi] and at
    // least a transmission after the moment the clock composed it.
    const int64_t arrivedLo = r.notYetSeen - kTimerStepMs, arrivedHi = r.seen + kTimerStepMs;
    const int64_t hi = arrivedHi - r.namedSecond - kTransmitMs;
    const Bounds any{arrivedLo - r.namedSecond - 1000 - kTransmitMs - kLateMs, hi};
    const Bounds atStart{arrivedLo - r.namedSecond - kTransmitMs - kLateMs, hi};

    // The larger of the two clocks' elapsed times: the tick counter wraps
    // after 49 days, the PC clock may be changed by others.
    const int64_t elapsed = std::max<int64_t>(static_cast<uint32_t>(r.tick - lastTick_), r.seen - lastSeen_);
    const int64_t widen = (elapsed * kDriftPpm + 999999) / 1000000;
    const bool wasKnown = known_;
    if (Checking()) ++checks_;
    bool carried = known_ && Cut(any_.lo, any_.hi, any, widen);
    if (carried) {
        // A reply that contradicts the second's start: for a clock that
        // waits for it, a jump, which the wide interval may have missed.
        const bool fits = Cut(atStart_.lo, atStart_.hi, atStart, widen);
        if (!fits && WaitsForSecond()) carried = false;
        else if (!fits) atStart_ = {atStart.lo, atStart.hi};
        ++(fits ? startFits_ : startBreaks_);
    }
    if (carried) {
        ++readings_;
    } else {
        known_ = true;
        readings_ = 1;
        checks_ = 0;
        any_ = {any.lo, any.hi};
        atStart_ = {atStart.lo, atStart.hi};
    }
    const int64_t delay = r.seen - r.sent;
    quickest_ = std::min(quickest_, delay);
    ++(delay > quickest_ + kWaitedMs ? lateReplies_ : quickReplies_);
    lastTick_ = r.tick;
    lastSeen_ = r.seen;
    leadMs_ = std::min<int64_t>(std::max<int64_t>((r.notYetSeen + r.seen) / 2 - kTransmitMs - r.sent, 0), 999);
    return carried || !wasKnown;
}

void OffsetEstimator::Shift(int64_t stepMs) {
    any_.lo += stepMs;
    any_.hi += stepMs;
    atStart_.lo += stepMs;
    atStart_.hi += stepMs;
    lastSeen_ += stepMs;
}

int64_t OffsetEstimator::OffsetMs() const {
    const Interval& best = Best();
    return best.lo + (best.hi - best.lo) / 2;
}

int64_t OffsetEstimator::WidthMs() const {
    return Best().hi - Best().lo;
}

// Probes on the interval that holds for any clock: one that answers at once
// narrows it only this way, and replies at varied phases tell it from a
// clock that waits for the next second, which needs no probes.
uint32_t OffsetEstimator::ProbeDelayMs(int64_t pcNow) const {
    if (!known_ || WaitsForSecond()) return 0;
    int64_t point = any_.lo + (any_.hi - any_.lo) / 2;
    if (Checking()) point = checks_ == 0 ? any_.lo - kCheckMarginMs : any_.hi + kCheckMarginMs;
    return static_cast<uint32_t>(((point - pcNow - leadMs_) % 1000 + 1000) % 1000);
}
