#include "sync/SyncControl.h"

#include "clocklink/Win32Error.h"
#include "res/TextPlaceholder.h"
#include "sync/Period.h"
#include "sync/StatusTexts.h"

SyncControl::SyncControl(SyncHost& host, SyncRuntime& runtime, StringLookup lookup, bool retryFailures)
    : host_(host), runtime_(runtime), lookup_(std::move(lookup)), retryFailures_(retryFailures), state_(std::make_shared<SyncThreadState>()) {
    runtime_.Attach(this);
}

// The worker keeps its share of the record, should it outlive the wait.
SyncControl::~SyncControl() {
    runtime_.Attach(nullptr);
    if (!state_->workerAlive) return;
    RequestStop();
    WaitForWorker(false);
}

void SyncControl::StartSync(const std::string& periodText, const std::string& port, const SyncOptions& options) {
    const int seconds = ParsePeriodSeconds(periodText);
    if (seconds < 1) {
        host_.ShowMessage(IDS_PERIOD_TOO_SMALL, "");
        return;
    }
    if (port.empty()) {
        host_.ShowMessage(IDS_NO_PORT, "");
        return;
    }

    StopSync();
    // The stop request cannot be undone by the old worker, so "still running"
    // means it has not quit within the wait; it would still hold the port.
    if (state_->IsRunning() || state_->workerAlive) {
        host_.ShowMessage(IDS_INTERNAL_ERROR, "");
        return;
    }

    host_.ClearStatusLog();
    auto state = std::make_shared<SyncThreadState>();
    state->flags = SYNC_STOPPED;
    state->portName = port;
    state->retryAfterMs = retryFailures_ ? PeriodMilliseconds(seconds) : 0;
    state->periodMs = PeriodMilliseconds(seconds);
    state->precise = options.precise;
    state->maxStepMs = options.maxStepMs;
    state->workerAlive = true;
    state_ = state;

    CWin32Error failure;
    failure.Clear();
    if (!runtime_.LaunchWorker(state_, failure)) {
        state_->workerAlive = false;
        std::string description;
        failure.Describe(description);
        host_.ShowMessage(IDS_THREAD_FAILED, description);
        return;
    }

    // Two keepers of one clock undo each other's sets.
    if (!options.feedsWindowsTime && runtime_.WindowsTimeSyncsFromNetwork()) LogText(IDS_WINDOWS_TIME_RIVAL, TEXT_WINDOWS_TIME_RIVAL);
    host_.ArmPeriodTimer(PeriodMilliseconds(seconds));
    runtime_.SetWakeEvent();
    host_.UpdateControls();
}

void SyncControl::LogText(int id, const char* fallback) {
    std::string text;
    if (!lookup_(id, text)) text = fallback;
    host_.LogStatus(text);
}

void SyncControl::StopSync() {
    host_.KillPeriodTimer();
    RequestStop();
    WaitForWorker(true);
    host_.UpdateControls();
}

void SyncControl::OnStatus(const SyncStatus& status) {
    const std::string line = StatusLineText(status, lookup_);
    host_.LogStatus(line);
    host_.OnResult(status, line);
    // Refused for want of the privilege, which the service holds.
    if (status.id == IDS_SET_TIME_FAILED && status.error == kPrivilegeNotHeld) LogText(IDS_INSTALL_SERVICE, TEXT_INSTALL_SERVICE);
    host_.UpdateControls();
}

void SyncControl::RequestStop() {
    state_->RequestStop();
    runtime_.SetWakeEvent();
}

void SyncControl::WaitForWorker(bool showCountdown) {
    Ticker& clock = runtime_.Clock();
    const uint32_t start = clock.Now();
    while (state_->workerAlive) {
        const uint32_t elapsed = clock.Now() - start;
        if (elapsed >= kStopWaitMs) return;
        if (showCountdown) {
            host_.ShowStatusBoxText(ReplaceNumberPlaceholder(TEXT_WAITING_FOR_THREAD, static_cast<long>(kStopWaitMs - elapsed)));
        }
        clock.Sleep(kStopPollMs);
    }
}
