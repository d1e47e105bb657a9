#include "sync/SyncWorker.h"

#include <cstring>

#include "clocklink/GpsClock.h"
#include "clocklink/SystemError.h"
#include "sync/ClockReply.h"
#include "sync/NearestDate.h"
#include "sync/StatusTexts.h"

namespace {

// A failure that ends the worker, with the Win32 code taken where it happened.
struct WorkerFailure {
    int status;
    uint32_t code;
};

enum class Next { Wait, Leave };

const uint32_t kReplyDeadlineMs = 1000;
const uint32_t kPollMs = 100;
const uint32_t kReplyBytes = 14;

class Attempt {
public:
    Attempt(SyncThreadState& state, const SyncWorkerDeps& deps) : state_(state), deps_(deps) {}

    Next Run() {
        if (!deps_.port.Open(state_.portName)) return Fail(IDS_OPEN_PORT_FAILED);

        uint32_t error = 0;
        if (!deps_.port.ApplyClockLineSettings(error)) throw WorkerFailure{IDS_INIT_PORT_FAILED, error};
        deps_.port.SendBreak();

        CDevice& device = deps_.port.Device();
        CGpsClock clock(deps_.ticker);
        clock.SendWithEcho(device, CMD_B0);
        if (!Drain()) return Next::Leave;
        clock.SendWithEcho(device, CMD_0DG);
        if (!Drain()) return Next::Leave;

        if (!state_.IsRunning()) return Next::Leave;
        if (!clock.SendWithEcho(device, CMD_TU)) return Fail(IDS_NO_ECHO);

        char reply[16];
        if (ReadReply(reply) < kReplyBytes) return Fail(IDS_READ_FAILED);

        const UtcTime now = deps_.clock.Now();
        ClockTimeOfDay time;
        if (ParseClockReply(reply, time) != ReplyParse::Ok) return Fail(IDS_PARSE_FAILED);

        const UtcTime target = PlaceTimeOfDay(now, time);
        if (!deps_.clock.Set(target, error)) throw WorkerFailure{IDS_SET_TIME_FAILED, error};

        state_.hour = target.hour;
        state_.minute = target.minute;
        state_.second = target.second;
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        deps_.sink.Post(IDS_TIME_SET, 0);
        deps_.sink.BroadcastTimeChange();
        return Next::Wait;
    }

private:
    Next Fail(int status) {
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED);
        deps_.sink.Post(status, 0);
        return Next::Wait;
    }

    // Throws away whatever the clock still sends; false when a stop came.
    bool Drain() {
        CDevice& device = deps_.port.Device();
        for (;;) {
            if (!state_.IsRunning()) return false;
            if (device.PeekRead() == 0) return true;
            deps_.ticker.Sleep(kPollMs);
            device.Flush();
        }
    }

    uint32_t ReadReply(char (&reply)[16]) {
        std::memset(reply, 0, sizeof reply);
        CDevice& device = deps_.port.Device();
        const uint32_t deadline = deps_.ticker.Now() + kReplyDeadlineMs;
        uint32_t received = 0;
        do {
            uint32_t count = 15 - received;
            if (!device.Read(reply + received, count)) count = 0;
            received += count;
            deps_.ticker.Sleep(kPollMs);
        } while (state_.IsRunning() && received < kReplyBytes &&
                 static_cast<int32_t>(deps_.ticker.Now() - deadline) < 0);  // safe across the tick wrap
        return received;
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
        deps.sink.Post(failure.status, failure.code);
    } catch (...) {
        const uint32_t code = GetLastErrorCode();
        state.lastError = code;
        deps.sink.Post(IDS_UNEXPECTED_ERROR, code);
    }
    state.flags = SYNC_STOPPED;
    deps.sink.Post(IDS_STOPPED, 0);
}
