#pragma once
// The worker's seams over the real platform: system clock, wake-up event
// and posted status messages.
#include <windows.h>

#include <memory>

#include "clocklink/DeviceRS232_win32.h"
#include "sync/StatusQueue.h"
#include "sync/SyncMessages.h"
#include "sync/SyncWorker.h"
#include "sync/SystemClock.h"
#include "sync/WorkerSeams.h"
#include "window/Handles_win32.h"

class Win32SystemClock : public SystemClock {
public:
    // Where Windows has it (8 and later), the precise time; else the one
    // that moves in 15.6 ms steps.
    static bool Precise() { return PreciseTime() != nullptr; }
    int64_t NowUs() override {
        FILETIME ft;
        if (PreciseTime()) PreciseTime()(&ft);
        else GetSystemTimeAsFileTime(&ft);
        const int64_t since1601 = static_cast<int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
        return since1601 / 10 - 11644473600000000;
    }
    UtcTime Now() override {
        SYSTEMTIME st;
        GetSystemTime(&st);
        UtcTime t;
        t.year = st.wYear;
        t.month = st.wMonth;
        t.dayOfWeek = st.wDayOfWeek;
        t.day = st.wDay;
        t.hour = st.wHour;
        t.minute = st.wMinute;
        t.second = st.wSecond;
        t.milliseconds = st.wMilliseconds;
        return t;
    }
    bool Set(const UtcTime& t, uint32_t& error) override {
        SYSTEMTIME st;
        st.wYear = static_cast<WORD>(t.year);
        st.wMonth = static_cast<WORD>(t.month);
        st.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
        st.wDay = static_cast<WORD>(t.day);
        st.wHour = static_cast<WORD>(t.hour);
        st.wMinute = static_cast<WORD>(t.minute);
        st.wSecond = static_cast<WORD>(t.second);
        st.wMilliseconds = static_cast<WORD>(t.milliseconds);
        if (SetSystemTime(&st)) return true;
        error = GetLastError();
        return false;
    }

private:
    using PreciseFn = void(WINAPI*)(LPFILETIME);
    static PreciseFn PreciseTime() {
        // kernel32 is loaded in every process, from the system folder.
        static const PreciseFn fn = reinterpret_cast<PreciseFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
        return fn;
    }
};

// How finely this PC tells when things happen: with the precise time and
// the performance counter, to a few microseconds; else to the 15.6 ms steps
// of the ordinary system time.
inline void UseClockResolution(SyncWorkerDeps& deps) {
    deps.timerStepUs = deps.pairErrorUs = Win32SystemClock::Precise() ? 50 : 16000;
}

// The worker's own handle of its runtime's unnamed wake-up event, duplicated
// before the thread started (null, with the reason, when that failed). Being
// unnamed, no other process can squat, signal or steal it.
class HandedWakeEvent : public WakeEvent {
public:
    HandedWakeEvent(KernelHandle handle, DWORD error) : handle_(std::move(handle)), error_(error) {}

    bool Open(uint32_t& error) override {
        if (handle_) return true;
        error = error_;
        return false;
    }
    bool Wait(uint32_t& error) override {
        if (WaitForSingleObject(handle_.Get(), INFINITE) == WAIT_OBJECT_0) return true;
        error = GetLastError();
        return false;
    }
    void DropPending() override { ResetEvent(handle_.Get()); }

private:
    KernelHandle handle_;
    DWORD error_;
};

// A top-level window that does not answer within this time is skipped, so a
// hung program (or the dialog busy in Stop's wait) cannot hold the worker.
constexpr UINT kBroadcastTimeoutMs = 1000;

inline void BroadcastTimeChangeToWindows() {
    SendMessageTimeoutA(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kBroadcastTimeoutMs,
                        nullptr);
}

// Queues each status whole and tells the receiver to take it.
class PostingStatusSink : public StatusSink {
public:
    PostingStatusSink(HWND receiver, std::shared_ptr<StatusQueue> queue) : receiver_(receiver), queue_(std::move(queue)) {}
    void Post(const SyncStatus& status) override {
        queue_->Push(status);
        PostMessageA(receiver_, WM_SYNC_STATUS, 0, 0);
    }
    void BroadcastTimeChange() override { BroadcastTimeChangeToWindows(); }

private:
    HWND receiver_;
    std::shared_ptr<StatusQueue> queue_;
};

