// The stop request against a worker on another thread, run under
// ThreadSanitizer: once Stop has written its request, no write of the worker
// may bring the running bit back, and the worker always ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "sync/SyncWorker.h"
#include "tests/unit/sync/WorkerFakes.h"

namespace {

// Always awake: the worker runs attempts back to back.
class BusyEvent : public WakeEvent {
public:
    bool Open(uint32_t&) override { return true; }
    bool Wait(uint32_t&) override { return true; }
    void DropPending() override {}
};

class WatchingSink : public StatusSink {
public:
    WatchingSink(const SyncThreadState& state, const std::atomic<bool>& stopped) : state_(state), stopped_(stopped) {}
    std::atomic<int> violations{0};
    std::atomic<int> posts{0};
    void Post(int, uint32_t) override {
        ++posts;
        Check();
    }
    void BroadcastTimeChange() override { Check(); }
    void Check() {
        if (stopped_ && (state_.flags.load() & SYNC_RUNNING)) ++violations;
    }

private:
    const SyncThreadState& state_;
    const std::atomic<bool>& stopped_;
};

TEST(StopRace, StopAlwaysWinsOverTheWorkersOwnWrites) {
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        SyncThreadState state;
        state.flags = SYNC_STOPPED;
        state.portName = "com5";
        std::atomic<bool> stopped{false};

        VirtualTicker ticker;
        FakeClockLine line(ticker);
        line.openSucceeds = (round % 3) != 0;   // mix failures (0x21) and successes (0x11)
        FakeSystemClock clock;
        BusyEvent event;
        WatchingSink sink(state, stopped);

        std::thread worker([&] { RunSyncWorker(state, SyncWorkerDeps{line, ticker, clock, event, sink}); });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
        state.RequestStop();
        stopped = true;
        worker.join();

        EXPECT_EQ(sink.violations, 0) << "round " << round;
        EXPECT_EQ(state.flags, SYNC_STOPPED);
    }
}

}  // namespace
