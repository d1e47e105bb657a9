#pragma once
#include <windows.h>

#include "sync/SyncControl.h"
#include "window/Handles_win32.h"

// Starts workers with _beginthread and wakes them through this instance's own
// unnamed auto-reset event; each worker waits on a duplicate of it.
class Win32SyncRuntime : public SyncRuntime {
public:
    Win32SyncRuntime();

    // False when the event could not be made.
    bool Ready() const { return static_cast<bool>(wakeEvent_); }

    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override;
    void SetWakeEvent() override;
    // Its sleeps answer messages sent to this thread's windows, so a worker
    // broadcasting the time change is never held up by Stop's wait.
    Ticker& Clock() override;

private:
    KernelHandle wakeEvent_;
};
