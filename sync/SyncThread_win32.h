#pragma once
#include <windows.h>

#include <memory>

#include "sync/SyncControl.h"

// Thread entry: `arg` is a heap-allocated std::shared_ptr<SyncThreadState>
// that the thread takes over, so the record lives as long as its worker.
void __cdecl SyncThreadProc(void* arg);

// The dialog's handle of the named auto-reset wake-up event.
class WakeEventHandle {
public:
    WakeEventHandle();
    ~WakeEventHandle();
    WakeEventHandle(const WakeEventHandle&) = delete;
    WakeEventHandle& operator=(const WakeEventHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Starts workers with _beginthread and wakes them through the dialog's
// handle of the named event.
class Win32SyncRuntime : public SyncRuntime {
public:
    explicit Win32SyncRuntime(HANDLE wakeEvent) : wakeEvent_(wakeEvent) {}
    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override;
    void SetWakeEvent() override;
    Ticker& Clock() override;

private:
    HANDLE wakeEvent_;
};
