#pragma once
#include <windows.h>

#include <memory>

#include "sync/OffsetFeed.h"
#include "sync/StatusQueue.h"
#include "sync/SyncControl.h"
#include "sync/WorkerSeams.h"
#include "window/Handles_win32.h"

// Starts workers with _beginthread, wakes them through this instance's own
// unnamed auto-reset event (each worker waits on a duplicate of it) and
// receives their statuses through a queue of each worker's, drained by a
// message-only window of its own, which hands each to the attached
// SyncControl on the user-interface thread. Given a
// sink of their own (a service's log), workers report there directly instead.
class Win32SyncRuntime : public SyncRuntime {
public:
    explicit Win32SyncRuntime(StatusSink* workerSink = nullptr);

    // False when the event or the window could not be made.
    bool Ready() const { return wakeEvent_ && window_; }

    void Attach(SyncControl* control) override { control_ = control; }
    // Workers launched from now on hand their estimates here instead of
    // setting the clock (none: they set it).
    void SetFeed(OffsetFeed* feed) { feed_ = feed; }
    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override;
    void SetWakeEvent() override;
    // Its sleeps answer messages sent to this thread's windows, so a worker
    // broadcasting the time change is never held up by Stop's wait.
    Ticker& Clock() override;
    bool WindowsTimeSyncsFromNetwork() override;

    HWND StatusWindow() const { return window_.get(); }

private:
    struct WindowDestroyer {
        void operator()(HWND window) const { DestroyWindow(window); }
    };
    static LRESULT CALLBACK StatusProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);

    KernelHandle wakeEvent_;
    std::unique_ptr<HWND__, WindowDestroyer> window_;
    // The current worker's; an earlier worker's statuses stay in its own.
    std::shared_ptr<StatusQueue> queue_ = std::make_shared<StatusQueue>();
    SyncControl* control_ = nullptr;
    StatusSink* workerSink_;
    OffsetFeed* feed_ = nullptr;
};
