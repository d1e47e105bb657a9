#include "sync/SyncWorker.h"

#include "clocklink/GpsClock.h"
#include "clocklink/SystemError.h"
#include "sync/NearestDate.h"
#include "sync/StatusTexts.h"

namespace {

// A failure that ends the worker, with the Win32 code taken where it happened.
struct WorkerFailure {
    int status;
    uint32_t code;
};

enum class Next { Wait, Leave };

using Clock = CGpsClock;

constexpr uint32_t kPauseStepMs = 100;

class Attempt {
public:
    Attempt(SyncThreadState& state, const SyncWorkerDeps& deps) : state_(state), deps_(deps) {}

    Next Run() {
        CDevice& port = deps_.port;
        if (!port.Open(state_.portName)) return Fail(IDS_OPEN_PORT_FAILED);

        uint32_t error = 0;
        if (!port.SetClockLine(error)) return FailOrEnd(IDS_INIT_PORT_FAILED, error);
        port.SendBreak();

        Clock clock(deps_.ticker);
        const Clock::Running running = [this] { return state_.IsRunning(); };
        for (const int32_t command : {CMD_B0, CMD_0DG}) {
            clock.SendWithEcho(port, command);
            const Clock::Drained drained = clock.Drain(port, running);
            if (drained == Clock::Drained::Stopped) return Next::Leave;
            // The line never fell quiet, so the time could not be read.
            if (drained == Clock::Drained::NeverQuiet) return Fail(IDS_READ_FAILED);
        }
        if (!clock.SendWithEcho(port, CMD_TU)) return Fail(IDS_NO_ECHO);

        ClockTimeOfDay time;
        const Clock::TimeRead read = clock.ReadTime(port, running, time);
        if (read == Clock::TimeRead::Short) return Fail(IDS_READ_FAILED);
        if (read == Clock::TimeRead::Unparseable) return Fail(IDS_PARSE_FAILED);

        const UtcTime now = deps_.clock.Now();
        const UtcTime target = PlaceTimeOfDay(now, time);
        if (!deps_.clock.Set(target, error)) return FailOrEnd(IDS_SET_TIME_FAILED, error);

        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        SyncStatus set;
        set.id = IDS_TIME_SET;
        set.hour = target.hour;
        set.minute = target.minute;
        set.second = target.second;
        set.offsetMs = MillisecondsBetween(now, target);
        deps_.sink.Post(set);
        deps_.sink.BroadcastTimeChange();
        return Next::Wait;
    }

private:
    Next Fail(int status, uint32_t error = 0) {
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED);
        deps_.sink.Post(SyncStatus{status, error});
        return Next::Wait;
    }

    // A failure that ends the window's worker.
    Next FailOrEnd(int status, uint32_t error) {
        if (state_.retryAfterMs == 0) throw WorkerFailure{status, error};
        state_.lastError = error;
        return Fail(status, error);
    }

    SyncThreadState& state_;
    const SyncWorkerDeps& deps_;
};

void Report(SyncThreadState& state, const SyncWorkerDeps& deps, int status, uint32_t code) {
    state.lastError = code;
    deps.sink.Post(SyncStatus{status, code});
}

// Sleeps in short steps so that a stop is seen at once.
void PauseWhileRunning(const SyncThreadState& state, Ticker& ticker, uint32_t ms) {
    for (uint32_t slept = 0; slept < ms && state.IsRunning(); slept += kPauseStepMs)
        ticker.Sleep(ms - slept < kPauseStepMs ? ms - slept : kPauseStepMs);
}

}  // namespace

void RunSyncWorker(SyncThreadState& state, const SyncWorkerDeps& deps) {
    const uint32_t retryMs = state.retryAfterMs;
    uint32_t error = 0;
    const bool opened = deps.event.Open(error);
    if (!opened) Report(state, deps, IDS_OPEN_EVENT_FAILED, error);
    if (opened || retryMs != 0) state.MarkWorkerStarted();

    while (state.IsRunning()) {
        try {
            if (!opened) {
                PauseWhileRunning(state, deps.ticker, retryMs);
            } else if (!deps.event.Wait(error)) {
                Report(state, deps, IDS_OPEN_EVENT_FAILED, error);
                if (retryMs == 0) break;
                PauseWhileRunning(state, deps.ticker, retryMs);
            }
            if (!state.IsRunning()) break;
            const Next next = Attempt(state, deps).Run();
            if (opened) deps.event.DropPending();   // before the running check, so a stop is never dropped
            if (next == Next::Leave) break;
        } catch (const WorkerFailure& failure) {
            Report(state, deps, failure.status, failure.code);
            break;
        } catch (...) {
            Report(state, deps, IDS_UNEXPECTED_ERROR, GetLastErrorCode());
            if (retryMs == 0) break;
        }
    }
    state.flags = SYNC_STOPPED;
    deps.sink.Post(SyncStatus{IDS_STOPPED, 0});
}
