#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "clocklink/Ticker.h"
#include "sync/Period.h"
#include "sync/StatusLine.h"
#include "sync/SyncStatus.h"
#include "sync/SyncThreadState.h"

class CWin32Error;
class SyncControl;

// What synchronisation shows through the main dialog.
class SyncHost {
public:
    virtual ~SyncHost() = default;
    virtual void ShowMessage(int stringId, const std::string& suffix) = 0;
    virtual void ClearStatusLog() = 0;
    virtual void LogStatus(const std::string& line) = 0;
    virtual void ShowStatusBoxText(const std::string& text) = 0;
    virtual void ArmPeriodTimer(uint32_t milliseconds) = 0;
    virtual void KillPeriodTimer() = 0;
    virtual void UpdateControls() = 0;
    // A worker's status, after its line was logged.
    virtual void OnResult(const SyncStatus& /*status*/, const std::string& /*line*/) {}
};

// Starting the worker thread, waking it and bringing its statuses back to
// the user-interface thread.
class SyncRuntime {
public:
    virtual ~SyncRuntime() = default;
    // Statuses arriving go to `control` (none: null).
    virtual void Attach(SyncControl* control) = 0;
    // Drops statuses still queued from an earlier worker, then starts one.
    virtual bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) = 0;
    virtual void SetWakeEvent() = 0;
    virtual Ticker& Clock() = 0;
    // Whether Windows Time sets this PC's clock from the network too.
    virtual bool WindowsTimeSyncsFromNetwork() = 0;
};

// How the worker sets the clock, from the settings.
struct SyncOptions {
    bool precise = true;            // from the offset estimate rather than to the whole second
    int64_t maxStepMs = kDefaultMaxStepMs;   // a larger step needs the clock to say it three times (0: any)
    bool feedsWindowsTime = false;  // the estimate goes to Windows Time, which sets the clock
};

// The synchronisation runtime on the user-interface thread: Start, Stop, the
// period tick and the statuses the worker sends back.
class SyncControl {
public:
    static constexpr uint32_t kStopWaitMs = 1000;
    static constexpr uint32_t kStopPollMs = 100;
    // ERROR_PRIVILEGE_NOT_HELD: a set refused to a user without the right.
    static constexpr uint32_t kPrivilegeNotHeld = 1314;

    // retryFailures: workers report the failures that end the window's
    // worker and try again at the next tick, as a service must.
    SyncControl(SyncHost& host, SyncRuntime& runtime, StringLookup lookup, bool retryFailures = false);
    // Waits, like Stop, for a running worker, so the program never ends in
    // the middle of an attempt.
    ~SyncControl();
    SyncControl(const SyncControl&) = delete;
    SyncControl& operator=(const SyncControl&) = delete;

    void StartSync(const std::string& periodText, const std::string& portText, const SyncOptions& options = {});
    void StopSync();
    void OnPeriodTick() { runtime_.SetWakeEvent(); }
    void OnStatus(const SyncStatus& status);

    // The record of the current (or last) worker.
    const SyncThreadState& State() const { return *state_; }

private:
    void RequestStop();
    void LogText(int id, const char* fallback);
    // Up to kStopWaitMs for the worker to end.
    void WaitForWorker(bool showCountdown);

    SyncHost& host_;
    SyncRuntime& runtime_;
    StringLookup lookup_;
    bool retryFailures_;
    std::shared_ptr<SyncThreadState> state_;
};
