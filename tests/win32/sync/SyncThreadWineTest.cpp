// The real worker thread under Wine: named event, serial device on COM5 (the
// GPS clock simulator), SetSystemTime and the time-change broadcast.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "clocklink/SystemError.h"
#include "clocklink/Win32Error.h"
#include "sync/StatusTexts.h"
#include "sync/SyncMessages.h"
#include "sync/SyncThread_win32.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

// A hidden top-level window: receives the worker's posts and, being
// top-level, the WM_TIMECHANGE broadcast.
class StatusWindow {
public:
    StatusWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HoraluxStatusWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StatusWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    struct Status {
        int id;
        uint32_t code;
    };
    std::vector<Status> statuses;
    int timeChanges = 0;

    // Pumps messages until `count` statuses came (hang guard: 30 s).
    bool WaitForStatuses(size_t count) {
        return PumpUntil([&] { return statuses.size() >= count; });
    }
    template <class Done>
    bool PumpUntil(Done done) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < 30000) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
        return done();
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && msg == WM_SYNC_STATUS) {
            self->statuses.push_back({static_cast<int>(wp), static_cast<uint32_t>(lp)});
            return 0;
        }
        if (self && msg == WM_TIMECHANGE) ++self->timeChanges;
        return DefWindowProcA(window, msg, wp, lp);
    }
    HWND window_;
};

class SyncThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(event.Get());
        ASSERT_TRUE(SetSimulatorSwitches(""));
    }
    void TearDown() override {
        if (state) {
            state->RequestStop();
            runtime.SetWakeEvent();
            for (int i = 0; i < 500 && state->workerAlive; ++i) Sleep(10);
        }
    }

    void Launch(const char* port) {
        state = std::make_shared<SyncThreadState>();
        state->flags = SYNC_STOPPED;
        state->portName = port;
        state->dialogWindow = window.Handle();
        state->workerAlive = true;
        CWin32Error failure;
        ASSERT_TRUE(runtime.LaunchWorker(state, failure));
        runtime.SetWakeEvent();
    }

    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const auto& s : window.statuses) ids.push_back(s.id);
        return ids;
    }

    WakeEventHandle event;
    Win32SyncRuntime runtime{event.Get()};
    StatusWindow window;
    std::shared_ptr<SyncThreadState> state;
};

TEST_F(SyncThreadTest, AlignedClockAtTrueUtcSetsTheTimeAndBroadcasts) {
    ASSERT_TRUE(SetSimulatorSwitches("--align"));
    Launch("com5");
    ASSERT_TRUE(window.WaitForStatuses(1));
    EXPECT_EQ(window.statuses[0].id, IDS_TIME_SET);
    EXPECT_EQ(state->flags, SYNC_RUNNING | SYNC_LAST_OK);
    // The broadcast follows the post: keep answering messages until it came.
    EXPECT_TRUE(window.PumpUntil([&] { return window.timeChanges >= 1; }));
    EXPECT_EQ(SimulatorReceived(), "b00dg\r\nTU");
}

TEST_F(SyncThreadTest, ClockAnHourOffIsRefusedWithThePrivilegeTextAndEndsTheWorker) {
    ASSERT_TRUE(SetSimulatorSwitches("--offset 3600"));
    Launch("com5");
    ASSERT_TRUE(window.WaitForStatuses(2));
    EXPECT_EQ(Ids(), (std::vector<int>{IDS_SET_TIME_FAILED, IDS_STOPPED}));
    EXPECT_EQ(window.statuses[0].code, static_cast<uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
    // The log line carries the system's reason (Wine 8 words it "Privilege not held.").
    EXPECT_NE(GetSystemErrorText(window.statuses[0].code).find("rivilege"), std::string::npos);
    for (int i = 0; i < 500 && state->workerAlive; ++i) Sleep(10);
    EXPECT_FALSE(state->workerAlive);
    EXPECT_EQ(state->flags, SYNC_STOPPED);
}

TEST_F(SyncThreadTest, MissingPortIsReportedAtEveryTickWhileTheWorkerLives) {
    Launch("com9");
    ASSERT_TRUE(window.WaitForStatuses(1));
    runtime.SetWakeEvent();
    ASSERT_TRUE(window.WaitForStatuses(2));
    EXPECT_EQ(Ids(), (std::vector<int>{IDS_OPEN_PORT_FAILED, IDS_OPEN_PORT_FAILED}));
    EXPECT_TRUE(state->workerAlive);
    EXPECT_EQ(state->flags, SYNC_RUNNING | SYNC_LAST_FAILED);
}

TEST_F(SyncThreadTest, ClockThatStopsEchoingTheTimeCommandGivesNoEcho) {
    ASSERT_TRUE(SetSimulatorSwitches("--no-echo-from 3"));
    Launch("com5");
    ASSERT_TRUE(window.WaitForStatuses(1));
    EXPECT_EQ(window.statuses[0].id, IDS_NO_ECHO);
    EXPECT_TRUE(state->workerAlive);
}

TEST_F(SyncThreadTest, UnpluggedClockMidRunIsReportedAndTheWorkerCarriesOn) {
    // Gone 200 ms after the echo of "b0", while the reply waits for the
    // next second: the attempt fails on the line, not on the clock set.
    ASSERT_TRUE(SetSimulatorSwitches("--align --unplug-after 1"));
    Launch("com5");
    ASSERT_TRUE(window.WaitForStatuses(1));
    EXPECT_TRUE(window.statuses[0].id == IDS_NO_ECHO || window.statuses[0].id == IDS_READ_FAILED)
        << window.statuses[0].id;
    runtime.SetWakeEvent();
    ASSERT_TRUE(window.WaitForStatuses(2));
    EXPECT_EQ(window.statuses[1].id, IDS_OPEN_PORT_FAILED) << "first status " << window.statuses[0].id;
    EXPECT_TRUE(state->workerAlive);
}

TEST_F(SyncThreadTest, StopEndsAWaitingWorkerWhichClosesThePort) {
    Launch("com9");
    ASSERT_TRUE(window.WaitForStatuses(1));
    state->RequestStop();
    runtime.SetWakeEvent();
    ASSERT_TRUE(window.WaitForStatuses(2));
    EXPECT_EQ(window.statuses[1].id, IDS_STOPPED);
    for (int i = 0; i < 500 && state->workerAlive; ++i) Sleep(10);
    EXPECT_FALSE(state->workerAlive);
}

}  // namespace
