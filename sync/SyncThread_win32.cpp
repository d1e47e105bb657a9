#include "sync/SyncThread_win32.h"

#include <process.h>

#include "clocklink/Win32Error.h"
#include "sync/SyncPlatform_win32.h"
#include "sync/SyncWorker.h"

namespace {

// What the starting thread hands its worker: the shared record and the
// worker's own handle of the wake-up event (or why there is none).
struct WorkerHandover {
    std::shared_ptr<SyncThreadState> state;
    KernelHandle event;
    DWORD eventError;
};

void __cdecl SyncThreadProc(void* arg) {
    std::unique_ptr<WorkerHandover> handover(static_cast<WorkerHandover*>(arg));
    const std::shared_ptr<SyncThreadState> state = std::move(handover->state);
    {
        RS232ClockPort port;
        Win32SystemClock clock;
        HandedWakeEvent event(std::move(handover->event), handover->eventError);
        handover.reset();
        PostingStatusSink sink(static_cast<HWND>(state->dialogWindow));
        RunSyncWorker(*state, SyncWorkerDeps{port, SystemTicker(), clock, event, sink});
    }  // the port is closed here, before Stop learns that the worker is gone
    state->workerAlive = false;
}

class SentMessageTicker : public Ticker {
public:
    uint32_t Now() override { return SystemTicker().Now(); }
    void Sleep(uint32_t ms) override {
        const uint32_t start = Now();
        for (uint32_t elapsed = 0; elapsed < ms; elapsed = Now() - start) {
            MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_SENDMESSAGE, 0);
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);   // answers them
        }
    }
};

}  // namespace

Win32SyncRuntime::Win32SyncRuntime() : wakeEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

bool Win32SyncRuntime::LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) {
    auto handover = std::make_unique<WorkerHandover>(WorkerHandover{state, KernelHandle(), ERROR_SUCCESS});
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, wakeEvent_.Get(), self, handover->event.Put(), SYNCHRONIZE | EVENT_MODIFY_STATE,
                         FALSE, 0))
        handover->eventError = GetLastError();   // the worker reports it
    if (_beginthread(SyncThreadProc, 0, handover.get()) == static_cast<uintptr_t>(-1L)) {
        failure = CWin32Error();
        return false;
    }
    handover.release();  // the thread owns it now
    return true;
}

void Win32SyncRuntime::SetWakeEvent() {
    SetEvent(wakeEvent_.Get());
}

Ticker& Win32SyncRuntime::Clock() {
    static SentMessageTicker ticker;
    return ticker;
}
