#include "sync/SyncControl.h"

#include <gtest/gtest.h>

#include "clocklink/Win32Error.h"
#include "tests/unit/support/FakeClockLine.h"
#include "tests/unit/support/FakeSystemError.h"

namespace {

// Host and runtime write what they are asked into one transcript.
struct Host : SyncHost, SyncRuntime {
    std::string calls;
    bool launchSucceeds = true;
    uint32_t workerQuitsAfterMs = 0;   // from the stop request; 0: never
    std::shared_ptr<SyncThreadState> launched;
    SyncControl* attached = nullptr;
    VirtualTicker ticker;

    void ShowMessage(int id, const std::string& suffix) override { calls += "message " + std::to_string(id) + suffix + ";"; }
    void ClearStatusLog() override { calls += "clear;"; }
    void LogStatus(const std::string& line) override { calls += "log " + line + ";"; }
    void ShowStatusBoxText(const std::string& text) override { calls += text + ";"; }
    void ArmPeriodTimer(uint32_t ms) override { calls += "arm " + std::to_string(ms) + ";"; }
    void KillPeriodTimer() override { calls += "kill;"; }
    void UpdateControls() override { calls += "update;"; }

    void Attach(SyncControl* control) override { attached = control; }
    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override {
        calls += "launch " + state->portName + ";";
        fake_system_error::SetLastErrorCode(5);
        failure = CWin32Error("_beginthread");
        if (launchSucceeds) launched = state;
        return launchSucceeds;
    }
    void SetWakeEvent() override {
        calls += "wake;";
        if (!launched || launched->flags != SYNC_STOP_REQUESTED || workerQuitsAfterMs == 0) return;
        const uint32_t quitAt = ticker.now + workerQuitsAfterMs;
        ticker.onSleep = [this, quitAt] { if (static_cast<int32_t>(ticker.now - quitAt) >= 0) launched->workerAlive = false; };
    }
    Ticker& Clock() override { return ticker; }
};

const StringLookup kNoTable = [](int, std::string&) { return false; };

struct SyncControlTest : ::testing::Test {
    Host host;
    std::unique_ptr<SyncControl> control = std::make_unique<SyncControl>(host, host, kNoTable);
};

TEST_F(SyncControlTest, StartChecksThePeriodAndThePortFirst) {
    control->StartSync("0", "com5");
    control->StartSync("1", "");
    EXPECT_EQ(host.calls, "message 134;message 163;");
}

TEST_F(SyncControlTest, StartLaunchesAFreshWorkerArmsTheTimerAndWakesIt) {
    host.workerQuitsAfterMs = 1;
    control->StartSync(" 60s", "com5");
    EXPECT_EQ(host.calls, "kill;wake;update;clear;launch com5;arm 60000;wake;update;");
    EXPECT_EQ(host.attached, control.get());
    ASSERT_TRUE(host.launched);
    EXPECT_EQ(&control->State(), host.launched.get());
    EXPECT_EQ(host.launched->flags, SYNC_STOPPED);
    EXPECT_TRUE(host.launched->workerAlive);
    host.calls.clear();
    control->OnPeriodTick();
    control->OnStatus(StatusFromMessage(IDS_TIME_SET, 86399));
    EXPECT_EQ(host.calls, "wake;log Time Set 23:59:59 UTC ;update;");
}

TEST_F(SyncControlTest, FailedLaunchIsShownWithItsReason) {
    host.launchSucceeds = false;
    control->StartSync("60", "com5");
    EXPECT_EQ(host.calls, "kill;wake;update;clear;launch com5;message 165_beginthread\nAccess is denied.\r\n;");
    EXPECT_FALSE(control->State().workerAlive);
}

TEST_F(SyncControlTest, StopWaitsASecondAtMostCountingDownAndAStuckWorkerBlocksTheNextStart) {
    control->StartSync("60", "com5");
    host.calls.clear();
    control->StopSync();
    EXPECT_EQ(control->State().flags, SYNC_STOP_REQUESTED);
    std::string countdown = "kill;wake;";
    for (int left = 1000; left > 0; left -= 100)
        countdown += "Waiting for thread to quit, time out in " + std::to_string(left) + " ms...;";
    EXPECT_EQ(host.calls, countdown + "update;");
    EXPECT_EQ(host.ticker.now, 1000u);
    host.calls.clear();
    control->StartSync("60", "com5");   // the old worker would still hold the port
    EXPECT_EQ(host.calls.substr(host.calls.size() - 19), "update;message 164;");
}

TEST_F(SyncControlTest, DestructionStopsAndWakesTheWorkerAndWaitsWithoutACountdown) {
    host.workerQuitsAfterMs = 300;
    control->StartSync("60", "com5");
    const std::shared_ptr<SyncThreadState> worker = host.launched;
    host.calls.clear();
    control.reset();
    EXPECT_EQ(host.calls, "wake;");
    EXPECT_EQ(worker->flags, SYNC_STOP_REQUESTED);
    EXPECT_EQ(host.ticker.now, 300u);
    EXPECT_EQ(host.attached, nullptr);
}

}  // namespace
