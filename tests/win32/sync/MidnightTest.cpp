// The worker across midnight with Wine and the simulator on a faked host
// clock (midnight.sh starts them thirty seconds before 1 January 2027, UTC).
// Wine refuses a set more than half a second from the host's time, so a time
// of day put on the wrong date shows as status 160, the right one as 151.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "clocklink/Win32Error.h"
#include "sync/StatusTexts.h"
#include "sync/SyncMessages.h"
#include "sync/SyncThread_win32.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

int StatusAfter(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        MSG msg;
        if (PeekMessageA(&msg, window, WM_SYNC_STATUS, WM_SYNC_STATUS, PM_REMOVE)) return static_cast<int>(msg.wParam);
        Sleep(5);
    }
    return 0;
}

// Milliseconds of the PC's UTC clock since 31 December 2026, 00:00.
long long PcMsIntoNewYearsEve() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    const long long day = (st.wYear == 2027 && st.wMonth == 1 && st.wDay == 1) ? 1 : 0;
    return ((day * 24 + st.wHour) * 60 + st.wMinute) * 60000LL + st.wSecond * 1000LL + st.wMilliseconds;
}

class Midnight : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("FAKETIME")) GTEST_SKIP() << "runs under midnight.sh";
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(runtime.Ready());
    }
    void TearDown() override {
        if (state) {
            state->RequestStop();
            runtime.SetWakeEvent();
            for (int i = 0; i < 300 && state->workerAlive; ++i) Sleep(10);
        }
        if (window) DestroyWindow(window);
    }

    // One attempt, started when the PC's clock reaches `startMs` so that the
    // clock's aligned reply goes out just as one of the two sides crosses
    // midnight.
    int AttemptAt(long long startMs, const char* switches) {
        if (!SetSimulatorSwitches(switches)) return -1;
        state = std::make_shared<SyncThreadState>();
        state->flags = SYNC_STOPPED;
        state->portName = "com5";
        state->dialogWindow = window;
        state->workerAlive = true;
        CWin32Error failure;
        if (!runtime.LaunchWorker(state, failure)) return -1;
        if (PcMsIntoNewYearsEve() > startMs) return -2;   // started too late to tell
        while (PcMsIntoNewYearsEve() < startMs) Sleep(1);
        runtime.SetWakeEvent();
        return StatusAfter(window, 5000);
    }

    const long long kMidnight = 24LL * 3600 * 1000;
    HWND window = nullptr;
    Win32SyncRuntime runtime;
    std::shared_ptr<SyncThreadState> state;
};

TEST_F(Midnight, ClockAlreadyPastMidnightSetsTheNewDay) {
    // The clock runs 300 ms ahead: its "00:00:00" comes at 23:59:59.7 on the PC.
    ASSERT_EQ(AttemptAt(kMidnight - 1000, "--align --lead 300"), IDS_TIME_SET);
    EXPECT_EQ(state->hour + state->minute + state->second, 0) << "the reply did not fall on midnight";
}

// The other side (PC past midnight, clock before it) would lie a second or
// more behind the PC, which Wine refuses too; the native tests cover it.

}  // namespace
