#include "sync/SyncThread_win32.h"

#include <process.h>

#include "clocklink/Win32Error.h"
#include "sync/SyncMessages.h"
#include "sync/SyncPlatform_win32.h"
#include "sync/SyncWorker.h"
#include "sync/WindowsTimeRival_win32.h"

namespace {

// What the starting thread hands its worker: the shared record and the
// worker's own handle of the wake-up event (or why there is none).
struct WorkerHandover {
    std::shared_ptr<SyncThreadState> state;
    KernelHandle event;
    DWORD eventError;
    HWND statusWindow;
    std::shared_ptr<StatusQueue> queue;
    StatusSink* sink;   // null: queue and post to statusWindow
    OffsetFeed* feed;
};

void __cdecl SyncThreadProc(void* arg) {
    std::unique_ptr<WorkerHandover> handover(static_cast<WorkerHandover*>(arg));
    const std::shared_ptr<SyncThreadState> state = std::move(handover->state);
    {
        CDeviceRS232 port;
        Win32SystemClock clock;
        HandedWakeEvent event(std::move(handover->event), handover->eventError);
        PostingStatusSink posting(handover->statusWindow, std::move(handover->queue));
        StatusSink& sink = handover->sink ? *handover->sink : posting;
        SyncWorkerDeps deps{port, SystemTicker(), clock, event, sink};
        UseClockResolution(deps);
        deps.feed = handover->feed;
        handover.reset();
        RunSyncWorker(*state, deps);
    }  // the port is closed here, before Stop learns that the worker is gone
    state->workerAlive = false;
}

class SentMessageTicker : public Ticker {
public:
    uint32_t Now() override { return SystemTicker().Now(); }
    int64_t CounterUs() override { return SystemTicker().CounterUs(); }
    void Sleep(uint32_t ms) override {
        const uint32_t start = Now();
        for (uint32_t elapsed = 0; elapsed < ms; elapsed = Now() - start) {
            MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_SENDMESSAGE, 0);
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);   // answers them
        }
    }
};

const char kStatusWindowClass[] = SYNC_STATUS_WINDOW_CLASS;

HWND CreateStatusWindow(Win32SyncRuntime* owner, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kStatusWindowClass;
    RegisterClassA(&wc);   // fails harmlessly when a second runtime registers it again
    return CreateWindowExA(0, kStatusWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, owner);
}

}  // namespace

Win32SyncRuntime::Win32SyncRuntime(StatusSink* workerSink)
    : wakeEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      window_(CreateStatusWindow(this, StatusProc)),
      workerSink_(workerSink) {}

LRESULT CALLBACK Win32SyncRuntime::StatusProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32SyncRuntime*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (msg == WM_SYNC_STATUS && self != nullptr) {
        // A status may open a message box, whose loop drains the rest meanwhile.
        SyncStatus status;
        while (self->control_ != nullptr && self->queue_->Pop(status)) self->control_->OnStatus(status);
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

bool Win32SyncRuntime::LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) {
    // What is still queued is the old worker's (its 167 above all): the new
    // log starts without it, in a queue of the new worker's.
    queue_ = std::make_shared<StatusQueue>();
    auto handover = std::make_unique<WorkerHandover>(
        WorkerHandover{state, KernelHandle(), ERROR_SUCCESS, window_.get(), queue_, workerSink_, feed_});
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

bool Win32SyncRuntime::WindowsTimeSyncsFromNetwork() {
    return ::WindowsTimeSyncsFromNetwork();
}
