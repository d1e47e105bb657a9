#include "sync/SyncControl.h"

#include "clocklink/Win32Error.h"
#include "res/TextPlaceholder.h"
#include "sync/Period.h"
#include "sync/StatusTexts.h"

SyncControl::SyncControl(SyncHost& host, SyncRuntime& runtime)
    : host_(host), runtime_(runtime), state_(std::make_shared<SyncThreadState>()) {}

// The worker keeps its share of the record, should it outlive the wait.
SyncControl::~SyncControl() {
    if (!state_->workerAlive) return;
    RequestStop();
    WaitForWorker(false);
}

void SyncControl::StartSync() {
    const int seconds = ParsePeriodSeconds(host_.PeriodText());
    if (seconds < 1) {
        host_.ShowMessage(IDS_PERIOD_TOO_SMALL, "");
        return;
    }
    const std::string port = host_.PortText();
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

    // Before the launch: what is still queued is the old worker's.
    host_.ClearStatusLog();
    auto state = std::make_shared<SyncThreadState>();
    state->flags = SYNC_STOPPED;
    state->dialogWindow = host_.DialogWindow();
    state->portName = port;
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

    host_.ArmPeriodTimer(PeriodMilliseconds(seconds));
    runtime_.SetWakeEvent();
    host_.UpdateControls();
}

void SyncControl::StopSync() {
    host_.KillPeriodTimer();
    RequestStop();
    WaitForWorker(true);
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
