#pragma once
// Fakes of the worker's seams: the serial line with a scripted Orvanel clock
// on virtual time, the wake-up event, the system clock and the status sink.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sync/SyncThreadState.h"
#include "sync/SystemClock.h"
#include "sync/WorkerSeams.h"
#include "tests/unit/support/FakeClockDevice.h"
#include "tests/unit/support/VirtualTicker.h"

// Echoes after 20 ms, answers "\r\nTU" with `reply` replyDelayMs after the
// echo, and keeps a byte always arriving for chatterMs after "b0" or "0dg".
class FakeClockLine : public ClockPort, public FakeClockDevice {
public:
    explicit FakeClockLine(VirtualTicker& ticker) : FakeClockDevice(ticker), chatterEnd_(ticker.Now()) {
        echoDelayMs = 20;
    }

    std::string reply = "123:12:34:56\r\n";
    uint32_t replyDelayMs = 50;
    uint32_t chatterMs = 0;
    bool openSucceeds = true;
    bool settingsSucceed = true;
    uint32_t settingsError = 87;
    bool throwOnBreak = false;

    std::vector<std::string> openedPorts;
    int breaks = 0;
    int flushes = 0;

    CDevice& Device() override { return *this; }
    bool Open(std::string) override { return true; }
    bool Open(const std::string& portName) override {
        openedPorts.push_back(portName);
        incoming_.clear();
        return openSucceeds;
    }
    bool ApplyClockLineSettings(uint32_t& error) override {
        if (!settingsSucceed) error = settingsError;
        return settingsSucceed;
    }
    void SendBreak() override {
        if (throwOnBreak) throw std::runtime_error("line fault");
        ++breaks;
        ticker_.Sleep(200);
    }
    uint32_t PeekRead() override {
        return FakeClockDevice::PeekRead() + (static_cast<int32_t>(ticker_.Now() - chatterEnd_) < 0 ? 1 : 0);
    }
    bool Write(const void* buffer, uint32_t& count) override {
        FakeClockDevice::Write(buffer, count);
        const uint32_t echoAt = ticker_.Now() + echoDelayMs;
        if (EndsWith("b0") || EndsWith("0dg")) chatterEnd_ = echoAt + chatterMs;
        if (EndsWith("\r\nTU"))
            for (char c : reply) Arrive(echoAt + replyDelayMs, c);
        return true;
    }
    void Flush() override {
        ++flushes;
        while (FakeClockDevice::PeekRead() > 0) incoming_.pop_front();
    }

private:
    bool EndsWith(const std::string& t) const {
        return written.size() >= t.size() && written.compare(written.size() - t.size(), t.size(), t) == 0;
    }
    uint32_t chatterEnd_;
};

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
        if (!openSucceeds) e = error;
        return openSucceeds;
    }
    bool Wait(uint32_t& e) override {
        if (failingWait == static_cast<uint32_t>(++waits)) {
            e = error;
            return false;
        }
        if (static_cast<size_t>(waits) > steps.size())
            state_.RequestStop();
        else if (steps[waits - 1])
            steps[waits - 1]();
        return true;
    }
    void DropPending() override {}
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
        if (!setSucceeds) e = setError;
        return setSucceeds;
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
