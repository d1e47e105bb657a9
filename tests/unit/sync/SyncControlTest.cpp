#include "sync/SyncControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clocklink/Win32Error.h"
#include "sync/StatusTexts.h"
#include "tests/unit/support/VirtualTicker.h"

namespace {

class FakeHost : public SyncHost {
public:
    std::string period = "60";
    std::string port = "com1";
    std::vector<std::string> calls;
    std::vector<std::string> boxTexts;
    uint32_t armedMs = 0;

    std::string PeriodText() override { return period; }
    std::string PortText() override { return port; }
    void* DialogWindow() override { return this; }
    void ShowMessage(int id, const std::string& suffix) override {
        calls.push_back("message " + std::to_string(id) + suffix);
    }
    void ClearStatusLog() override { calls.push_back("clear log"); }
    void ShowStatusBoxText(const std::string& text) override { boxTexts.push_back(text); }
    void ArmPeriodTimer(uint32_t ms) override {
        armedMs = ms;
        calls.push_back("arm");
    }
    void KillPeriodTimer() override { calls.push_back("kill"); }
    void UpdateControls() override { calls.push_back("update"); }
};

class FakeRuntime : public SyncRuntime {
public:
    explicit FakeRuntime(std::vector<std::string>& calls) : calls_(calls) {}
    bool launchSucceeds = true;
    bool workerQuitsOnStop = true;
    std::vector<std::shared_ptr<SyncThreadState>> launched;
    int wakes = 0;
    VirtualTicker ticker{5000};

    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override {
        calls_.push_back("launch");
        if (!launchSucceeds) {
            failure = CWin32Error("_beginthread");
            return false;
        }
        launched.push_back(state);
        return true;
    }
    void SetWakeEvent() override {
        ++wakes;
        // A worker that is waiting wakes, sees the stop and quits.
        for (auto& s : launched)
            if (workerQuitsOnStop && s->flags == SYNC_STOP_REQUESTED && s->workerAlive) {
                s->flags = SYNC_STOPPED;
                s->workerAlive = false;
            }
    }
    Ticker& Clock() override { return ticker; }

private:
    std::vector<std::string>& calls_;
};

class SyncControlTest : public ::testing::Test {
protected:
    FakeHost host;
    FakeRuntime runtime{host.calls};
    SyncControl control{host, runtime};
};

TEST_F(SyncControlTest, StartFillsAFreshRecordLaunchesArmsAndWakesAtOnce) {
    host.period = "60abc";
    host.port = "com2";
    control.StartSync();
    ASSERT_EQ(runtime.launched.size(), 1u);
    const SyncThreadState& s = *runtime.launched[0];
    EXPECT_EQ(&s, &control.State());
    EXPECT_EQ(s.flags, SYNC_STOPPED);
    EXPECT_EQ(s.portName, "com2");
    EXPECT_EQ(s.dialogWindow, &host);
    EXPECT_TRUE(s.workerAlive);
    EXPECT_EQ(host.armedMs, 60000u);
    // stop first, clear (dropping the old worker's queued reports) before the
    // launch, arm, wake (the first attempt runs at once), update
    EXPECT_EQ(host.calls, (std::vector<std::string>{"kill", "update", "clear log", "launch", "arm", "update"}));
    EXPECT_EQ(runtime.wakes, 2);
}

TEST_F(SyncControlTest, PeriodBelowOneSecondIsRefusedBeforeAnythingChanges) {
    for (const char* text : {"0", "-5", "abc", ""}) {
        host.calls.clear();
        host.period = text;
        control.StartSync();
        EXPECT_EQ(host.calls, std::vector<std::string>{"message 134"}) << "period '" << text << "'";
    }
    EXPECT_TRUE(runtime.launched.empty());
    EXPECT_EQ(runtime.wakes, 0);
}

TEST_F(SyncControlTest, EmptyPortIsRefused) {
    host.port = "";
    control.StartSync();
    EXPECT_EQ(host.calls, std::vector<std::string>{"message 163"});
    EXPECT_TRUE(runtime.launched.empty());
}

TEST_F(SyncControlTest, ThreadThatCannotBeCreatedIsReportedAndNoTimerArmed) {
    runtime.launchSucceeds = false;
    control.StartSync();
    ASSERT_EQ(host.calls.size(), 5u);
    EXPECT_EQ(host.calls[4].rfind("message 165_beginthread\n", 0), 0u);
    EXPECT_EQ(host.armedMs, 0u);
    EXPECT_EQ(control.State().flags, SYNC_STOPPED);
    EXPECT_FALSE(control.State().workerAlive);
}

TEST_F(SyncControlTest, StopRequestsTheEndAndWaitsOnlyWhileTheWorkerLives) {
    control.StopSync();   // nothing started: no wait at all
    EXPECT_TRUE(host.boxTexts.empty());
    control.StartSync();
    control.StopSync();
    EXPECT_EQ(runtime.launched[0]->flags, SYNC_STOPPED);
    EXPECT_TRUE(host.boxTexts.empty());
}

TEST_F(SyncControlTest, StopWaitShowsTheCountdownAndGivesUpAfterASecond) {
    runtime.workerQuitsOnStop = false;
    control.StartSync();
    const uint32_t before = runtime.ticker.Now();
    control.StopSync();
    EXPECT_EQ(runtime.ticker.Now() - before, 1000u);
    ASSERT_EQ(host.boxTexts.size(), 10u);
    EXPECT_EQ(host.boxTexts.front(), "Waiting for thread to quit, time out in 1000 ms...");
    EXPECT_EQ(host.boxTexts.back(), "Waiting for thread to quit, time out in 100 ms...");
    EXPECT_EQ(control.State().flags, SYNC_STOP_REQUESTED);
}

TEST_F(SyncControlTest, StartWhileTheOldWorkerHasNotQuitIsRefused) {
    runtime.workerQuitsOnStop = false;
    control.StartSync();
    host.calls.clear();
    control.StartSync();
    EXPECT_EQ(host.calls.back(), "message 164");
    EXPECT_EQ(runtime.launched.size(), 1u);
}

TEST_F(SyncControlTest, SecondStartGivesTheNewWorkerItsOwnRecord) {
    control.StartSync();
    control.StartSync();
    ASSERT_EQ(runtime.launched.size(), 2u);
    EXPECT_NE(runtime.launched[0].get(), runtime.launched[1].get());
    EXPECT_EQ(runtime.launched[1]->flags, SYNC_STOPPED);
    EXPECT_EQ(&control.State(), runtime.launched[1].get());
}

TEST(SyncThreadState, WorkerWritesNeverUndoAStopRequest) {
    SyncThreadState s;
    s.flags = SYNC_STOPPED;
    s.RequestStop();
    EXPECT_FALSE(s.MarkWorkerStarted());
    EXPECT_FALSE(s.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK));
    EXPECT_EQ(s.flags, SYNC_STOP_REQUESTED);

