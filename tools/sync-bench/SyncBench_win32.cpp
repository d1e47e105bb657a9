// Times the phases of synchronisation attempts against a real serial port
// (the GPS clock simulator on COM5 under Wine) and prints median and worst
// next to the floor that the protocol's fixed waits impose.
//   sync-bench.exe [attempts] [port]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sync/SyncPlatform_win32.h"
#include "sync/SyncWorker.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Handles and private memory of this process: flat across attempts when
// nothing leaks.
struct Usage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

Usage CurrentUsage() {
    Usage u;
    GetProcessHandleCount(GetCurrentProcess(), &u.handles);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) u.privateBytes = counters.PagefileUsage;
    return u;
}

Usage afterFirstAttempt;

enum Mark { kWake, kConfigured, kBreakDone, kB0Start, kOdgStart, kTuStart, kEchoU, kSet, kMarks };

struct Attempt {
    double at[kMarks] = {};
};

std::vector<Attempt> attempts;

// Watches the byte stream to tell where one command ends and the next begins.
class TimedDevice : public CDevice {
public:
    bool Open(std::string name) override {
        written_ = 0;
        return inner_.Open(name);
    }
    bool Close() override { return inner_.Close(); }
    uint32_t PeekRead() override { return inner_.PeekRead(); }
    uint32_t GetCharsPerMs() override { return inner_.GetCharsPerMs(); }
    void Flush() override { inner_.Flush(); }
    bool SetClockLine(uint32_t& error) override {
        const bool ok = inner_.SetClockLine(error);
        attempts.back().at[kConfigured] = NowMs();
        return ok;
    }
    void SendBreak() override {
        inner_.SendBreak();
        attempts.back().at[kBreakDone] = NowMs();
    }
    bool Write(const void* buffer, uint32_t& count) override {
        const double t = NowMs();
        if (written_ == 0) attempts.back().at[kB0Start] = t;
        if (written_ == 2) attempts.back().at[kOdgStart] = t;
        if (written_ == 5) attempts.back().at[kTuStart] = t;
        written_ += count;
        return inner_.Write(buffer, count);
    }
    bool Read(void* buffer, uint32_t& count) override { return Seen(inner_.Read(buffer, count), buffer, count); }
    bool ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs) override {
        return Seen(inner_.ReadArriving(buffer, count, waitMs), buffer, count);
    }

private:
    bool Seen(bool ok, void* buffer, uint32_t count) {
        if (ok && written_ == 9 && count == 1 && *static_cast<char*>(buffer) == 'U' && attempts.back().at[kEchoU] == 0)
            attempts.back().at[kEchoU] = NowMs();
        return ok;
    }

    CDeviceRS232 inner_;
    uint32_t written_ = 0;
};

class RecordingClock : public SystemClock {
public:
    UtcTime Now() override { return real_.Now(); }
    int64_t NowUs() override { return real_.NowUs(); }
    bool Set(const UtcTime&, uint32_t&) override {
        attempts.back().at[kSet] = NowMs();
        return true;
    }

private:
    Win32SystemClock real_;
};

class CountingEvent : public WakeEvent {
public:
    CountingEvent(SyncThreadState& state, int count) : state_(state), left_(count) {}
    bool Open(uint32_t&) override { return true; }
    bool Wait(uint32_t&) override {
        if (left_-- == 0) {
            state_.RequestStop();
            return true;
        }
        if (attempts.size() == 1) afterFirstAttempt = CurrentUsage();
        attempts.emplace_back();
        attempts.back().at[kWake] = NowMs();
        return true;
    }
    void DropPending() override {}

private:
    SyncThreadState& state_;
    int left_;
};

class CountingSink : public StatusSink {
public:
    int sets = 0, failures = 0;
    void Post(const SyncStatus& status) override {
        // The recording clock never moves, which the worker reads back and
        // reports as a set not taken: a set all the same.
        if (status.id == IDS_TIME_SET || status.id == IDS_SET_NOT_TAKEN) ++sets;
        else if (status.id != IDS_STOPPED) ++failures;
    }
    void BroadcastTimeChange() override {}
};

void Report(const char* name, Mark from, Mark to, double floorMs) {
    std::vector<double> d;
    for (const auto& a : attempts)
        if (a.at[from] > 0 && a.at[to] > 0) d.push_back(a.at[to] - a.at[from]);
    if (d.empty()) return;
    std::sort(d.begin(), d.end());
    std::printf("%-24s %8.0f %8.1f %8.1f\n", name, floorMs, d[d.size() / 2], d.back());
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20;
    SyncThreadState state;
    state.flags = SYNC_STOPPED;
    state.portName = argc > 2 ? argv[2] : "com5";
    state.precise = false;   // the protocol's phases, one reply each (scripts/bench-accuracy.sh has the estimate)

    TimedDevice port;
    RecordingClock clock;
    CountingEvent event(state, count);
    CountingSink sink;
    SyncWorkerDeps deps{port, SystemTicker(), clock, event, sink};
    UseClockResolution(deps);
    RunSyncWorker(state, deps);

    std::printf("%d attempts on %s: %d reached the set, %d failed\n\n", count, state.portName.c_str(), sink.sets,
                sink.failures);
    std::printf("%-24s %8s %8s %8s   (milliseconds)\n", "phase", "floor", "median", "worst");
    Report("open and configure", kWake, kConfigured, 0);
    Report("break", kConfigured, kBreakDone, 200);
    Report("\"b0\" echo and drain", kB0Start, kOdgStart, 20);
    Report("\"0dg\" echo and drain", kOdgStart, kTuStart, 30);
    Report("\"\\r\\nTU\" echo", kTuStart, kEchoU, 40);
    Report("reply read and parse", kEchoU, kSet, 100);
    Report("wake-up to set", kWake, kSet, 390);

    const Usage end = CurrentUsage();
    std::printf("\nafter attempt 1 and after attempt %d: handles %lu -> %lu, private memory %lu -> %lu KiB\n", count,
                afterFirstAttempt.handles, end.handles, static_cast<unsigned long>(afterFirstAttempt.privateBytes / 1024),
                static_cast<unsigned long>(end.privateBytes / 1024));
    return sink.sets == count ? 0 : 1;
}
