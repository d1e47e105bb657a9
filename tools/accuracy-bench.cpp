// How far the PC clock is from GPS time right after each set, on virtual
// time: the real worker against a simulated clock line and a drifting PC
// clock, whole-second sets side by side with sets from the offset estimate.
//
//   accuracy-bench [runs]      (default 200 runs of 100 attempts each)
//
// The simulated clock answers at once (at a random phase of the second), at
// the start of the next second, after a random delay of up to a second, or
// at once in the first 300 ms of its second and else at the next one's start.
// Each run draws a PC drift of up to +-50 ppm, a start phase, and jumps of the
// PC clock (0.1 to 2 s either way) before 2 % of the attempts. Besides the
// errors it prints the share of sets whose stated interval held the truth,
// how long an attempt held the port, and how many period ticks came while
// an attempt still ran.
#include <cstdio>
#include <cstdlib>

#include "clocklink/SystemError.h"
#include "tools/ClockWorld.h"

uint32_t GetLastErrorCode() { return 0; }
std::string GetSystemErrorText(uint32_t) { return std::string(); }

namespace {

const int kAttempts = 100;

struct Figures {
    std::vector<std::vector<double>> after = std::vector<std::vector<double>>(kAttempts);
    double busyMs = 0;
    int sets = 0, held = 0, stated = 0, late = 0;
};

Figures Measure(int runs, ClockWorld::Kind kind, uint32_t periodMs, bool precise) {
    Figures f;
    for (int seed = 1; seed <= runs; ++seed) {
        ClockWorld::Options o;
        o.kind = kind;
        if (kind == ClockWorld::kEarly) o.maxDelayMs = 300;
        o.periodMs = periodMs;
        o.attempts = kAttempts;
        ClockWorld world(static_cast<unsigned>(seed), o);
        world.Run(precise);
        for (const ClockWorld::SetRecord& s : world.sets) {
            f.after[s.attempt - 1].push_back(s.errorMs);
            ++f.sets;
            if (s.status.offsetWithinMs < 0) continue;
            ++f.stated;
            f.held += std::fabs(s.truthMs - static_cast<double>(s.status.offsetMs)) <= s.status.offsetWithinMs + 1;
        }
        f.busyMs += world.busyMs;
        f.late += world.lateTicks;
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
    std::printf("|PC - GPS| right after the set, ms: median / worst of %d runs\n\n", runs);
    std::printf("%-9s %6s %7s | %21s | %21s\n", "clock", "period", "attempt", "whole second", "estimate");
    const char* const kinds[] = {"at once", "next sec", "delayed", "early"};
    for (const ClockWorld::Kind kind : {ClockWorld::kAtOnce, ClockWorld::kNextSecond, ClockWorld::kDelayed, ClockWorld::kEarly}) {
        for (const uint32_t period : {1u, 60u, 3600u}) {
            const Figures figures[] = {Measure(runs, kind, period * 1000, false), Measure(runs, kind, period * 1000, true)};
            for (const int attempt : {1, 3, 10, 100}) {
                std::printf("%-9s %5us %7d", kinds[kind], period, attempt);
                for (const Figures& f : figures)
                    std::printf(" | %9.0f / %9.0f", Median(f.after[attempt - 1]), Worst(f.after[attempt - 1]));
                std::printf("\n");
            }
            std::printf("%-9s %5us %7s", "", period, "port");
            for (const Figures& f : figures) std::printf(" | %6.0f ms/set %6d sets", f.busyMs / std::max(1, f.sets), f.sets);
            std::printf("\n%-9s %5us %7s", "", period, "held");
            for (const Figures& f : figures)
                std::printf(" | %6.2f %% %6d late   ", f.stated ? 100.0 * f.held / f.stated : 100.0, f.late);
            std::printf("\n");
        }
    }
    return 0;
}
