#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "clocklink/Ticker.h"
#include "sync/SyncThreadState.h"

class CWin32Error;

// What Start and Stop need from the main dialog.
class SyncHost {
public:
    virtual ~SyncHost() = default;
    virtual std::string PeriodText() = 0;     // after taking the control values
    virtual std::string PortText() = 0;
    virtual void* DialogWindow() = 0;
    virtual void ShowMessage(int stringId, const std::string& suffix) = 0;
    virtual void ClearStatusLog() = 0;
    virtual void ShowStatusBoxText(const std::string& text) = 0;
    virtual void ArmPeriodTimer(uint32_t milliseconds) = 0;
    virtual void KillPeriodTimer() = 0;
    virtual void UpdateControls() = 0;
};

// Starting the worker thread and waking it.
class SyncRuntime {
public:
    virtual ~SyncRuntime() = default;
    virtual bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) = 0;
    virtual void SetWakeEvent() = 0;
    virtual Ticker& Clock() = 0;
};

// Start and Stop of synchronisation, on the user-interface thread.
class SyncControl {
public:
    static constexpr uint32_t kStopWaitMs = 1000;
    static constexpr uint32_t kStopPollMs = 100;

    SyncControl(SyncHost& host, SyncRuntime& runtime);
    // Waits, like Stop, for a running worker, so the program never ends in
    // the middle of an attempt.
    ~SyncControl();

    void StartSync();
    void StopSync();
    // A tick of the period timer.
    void OnPeriodTick() { runtime_.SetWakeEvent(); }

    // The record of the current (or last) worker.
    const SyncThreadState& State() const { return *state_; }

private:
    void RequestStop();
    // Up to kStopWaitMs for the worker to end.
    void WaitForWorker(bool showCountdown);

    SyncHost& host_;
    SyncRuntime& runtime_;
    std::shared_ptr<SyncThreadState> state_;
};