    s.flags = SYNC_STOPPED;
    EXPECT_TRUE(s.MarkWorkerStarted());
    EXPECT_EQ(s.flags, SYNC_RUNNING);
    EXPECT_TRUE(s.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED));
    EXPECT_EQ(s.flags, SYNC_RUNNING | SYNC_LAST_FAILED);
}

TEST_F(SyncControlTest, HugePeriodIsHeldAtTheLongestTimer) {
    host.period = "4294968";
    control.StartSync();
    EXPECT_EQ(host.armedMs, 0x7FFFFFFFu);
}

TEST(SyncControlLifetime, DialogGoingAwayStopsTheWorkerAndWaitsASecondAtMost) {
    for (const uint32_t quitsAfterMs : {300u, 5000u}) {
        FakeHost host;
        FakeRuntime runtime{host.calls};
        runtime.workerQuitsOnStop = false;
        std::shared_ptr<SyncThreadState> record;
        {
            SyncControl control(host, runtime);
            control.StartSync();
            record = runtime.launched[0];
            runtime.ticker.onAdvance = [&](uint32_t) {
                if (runtime.ticker.Slept() >= quitsAfterMs) record->workerAlive = false;
            };
            runtime.wakes = 0;
        }
        EXPECT_EQ(record->flags, SYNC_STOP_REQUESTED);
        EXPECT_EQ(runtime.wakes, 1);
        EXPECT_EQ(runtime.ticker.Slept(), std::min(quitsAfterMs, 1000u));
        EXPECT_EQ(record->workerAlive, quitsAfterMs > 1000);
        EXPECT_EQ(record.use_count(), 2);   // ours and the fake worker's
    }
}

}  // namespace
