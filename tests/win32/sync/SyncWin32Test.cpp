// The real worker thread, wake-up event, serial port and status window under
// Wine, against the GPS clock simulator on COM5.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "clocklink/DeviceRS232_win32.h"
#include "sync/SyncMessages.h"
#include "sync/SyncPlatform_win32.h"
#include "sync/SyncThread_win32.h"
#include "sync/SyncWorker.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

struct Host : SyncHost {
    std::vector<std::string> lines;
    void ShowMessage(int id, const std::string&) override { lines.push_back(std::to_string(id)); }
    void ClearStatusLog() override {}
    void LogStatus(const std::string& line) override { lines.push_back(line); }
    void ShowStatusBoxText(const std::string&) override {}
    void ArmPeriodTimer(uint32_t) override {}
    void KillPeriodTimer() override {}
    void UpdateControls() override {}
    void OnResult(const SyncStatus& s, const std::string&) override { withins.push_back(s.offsetWithinMs); }
    std::vector<int64_t> withins;
    // Dispatches this thread's messages until `count` lines came (hang guard: 30 s).
    bool PumpUntil(size_t count) {
        for (MSG msg; lines.size() < count && GetTickCount() - lastLineAt < 30000; Sleep(10))
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        lastLineAt = GetTickCount();
        return lines.size() >= count;
    }
    DWORD lastLineAt = GetTickCount();
};

TEST(SyncWin32, WorkerReportsEachAttemptToTheRuntimesWindowAndAHeldLineTimesOut) {
    // A program holding a mutex of the event's former name stops nothing.
    KernelHandle squatter(CreateMutexA(nullptr, FALSE, "Orvanel Horalux Thread Time Sync Event"));
    Win32SyncRuntime runtime;
    ASSERT_TRUE(runtime.Ready());
    Host host;
    SyncControl control(host, runtime, [](int id, std::string& text) { return (text = TEXT_NO_ECHO, id == IDS_NO_ECHO); });
    // A message with nothing queued behind it adds no line.
    PostMessageA(runtime.StatusWindow(), WM_SYNC_STATUS, IDS_STOPPED, 0);
    ASSERT_TRUE(SetSimulatorSwitches("--align")) << "no simulator on COM5";
    control.StartSync("3600", "com5");
    ASSERT_TRUE(host.PumpUntil(1));
    EXPECT_EQ(host.lines[0].substr(0, 9), "Time Set ");
    EXPECT_GE(host.withins.at(0), 0);   // the set's margin crossed the threads with it
    ASSERT_TRUE(SetSimulatorSwitches("--hold"));   // flow control holds every write
    control.OnPeriodTick();
    ASSERT_TRUE(host.PumpUntil(2));
    EXPECT_EQ(host.lines[1], TEXT_NO_ECHO);
    control.StopSync();
    EXPECT_FALSE(control.State().workerAlive);
    SetSimulatorSwitches("");
}

TEST(SyncWin32, StopsWaitAnswersTheWorkersBroadcast) {
    Win32SyncRuntime runtime;
    std::atomic<bool> answered{false};
    std::thread worker([&] { answered = SendMessageTimeoutA(runtime.StatusWindow(), WM_TIMECHANGE, 0, 0, 0, 9000, nullptr); });
    for (int i = 0; i < 50 && !answered; ++i) runtime.Clock().Sleep(100);
    EXPECT_TRUE(answered);
    worker.join();
}

// A worker on COM5 that is woken at once until 12 attempts have reported.
struct Attempts : WakeEvent, StatusSink {
    Attempts(std::vector<int>& seen, bool precise) : ids(seen) { state.flags = SYNC_STOPPED; state.portName = "com5"; state.precise = precise; }
    SyncThreadState state;
    std::vector<int>& ids;
    bool Open(uint32_t&) override { return true; }
    bool Wait(uint32_t&) override { return ids.size() < 12 || (state.RequestStop(), true); }
    void Post(const SyncStatus& s) override { if (s.id != IDS_STOPPED) ids.push_back(s.id); }
    void DropPending() override {}   void BroadcastTimeChange() override {}
};

// Wine refuses a set more than half a second from the host's clock. Against a
// clock answering at a random phase, whole-second sets miss that about half
// the time; from the fourth attempt on, every set from the estimate lands.
TEST(SyncWin32, FromTheFourthAttemptEverySetFromTheEstimateLandsWithinHalfASecond) {
    ASSERT_TRUE(SetSimulatorSwitches("--random-phase")) << "no simulator on COM5";
    for (const bool precise : {false, true}) {
        std::vector<int> ids;
        OffsetEstimator estimator;   // a refused set ends a worker: the next one goes on with it
        while (ids.size() < 12) {
            Attempts a(ids, precise);
            CDeviceRS232 port;
            Win32SystemClock clock;
            RunSyncWorker(a.state, SyncWorkerDeps{port, SystemTicker(), clock, a, a, &estimator});
        }
        std::printf("%s sets: %d of 12 refused\n", precise ? "estimate" : "whole-second", static_cast<int>(std::count(ids.begin(), ids.end(), IDS_SET_TIME_FAILED)));
        EXPECT_EQ(precise ? std::count(ids.begin() + 3, ids.end(), IDS_TIME_SET) : 9, 9);   // whole-second: only counted
    }
    SetSimulatorSwitches("");
}

// A name may lead to a pipe whose server would act as this (perhaps elevated)
// program. Wine does not model that, so the test checks the flags asked for.
TEST(SyncWin32, PortsAreOpenedForIdentificationOnly) {
    struct Recorder : CDeviceRS232 {
        DWORD flags = 0;
        HANDLE CreatePort(const std::string&, DWORD f) override { return (flags = f, INVALID_HANDLE_VALUE); }
    } device;
    device.Open("pipe\\horalux");
    EXPECT_EQ(device.flags & SECURITY_VALID_SQOS_FLAGS, static_cast<DWORD>(SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION));
}

}  // namespace
