#pragma once
// A GPS clock on a serial line and a drifting PC clock, on virtual time, for
// the real worker: the honesty test and the accuracy benchmark run in it.
// Virtual time is true time; GPS time is true time from a start.
#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "sync/NearestDate.h"
#include "sync/SyncWorker.h"

struct ClockWorld : CDevice, SystemClock, WakeEvent, StatusSink {
    // kEarly: at once early in its second (within maxDelayMs), else at the
    // next second's start.
    enum Kind { kAtOnce, kNextSecond, kDelayed, kEarly };
    struct Options {
        Kind kind = kAtOnce;
        uint32_t periodMs = 60000;
        int attempts = 100;
        double maxDelayMs = 1000;   // a delayed clock's longest delay
        double driftPpm = 50;       // the PC's oscillator's, either way at most: clock and counter run on it
        double jumps = 0.02;        // share of attempts before which someone steps the PC clock
        double chunked = 0;         // share of replies that come in pieces with gaps
        double wrong = 0;           // share of replies that name a wrong second, never two within 50
    };
    struct SetRecord {
        int attempt;
        double truthMs;   // PC minus GPS just before the set
        SyncStatus status;
        double errorMs;   // |PC - GPS| right after it
    };

    ClockWorld(unsigned seed, const Options& o) : random(seed), options(o) {
        gpsStart = 1796601600000.0 + Uniform(0, 86400000);   // a day from 2026-12-07
        ticks.drift = drift = Uniform(-o.driftPpm, o.driftPpm) * 1e-6;
        pcAnchor = gpsStart + Uniform(-3000, 3000);
        state.flags = SYNC_STOPPED;
        state.portName = "com5";
        state.periodMs = o.periodMs;
    }
    void Run(bool precise = true) {
        state.precise = precise;
        SyncWorkerDeps deps{*this, ticks, *this, *this, *this};
        deps.timerStepUs = deps.pairErrorUs = 1;   // PC time and counter are read to the microsecond
        RunSyncWorker(state, deps);
    }

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    double Gps(double t) const { return gpsStart + t; }
    double Pc(double t) const { return pcAnchor + (t - pcAnchorT) * (1 + drift); }

    // True time, to the microsecond; the counter runs on the PC's oscillator.
    struct Ticks : Ticker {
        int64_t us = 0;
        double drift = 0;
        uint32_t Now() override { return static_cast<uint32_t>(CounterUs() / 1000); }
        int64_t CounterUs() override { return us + static_cast<int64_t>(std::floor(us * drift)); }
        void Sleep(uint32_t ms) override { us += ms * int64_t{1000}; }
    } ticks;
    double Ms() const { return ticks.us / 1000.0; }

