#include "sync/SyncThread_win32.h"

#include <process.h>

#include "clocklink/Win32Error.h"
#include "sync/SyncMessages.h"
#include "sync/SyncPlatform_win32.h"
#include "sync/SyncWorker.h"


void __cdecl SyncThreadProc(void* arg) {
    std::unique_ptr<std::shared_ptr<SyncThreadState>> handover(static_cast<std::shared_ptr<SyncThreadState>*>(arg));
    const std::shared_ptr<SyncThreadState> state = *handover;
    handover.reset();
    {
        RS232ClockPort port;
        Win32SystemClock clock;
        NamedWakeEvent event;
        PostingStatusSink sink(static_cast<HWND>(state->dialogWindow));
        RunSyncWorker(*state, SyncWorkerDeps{port, SystemTicker(), clock, event, sink});
    }  // the port is closed here, before Stop learns that the worker is gone
    state->workerAlive = false;
}

WakeEventHandle::WakeEventHandle() : handle_(CreateEventA(nullptr, FALSE, FALSE, WAKE_EVENT_NAME)) {}

WakeEventHandle::~WakeEventHandle() {
    if (handle_) CloseHandle(handle_);
}

bool Win32SyncRuntime::LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) {
    auto handover = std::make_unique<std::shared_ptr<SyncThreadState>>(state);
    if (_beginthread(SyncThreadProc, 0, handover.get()) == static_cast<uintptr_t>(-1L)) {
        failure = CWin32Error();
        return false;
    }
    handover.release();  // the thread owns it now
    return true;
}

void Win32SyncRuntime::SetWakeEvent() {
    SetEvent(wakeEvent_);
}

Ticker& Win32SyncRuntime::Clock() {
    return SystemTicker();
}
