#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The PC clock and the counter, read one right after the other, in
// microseconds. The counter measures elapsed time; the PC clock may be
// stepped by anyone, so their difference between two stamps tells how far
// the PC clock moved besides the time that passed.
struct Stamp {
    int64_t pc = 0;        // UTC since 1970
    int64_t counter = 0;   // only differences mean anything
};

// How far the PC clock moved against the counter between two stamps: what
// steps (and drift) did to it.
inline int64_t Moved(const Stamp& from, const Stamp& to) { return (to.pc - from.pc) - (to.counter - from.counter); }

// What one reply tells: the clock composed it between `earliest` and
// `latest` (PC time, as of stamp `at`) and named `second` (UTC, on the date
// nearest the PC's). All in microseconds.
struct ClockReading {
    int64_t earliest = 0, latest = 0, second = 0;
    Stamp at;
};

// The PC clock minus GPS time, in microseconds.
struct OffsetInterval {
    int64_t lo = 0, hi = 0;
    int64_t Width() const { return hi - lo; }
    int64_t Middle() const { return lo + (hi - lo) / 2; }
    // How far from `point` the interval reaches on its wider side.
    int64_t Within(int64_t point) const { return point - lo > hi - point ? point - lo : hi - point; }
};

// The PC clock's offset from GPS time, from the readings kept so far, each
// carried to the present by how far the PC clock moved against the counter
// since it was taken, widened by what drift could have added.
//
// A reading bounds the offset in one of two ways. For any clock, the moment
// of composition lay somewhere in the second it named. A clock that waits
// for the next second composes at that second's start, a far narrower
// bound; it is used only once the replies show such a clock: they come at
// one phase of the PC's second, whenever the command went out.
//
// No single reply is trusted: a reply may name a wrong second and still fit
// what is kept. The interval stated is what remains true if any one kept
// reading is wrong. A reading that contradicts the rest is held apart until
// the next reading tells which side was wrong.
class OffsetEstimator {
public:
    static constexpr int64_t kSecondUs = 1000000;
    static constexpr int64_t kDriftPpm = 200;
    static constexpr int64_t kNextSecondSlackUs = 5000;   // from the second's start to composing, at least
    static constexpr int64_t kClusterUs = 50000;          // replies of such a clock arrive this close
    static constexpr int64_t kSpreadUs = 400000;          // ... for commands at least this far apart
    static constexpr size_t kToClassify = 5;
    static constexpr int64_t kQuickUs = 100000;           // a clock that answers at once does within this
    static constexpr size_t kKept = 16;
    static constexpr uint64_t kOutlived = 32;   // readings after which none is kept
    static constexpr int64_t kAmbiguousUs = 900000;   // no narrower for a clock that waits for the second
    static constexpr int64_t kSpreadStepUs = 200000;  // between commands while the clock is not known
    static constexpr int64_t kGuessedUs = 200000;     // wider, and the point is guessed at the upper end

    // What drift of kDriftPpm may have added either way over a time.
    static int64_t DriftUs(int64_t elapsedUs) {
        return ((elapsedUs < 0 ? -elapsedUs : elapsedUs) * kDriftPpm + 999999) / 1000000;
    }

    // pairErrorUs: how far a stamp's two readings may disagree; lagUs: how
    // long after composing a reply a prompt line has it counted as read.
    explicit OffsetEstimator(int64_t pairErrorUs = 1000, int64_t lagUs = 10000)
        : pairErrorUs_(pairErrorUs), lagGuessUs_(lagUs) {}

    enum class Verdict { Agreed, Suspect, Restarted };
    Verdict Add(const ClockReading& reading);

    struct Estimate {
        bool known = false;     // two readings or more agree
        OffsetInterval truth;   // holds the offset unless two kept readings are wrong
        int64_t point = 0;      // where in it the offset most likely lies
    };
    Estimate At(const Stamp& now) const;

    // The PC time at which the next command's last byte is best sent: where
    // its reply splits what is known. Not before now, nor after `latest`
    // (then the time in reach whose phase of the second is nearest).
    int64_t NextCommandAt(const Stamp& now, int64_t latest = INT64_MAX) const;

    // A time command went out at `at` (its PC time and counter), whether or
    // not its reply came in time: the next spread one goes elsewhere.
    void Commanded(const Stamp& at) { commanded_ = at; }

    bool WaitsForSecond() const { return waitsForSecond_; }
    // How long the reply to a command sent at `sentAt` may take, for a clock
    // that waits for the second: until it starts (a second when unknown).
    int64_t ReplyWithinUs(const Stamp& now, int64_t sentAt) const;
    bool HasSuspect() const { return hasSuspect_; }
    size_t Count() const { return kept_.size(); }

private:
    // How a reading bounds the offset: the clock composed somewhere in the
    // second it named, at its start, or (a guess, never stated) right before
    // its bytes came.
    enum class Model { AnyTime, SecondStart, Promptly };
    OffsetInterval Bounds(const ClockReading& r, const Stamp& now, Model model) const;
    std::vector<OffsetInterval> Kept(const Stamp& now, Model model) const;
    Model Stated() const { return waitsForSecond_ ? Model::SecondStart : Model::AnyTime; }
    void Classify(const Stamp& now);
    void Prune(const Stamp& now);
    // Just before where a waiting clock's second starts, by the newest reading.
    int64_t BoundaryAhead(const Stamp& now) const;
    // Two replies or more that bound the offset from above alike: composed
    // at a second's start, as one that waits for it does.
    bool TopShared(const Stamp& now) const;
    // How far apart replies a few seconds apart bound the offset from above.
    int64_t UpperSpread(const Stamp& now, const ClockReading* more) const;

    // A kept reading, numbered in the order readings came.
    struct Held : ClockReading {
        Held(const ClockReading& r, uint64_t n) : ClockReading(r), serial(n) {}
        uint64_t serial;
    };
    int64_t pairErrorUs_, lagGuessUs_;
    std::vector<Held> kept_;
    uint64_t added_ = 0;
    Stamp commanded_;
    ClockReading suspect_;
    bool hasSuspect_ = false;
    bool waitsForSecond_ = false, answersAtOnce_ = false, composesAnyTime_ = false;
    // How long after its second starts a clock that waits for it composes:
    // as long as its replies' upper bounds spread, since one that answers at
    // once early in its second and else waits looks alike.
    int64_t secondSlackUs_ = kNextSecondSlackUs;
};