    // The line: every byte echoed, "\r\nTU" answered byte by byte.
    bool Open(std::string) override { incoming.clear(); return true; }
    bool Close() override { return true; }
    size_t Due() const {
        size_t n = 0;
        while (n < incoming.size() && incoming[n].first <= Ms()) ++n;
        return n;
    }
    uint32_t PeekRead() override { return static_cast<uint32_t>(Due()); }
    bool Read(void* buffer, uint32_t& count) override {
        count = std::min<uint32_t>(count, static_cast<uint32_t>(Due()));
        for (uint32_t i = 0; i < count; ++i, incoming.pop_front()) static_cast<char*>(buffer)[i] = incoming.front().second;
        return count > 0;
    }
    bool ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs) override {
        if (Due() == 0) {   // until the next byte (to its microsecond), if it comes within the wait
            const double until = incoming.empty() ? 1e300 : incoming.front().first;
            ticks.us = until <= Ms() + waitMs ? static_cast<int64_t>(std::ceil(until * 1000)) + 1 : ticks.us + waitMs * int64_t{1000};
        }
        return Read(buffer, count);
    }
    bool Write(const void* buffer, uint32_t& count) override {
        for (uint32_t i = 0; i < count; ++i) {
            const char c = static_cast<const char*>(buffer)[i];
            Arrive(Ms() + 2 * kByteMs, c);
            written = (written + c).substr(written.size() >= 4 ? 1 : 0);
            if (written == "\r\nTU") Reply(Ms() + kByteMs);
        }
        return true;
    }
    void Reply(double received) {
        double composed = received + Uniform(0, 5);
        const bool waits = options.kind == kNextSecond || (options.kind == kEarly && std::fmod(Gps(received), 1000) >= options.maxDelayMs);
        if (waits) composed = std::ceil(Gps(received) / 1000) * 1000 - gpsStart + Uniform(0, 2);
        if (options.kind == kDelayed) composed = received + Uniform(0, options.maxDelayMs);
        double named = std::floor(Gps(composed) / 1000) * 1000;
        if (++sinceWrong > 50 && Uniform(0, 1) < options.wrong) {
            named += 1000.0 * (Uniform(0, 1) < 0.5 ? -1 : 1) * (Uniform(0, 1) < 0.8 ? 1 : 3600);
            sinceWrong = 0;
        }
        const UtcTime n = UtcFromMilliseconds(static_cast<int64_t>(named));
        char text[32];
        std::snprintf(text, sizeof text, "%03d:%02d:%02d:%02d\r\n", n.day, n.hour, n.minute, n.second);
        // Sent back to back from the moment of composing; a USB adapter or a
        // busy PC may hand them over in pieces, each after a gap.
        const bool pieces = Uniform(0, 1) < options.chunked;
        double held = 0;
        for (size_t b = 0; text[b]; ++b) {
            const double sent = std::max(composed, received + kByteMs) + (b + 1) * kByteMs;
            if (pieces && Uniform(0, 1) < 0.3) held = std::max(held, sent) + Uniform(0, 120);
            Arrive(std::max(sent, held), text[b]);
            if (!text[b + 1]) firstReplyAt = std::min(firstReplyAt, std::max(sent, held));
        }
    }
    void Arrive(double at, char c) {
        auto it = incoming.end();
        while (it != incoming.begin() && (it - 1)->first > at) --it;
        incoming.insert(it, {at, c});
    }
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override { incoming.erase(incoming.begin(), incoming.begin() + static_cast<long>(Due())); }
    bool SetClockLine(uint32_t&) override { return true; }
    void SendBreak() override { breakAt = Ms(); ticks.us += 200000; }

    // The PC clock, read to the millisecond or the microsecond below.
    UtcTime Now() override { return UtcFromMilliseconds(static_cast<int64_t>(std::floor(Pc(Ms())))); }
    int64_t NowUs() override { return static_cast<int64_t>(std::floor(Pc(Ms()) * 1000)); }
    bool Set(const UtcTime& time, uint32_t&) override {
        sets.push_back({wakes, Pc(Ms()) - Gps(Ms()), SyncStatus(), 0});
        pcAnchor = static_cast<double>(UtcMilliseconds(time));
        pcAnchorT = Ms();
        sets.back().errorMs = std::fabs(pcAnchor - Gps(Ms()));
        busyMs += Ms() - breakAt;   // the port is busy from the break
        return true;
    }

    // The period timer (Windows timers fire up to a tick late), and someone
    // else stepping the PC clock now and then.
    bool Open(uint32_t&) override { return true; }
    bool Wait(uint32_t&) override {
        if (++wakes > options.attempts) {
            state.RequestStop();
            return true;
        }
        // Ticks that came while the last attempt ran are lost: counted when
        // two replies had agreed before it began, its first reply was in
        // before the worker's margin and no step made that reply void.
        for (; nextFire <= Ms(); nextFire += options.periodMs)
            lateTicks += knewAtWake && !stepped && firstReplyAt <= nextFire - 100;
        knewAtWake = known;
        firstReplyAt = 1e300;
        stepped = wakes > 1 && Uniform(0, 1) < options.jumps;
        ticks.us = (nextFire + static_cast<int64_t>(Uniform(0, 16))) * 1000;
        nextFire += options.periodMs;
        wokeAt = Ms();
        if (stepped) pcAnchor += (Uniform(0, 1) < 0.5 ? -1 : 1) * Uniform(100, 2000);
        return true;
    }
    void DropPending() override {}
    void Post(const SyncStatus& s) override {
        known = known || s.offsetWithinMs >= 0;
        if (s.id == IDS_TIME_SET) sets.back().status = s;
        posted.push_back(s);
    }
    void BroadcastTimeChange() override {}

    static constexpr double kByteMs = 10.0 / 9.6;   // 10 bits at 9600 baud
    std::mt19937 random;
    Options options;
    int64_t nextFire = 0;
    double wokeAt = 0, breakAt = 0, firstReplyAt = 1e300;
    int wakes = 0, lateTicks = 0, sinceWrong = 50;
    bool known = false, knewAtWake = false, stepped = false;
    double gpsStart, drift, pcAnchor, pcAnchorT = 0, busyMs = 0;
    std::deque<std::pair<double, char>> incoming;
    std::string written;
    std::vector<SetRecord> sets;
    std::vector<SyncStatus> posted;
    SyncThreadState state;
};
