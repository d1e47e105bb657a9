// The real worker thread under Wine: wake-up event, serial device on COM5 (the
// GPS clock simulator), SetSystemTime and the time-change broadcast.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "clocklink/SystemError.h"
#include "clocklink/Win32Error.h"
#include "sync/StatusTexts.h"
#include "sync/SyncMessages.h"
#include "sync/SyncThread_win32.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

std::vector<int> ids;
std::vector<uint32_t> codes;
int timeChanges = 0;

LRESULT CALLBACK StatusProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYNC_STATUS) {
        ids.push_back(static_cast<int>(wp));
        codes.push_back(static_cast<uint32_t>(lp));
        return 0;
    }
    if (msg == WM_TIMECHANGE) ++timeChanges;
    return DefWindowProcA(window, msg, wp, lp);
}

// Answers messages until done() holds (hang guard: 30 s).
template <class Done>
bool PumpUntil(Done done) {
    for (const DWORD start = GetTickCount(); !done() && GetTickCount() - start < 30000; Sleep(10)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return done();
}

// The worker reports to a hidden top-level window, which being top-level
// also gets the WM_TIMECHANGE broadcast.
class SyncThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ids.clear();
        codes.clear();
        timeChanges = 0;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &StatusProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HoraluxStatusWindow";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_TRUE(window && runtime.Ready());
        ASSERT_TRUE(SetSimulatorSwitches(""));
    }
    void TearDown() override {
        if (state) {
            state->RequestStop();
            runtime.SetWakeEvent();
            WorkerEnded();
        }
        DestroyWindow(window);
        CloseHandle(squatter);
    }

    void Launch(const char* port) {
        state = std::make_shared<SyncThreadState>();
        state->flags = SYNC_STOPPED;
        state->portName = port;
        state->dialogWindow = window;
        state->workerAlive = true;
        CWin32Error failure;
        ASSERT_TRUE(runtime.LaunchWorker(state, failure));
        runtime.SetWakeEvent();
    }
    static bool WaitForStatuses(size_t count) { return PumpUntil([&] { return ids.size() >= count; }); }
    bool WorkerEnded() {
        for (int i = 0; i < 500 && state->workerAlive; ++i) Sleep(10);
        return !state->workerAlive;
    }

    HWND window = nullptr;
    // Another program holding a mutex of the event's former name stops nothing.
    HANDLE squatter = CreateMutexA(nullptr, FALSE, "Orvanel Horalux Thread Time Sync Event");
    Win32SyncRuntime runtime;
    std::shared_ptr<SyncThreadState> state;
};

TEST_F(SyncThreadTest, AlignedClockAtTrueUtcSetsTheTimeAndBroadcasts) {
    ASSERT_TRUE(SetSimulatorSwitches("--align"));
    Launch("com5");
    ASSERT_TRUE(WaitForStatuses(1));
    EXPECT_EQ(ids[0], IDS_TIME_SET);
    EXPECT_EQ(state->flags, SYNC_RUNNING | SYNC_LAST_OK);
    // The broadcast follows the post: keep answering messages until it came.
    EXPECT_TRUE(PumpUntil([&] { return timeChanges >= 1; }));
    EXPECT_EQ(SimulatorReceived(), "b00dg\r\nTU");
}

TEST_F(SyncThreadTest, ClockAnHourOffIsRefusedWithThePrivilegeTextAndEndsTheWorker) {
    ASSERT_TRUE(SetSimulatorSwitches("--offset 3600"));
    Launch("com5");
    ASSERT_TRUE(WaitForStatuses(2));
    EXPECT_EQ(ids, (std::vector<int>{IDS_SET_TIME_FAILED, IDS_STOPPED}));
    EXPECT_EQ(codes[0], static_cast<uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
    // The log line carries the system's reason (Wine 8 words it "Privilege not held.").
    EXPECT_NE(GetSystemErrorText(codes[0]).find("rivilege"), std::string::npos);
    EXPECT_TRUE(WorkerEnded());
    EXPECT_EQ(state->flags, SYNC_STOPPED);
}

TEST_F(SyncThreadTest, MissingPortIsReportedAtEveryTickWhileTheWorkerLives) {
    Launch("com9");
    ASSERT_TRUE(WaitForStatuses(1));
    runtime.SetWakeEvent();
    ASSERT_TRUE(WaitForStatuses(2));
    EXPECT_EQ(ids, (std::vector<int>{IDS_OPEN_PORT_FAILED, IDS_OPEN_PORT_FAILED}));
    EXPECT_TRUE(state->workerAlive);
    EXPECT_EQ(state->flags, SYNC_RUNNING | SYNC_LAST_FAILED);
}

TEST_F(SyncThreadTest, ClockThatStopsEchoingTheTimeCommandGivesNoEcho) {
    ASSERT_TRUE(SetSimulatorSwitches("--no-echo-from 3"));
    Launch("com5");
    ASSERT_TRUE(WaitForStatuses(1));
    EXPECT_EQ(ids[0], IDS_NO_ECHO);
    EXPECT_TRUE(state->workerAlive);
}

TEST_F(SyncThreadTest, LineThatHoldsEveryWriteGivesNoEchoInsteadOfHanging) {
    ASSERT_TRUE(SetSimulatorSwitches("--hold"));
    Launch("com5");
    ASSERT_TRUE(WaitForStatuses(1));
    EXPECT_EQ(ids[0], IDS_NO_ECHO);
}

TEST_F(SyncThreadTest, UnpluggedClockMidRunIsReportedAndTheWorkerCarriesOn) {
    // Gone 200 ms after the echo of "b0", while the reply waits for the
    // next second: the attempt fails on the line, not on the clock set.
    ASSERT_TRUE(SetSimulatorSwitches("--align --unplug-after 1"));
    Launch("com5");
    ASSERT_TRUE(WaitForStatuses(1));
    EXPECT_TRUE(ids[0] == IDS_NO_ECHO || ids[0] == IDS_READ_FAILED)
        << ids[0];
    runtime.SetWakeEvent();
    ASSERT_TRUE(WaitForStatuses(2));
    EXPECT_EQ(ids[1], IDS_OPEN_PORT_FAILED) << "first status " << ids[0];
    EXPECT_TRUE(state->workerAlive);
}

TEST_F(SyncThreadTest, StopsWaitAnswersTheWorkersBroadcast) {
    std::atomic<bool> answered{false};
    std::thread worker([&] { answered = SendMessageTimeoutA(window, WM_TIMECHANGE, 0, 0, SMTO_NORMAL, 10000, nullptr) != 0; });
    for (int i = 0; i < 50 && !answered; ++i) runtime.Clock().Sleep(100);
    EXPECT_TRUE(answered);
    worker.join();
}

}  // namespace
