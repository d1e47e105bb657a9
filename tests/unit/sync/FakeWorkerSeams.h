#pragma once
// Fakes of the worker's event, clock and status sink.
#include <cstdint>
#include <functional>
#include <vector>

#include "sync/SyncThreadState.h"
#include "sync/SystemClock.h"
#include "sync/WorkerSeams.h"

// Each Wait runs the next scripted step; when the script runs out the worker
// is asked to stop, so every test ends.
class ScriptedWakeEvent : public WakeEvent {
public:
    explicit ScriptedWakeEvent(SyncThreadState& state) : state_(state) {}

    bool openSucceeds = true;
    uint32_t failingWait = 0;   // 1-based wait that fails; 0: none
    uint32_t error = 6;
    std::vector<std::function<void()>> steps;   // run before each wake-up
    int waits = 0;

    bool Open(uint32_t& e) override {
        if (openSucceeds) return true;
        e = error;
        return false;
    }
    bool Wait(uint32_t& e) override {
        ++waits;
        if (failingWait == static_cast<uint32_t>(waits)) {
            e = error;
            return false;
        }
        if (static_cast<size_t>(waits) <= steps.size()) {
            if (steps[waits - 1]) steps[waits - 1]();
        } else {
            state_.RequestStop();
        }
        return true;
    }

    // n plain wake-ups, then the stop.
    void WakeTimes(int n) { steps.assign(n, nullptr); }

private:
    SyncThreadState& state_;
};

class FakeSystemClock : public SystemClock {
public:
    UtcTime now;
    bool setSucceeds = true;
    uint32_t setError = 1314;
    std::vector<UtcTime> sets;

    FakeSystemClock() {
        now.year = 2026; now.month = 12; now.day = 6; now.dayOfWeek = 0;
        now.hour = 12; now.minute = 34; now.second = 50; now.milliseconds = 250;
    }
    UtcTime Now() override { return now; }
    bool Set(const UtcTime& t, uint32_t& e) override {
        sets.push_back(t);
        if (setSucceeds) return true;
        e = setError;
        return false;
    }
};

struct PostedStatus {
    int id;
    uint32_t code;
    uint32_t flagsWhenPosted;
    uint32_t virtualTime;
};

class RecordingSink : public StatusSink {
public:
    RecordingSink(const SyncThreadState& state, std::function<uint32_t()> now) : state_(state), now_(now) {}
    std::vector<PostedStatus> posted;
    int broadcasts = 0;

    void Post(int id, uint32_t code) override { posted.push_back({id, code, state_.flags.load(), now_()}); }
    void BroadcastTimeChange() override { ++broadcasts; }

    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& p : posted) ids.push_back(p.id);
        return ids;
    }

private:
    const SyncThreadState& state_;
    std::function<uint32_t()> now_;
};
