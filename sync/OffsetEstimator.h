#pragma once
#include <cstdint>

// One good reply of the clock, in the PC's milliseconds since 1970: when the
// time command started going out, the last moment the reply's end had not
// been seen yet (at the latest its last byte going out), the moment it was
// seen, and the second the reply named (placed on the date nearest the PC's).
// `tick` is the tick counter at `seen`.
struct ClockReading {
    int64_t sent = 0, notYetSeen = 0, seen = 0, namedSecond = 0;
    uint32_t tick = 0;
};

// The PC clock's offset from GPS time (PC minus GPS, in ms) as the interval
// that every reply so far allows. A whole-second reply bounds the offset to
// about a second; replies at other phases of the second cut that down. Two
// readings of a reply are kept: "composed somewhere in the second it names"
// (always true) and "composed at that second's start", far narrower, which
// is believed once replies have come late enough to show a clock that waits
// for the next second.
class OffsetEstimator {
public:
    static constexpr int64_t kTransmitMs = 14;    // 14 bytes of 10 bits at 9600 baud: 14.6 ms
    static constexpr int64_t kLateMs = 21;        // the rest of that, and an adapter holding bytes back
    static constexpr int64_t kTimerStepMs = 16;   // tick counter and system time move in 15.6 ms steps
    static constexpr int64_t kDriftPpm = 200;
    static constexpr int64_t kWantedWidthMs = 200;   // narrower: no more readings needed
    static constexpr int64_t kCheckWidthMs = 400;    // narrower: check both ends first
    static constexpr int64_t kCheckMarginMs = 100;   // checks go this far outside the interval
    static constexpr int64_t kWaitedMs = 200;   // a reply this much later than the quickest waited

    // False when the reply contradicted everything carried, which then
    // starts again from this reply alone.
    bool Add(const ClockReading& reading);
    // The PC clock was stepped by stepMs (new minus old).
    void Shift(int64_t stepMs);

    int64_t OffsetMs() const;   // the middle of the best interval
    int64_t WidthMs() const;
    // Narrow enough to set from. A clock that answers at once needs both
    // checks too.
    bool Settled() const { return WidthMs() <= kWantedWidthMs && (checks_ >= 2 || &Best() == &atStart_); }
    void StartAttempt() { checks_ = 0; }
    // How long to wait, from PC time pcNow, before sending the time command
    // so that the clock composes its reply where, by the estimate, a second
    // starts: the second it names then tells on which side of that point the
    // offset lies. The point is the middle, but once the interval is narrow
    // it is first checked just outside either end, so that a change it
    // missed (a jump of the PC clock) shows as a contradiction.
    uint32_t ProbeDelayMs(int64_t pcNow) const;

private:
    struct Interval {
        int64_t lo, hi;
    };
    // Replies came late at times, yet nearly all fit a composition at the
    // second's start: a clock that waits for the next second.
    bool WaitsForSecond() const { return lateReplies_ >= 2 && startBreaks_ * 4 < startFits_; }
    // Until the clock is known, the first reply alone is read as composed at
    // the second's start: a set from it is never worse than one to the whole
    // second.
    const Interval& Best() const {
        const bool unknown = quickReplies_ + lateReplies_ < kKnownAfter;
        return WaitsForSecond() || (unknown && readings_ == 1) ? atStart_ : any_;
    }

    static constexpr int kKnownAfter = 5;   // replies
    bool Checking() const { return known_ && any_.hi - any_.lo <= kCheckWidthMs && checks_ < 2; }
    bool known_ = false;
    Interval any_{0, 0}, atStart_{0, 0};
    int readings_ = 0;       // since the last restart
    int checks_ = 0;         // of the ends, this attempt
    int startFits_ = 0, startBreaks_ = 0;
    int lateReplies_ = 0, quickReplies_ = 0;
    int64_t quickest_ = INT64_MAX;   // from the command to the reply's end
    uint32_t lastTick_ = 0;
    int64_t lastSeen_ = 0;   // moved with every step, like the offset
    int64_t leadMs_ = 0;     // from the command to the reply's composition
};
