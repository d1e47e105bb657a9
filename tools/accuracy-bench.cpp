// How far the PC clock is from GPS time right after each set, on virtual
// time: the real worker against a simulated clock line and a drifting PC
// clock, whole-second sets side by side with sets from the offset estimate.
//
//   accuracy-bench [runs]      (default 200 runs of 100 attempts each)
//
// The simulated clock answers at once (at a random phase of the second), at
// the start of the next second, or after a random delay of up to a second. Each run draws a PC drift of up
// to +-50 ppm, a start phase, and jumps of the PC clock (0.1 to 2 s either way)
// before 2 % of the attempts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "clocklink/SystemError.h"
#include "sync/NearestDate.h"
#include "sync/SyncWorker.h"

uint32_t GetLastErrorCode() { return 0; }
std::string GetSystemErrorText(uint32_t) { return std::string(); }

namespace {

const int kAttempts = 100;
const double kByteMs = 10.0 / 9.6;   // 10 bits at 9600 baud
const int64_t kStartMs = 1796601600000;   // 2026-12-07 00:00:00 UTC

struct Ticks : Ticker {
    uint32_t now = 0;
    uint32_t Now() override { return now; }
    void Sleep(uint32_t ms) override { now += ms; }
};

struct Run : CDevice, SystemClock, WakeEvent, StatusSink {
    enum Kind { kAtOnce, kNextSecond, kRandomDelay };
    Run(unsigned seed, Kind clockKind, uint32_t periodMs) : random(seed), kind(clockKind), period(periodMs) {
        gpsStart = kStartMs + Uniform(0, 86400000);
        drift = Uniform(-50e-6, 50e-6);
        pcAnchor = gpsStart + Uniform(-3000, 3000);
    }

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    double Gps(double tick) const { return gpsStart + tick; }
    double Pc(double tick) const { return pcAnchor + (tick - pcAnchorTick) * (1 + drift); }

    // The line: an echo of every byte, the reply to "\r\nTU" byte by byte.
    bool Open(std::string) override { incoming.clear(); return true; }
    bool Close() override { return true; }
    size_t Due() const {
        size_t n = 0;
        while (n < incoming.size() && incoming[n].first <= ticks.now) ++n;
        return n;
    }
    uint32_t PeekRead() override { return static_cast<uint32_t>(Due()); }
    bool Read(void* buffer, uint32_t& count) override {
        count = std::min<uint32_t>(count, static_cast<uint32_t>(Due()));
        for (uint32_t i = 0; i < count; ++i, incoming.pop_front()) static_cast<char*>(buffer)[i] = incoming.front().second;
        return count > 0;
    }
    bool Write(const void* buffer, uint32_t& count) override {
        for (uint32_t i = 0; i < count; ++i) {
            const char c = static_cast<const char*>(buffer)[i];
            Arrive(ticks.now + 2 * kByteMs, c);
            written = (written + c).substr(written.size() >= 4 ? 1 : 0);
            if (written != "\r\nTU") continue;
            // The reply follows the echo of the command's last byte.
            const double received = ticks.now + kByteMs;
            double composed = received + Uniform(0, 5);
            if (kind == kNextSecond) composed = std::ceil(Gps(received) / 1000) * 1000 - gpsStart + Uniform(0, 2);
            if (kind == kRandomDelay) composed += Uniform(0, 1000);
            const std::string reply = ReplyText(Gps(composed));
            const double start = std::max(composed, received + kByteMs);
            for (size_t b = 0; b < reply.size(); ++b) Arrive(start + (b + 1) * kByteMs, reply[b]);
        }
        return true;
    }
    void Arrive(double at, char c) {
        auto it = incoming.end();
        while (it != incoming.begin() && (it - 1)->first > at) --it;
        incoming.insert(it, {at, c});
    }
    static std::string ReplyText(double gps) {
        const UtcTime t = UtcFromMilliseconds(static_cast<int64_t>(std::floor(gps)));
        char text[32];
        std::snprintf(text, sizeof(text), "%03d:%02d:%02d:%02d\r\n", t.day, t.hour, t.minute, t.second);
        return text;
    }
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override { incoming.erase(incoming.begin(), incoming.begin() + static_cast<long>(Due())); }
    bool SetClockLine(uint32_t&) override { return true; }
    void SendBreak() override { ticks.Sleep(200); }

