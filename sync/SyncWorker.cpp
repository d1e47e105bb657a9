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

class Attempt {
public:
    Attempt(SyncThreadState& state, const SyncWorkerDeps& deps) : state_(state), deps_(deps) {}

    Next Run() {
        CDevice& port = deps_.port;
        if (!port.Open(state_.portName)) return Fail(IDS_OPEN_PORT_FAILED);

        uint32_t error = 0;
        if (!port.SetClockLine(error)) throw WorkerFailure{IDS_INIT_PORT_FAILED, error};
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

        const UtcTime target = PlaceTimeOfDay(deps_.clock.Now(), time);
        if (!deps_.clock.Set(target, error)) throw WorkerFailure{IDS_SET_TIME_FAILED, error};

        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        SyncStatus set;
        set.id = IDS_TIME_SET;
        set.hour = target.hour;
        set.minute = target.minute;
        set.second = target.second;
        deps_.sink.Post(set);
        deps_.sink.BroadcastTimeChange();
        return Next::Wait;
    }

private:
    Next Fail(int status) {
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED);
        deps_.sink.Post(SyncStatus{status, 0});
        return Next::Wait;
    }

    SyncThreadState& state_;
    const SyncWorkerDeps& deps_;
};

}  // namespace

void RunSyncWorker(SyncThreadState& state, const SyncWorkerDeps& deps) {
    try {
        uint32_t error = 0;
        if (!deps.event.Open(error)) throw WorkerFailure{IDS_OPEN_EVENT_FAILED, error};
        state.MarkWorkerStarted();

        while (state.IsRunning()) {
            if (!deps.event.Wait(error)) throw WorkerFailure{IDS_OPEN_EVENT_FAILED, error};
            if (!state.IsRunning()) break;
            const Next next = Attempt(state, deps).Run();
            deps.event.DropPending();   // before the running check, so a stop is never dropped
            if (next == Next::Leave) break;
        }
    } catch (const WorkerFailure& failure) {
        state.lastError = failure.code;
        deps.sink.Post(SyncStatus{failure.status, failure.code});
    } catch (...) {
        const uint32_t code = GetLastErrorCode();
        state.lastError = code;
        deps.sink.Post(SyncStatus{IDS_UNEXPECTED_ERROR, code});
    }
    state.flags = SYNC_STOPPED;
    deps.sink.Post(SyncStatus{IDS_STOPPED, 0});
}