    // The PC clock.
    UtcTime Now() override { return UtcFromMilliseconds(static_cast<int64_t>(std::floor(Pc(ticks.now)))); }
    bool Set(const UtcTime& time, uint32_t&) override {
        pcAnchor = static_cast<double>(UtcMilliseconds(time));
        pcAnchorTick = ticks.now;
        errors[wakes - 1] = std::fabs(pcAnchor - Gps(ticks.now));
        busyMs += ticks.now - wokeAt;
        return true;
    }

    // The period timer (Windows timers fire up to a tick late) and the jumps.
    bool Open(uint32_t&) override { return true; }
    bool Wait(uint32_t&) override {
        if (++wakes > kAttempts) {
            state.RequestStop();
            return true;
        }
        while (nextFire <= ticks.now) nextFire += period;
        ticks.now = nextFire + static_cast<uint32_t>(Uniform(0, 16));
        wokeAt = ticks.now;
        if (wakes > 1 && Uniform(0, 1) < 0.02) pcAnchor += (Uniform(0, 1) < 0.5 ? -1 : 1) * Uniform(100, 2000);
        return true;
    }
    void DropPending() override {}
    void Post(const SyncStatus&) override {}
    void BroadcastTimeChange() override {}

    std::mt19937 random;
    Kind kind;
    uint32_t period, nextFire = 0, wokeAt = 0;
    int wakes = 0;
    double gpsStart, drift, pcAnchor, pcAnchorTick = 0;
    Ticks ticks;
    std::deque<std::pair<double, char>> incoming;
    std::string written;
    std::vector<double> errors = std::vector<double>(kAttempts, NAN);   // |PC - GPS| right after each set
    double busyMs = 0;
    SyncThreadState state;
};

struct Method {
    const char* name;
    bool precise;
    uint32_t finePollMs;
};

struct Figures {
    std::vector<std::vector<double>> after = std::vector<std::vector<double>>(kAttempts);
    double busyMs = 0;
    int sets = 0;
};

Figures Measure(int runs, Run::Kind kind, uint32_t periodMs, const Method& method) {
    Figures f;
    for (int seed = 1; seed <= runs; ++seed) {
        Run run(static_cast<unsigned>(seed), kind, periodMs);
        run.state.flags = SYNC_STOPPED;
        run.state.portName = "com5";
        run.state.precise = method.precise;
        SyncWorkerDeps deps{run, run.ticks, run, run, run};
        deps.finePollMs = method.finePollMs;
        RunSyncWorker(run.state, deps);
        for (int i = 0; i < kAttempts; ++i) {
            if (std::isnan(run.errors[i])) continue;
            f.after[i].push_back(run.errors[i]);
            ++f.sets;
        }
        f.busyMs += run.busyMs;
    }
    return f;
}

double Median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
    return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const Method methods[] = {{"whole second", false, CGpsClock::kWaitPollMs},
                              {"estimate", true, CGpsClock::kFinePollMs},
                              {"estimate, 100 ms reads", true, CGpsClock::kWaitPollMs}};
    std::printf("|PC - GPS| right after the set, ms: median / worst of %d runs\n\n", runs);
    std::printf("%-10s %7s %7s", "clock", "period", "attempt");
    for (const Method& m : methods) std::printf(" | %23s", m.name);
    std::printf("\n");
    const char* const kinds[] = {"at once", "next sec", "delayed"};
    for (const Run::Kind kind : {Run::kAtOnce, Run::kNextSecond, Run::kRandomDelay}) {
        for (const uint32_t period : {1u, 60u, 3600u}) {
            std::vector<Figures> figures;
            for (const Method& m : methods) figures.push_back(Measure(runs, kind, period * 1000, m));
            for (const int attempt : {1, 3, 10, 100}) {
                std::printf("%-10s %6us %7d", kinds[kind], period, attempt);
                for (const Figures& f : figures)
                    std::printf(" | %11.0f / %9.0f", Median(f.after[attempt - 1]), Worst(f.after[attempt - 1]));
                std::printf("\n");
            }
            std::printf("%-10s %6us %7s", "", period, "busy");
            for (const Figures& f : figures)
                std::printf(" | %5.0f ms/set %3d fails", f.busyMs / std::max(1, f.sets), runs * kAttempts - f.sets);
            std::printf("\n");
        }
    }
    return 0;
}
