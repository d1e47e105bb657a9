#include "sync/SyncWorker.h"

#include <string>

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
const uint32_t kReplyBytes = 14;        // fewer than this in time: nothing worth parsing came
const uint32_t kReplyBufferBytes = 64;  // room for stray bytes ahead of the reply
const uint32_t kDrainLimitMs = 3000;    // a clock that will not fall quiet is not answering us

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
        Next next = Next::Wait;
        clock.SendWithEcho(device, CMD_B0);
        if (!Drain(next)) return next;
        clock.SendWithEcho(device, CMD_0DG);
        if (!Drain(next)) return next;

        if (!state_.IsRunning()) return Next::Leave;
        if (!clock.SendWithEcho(device, CMD_TU)) return Fail(IDS_NO_ECHO);

        const std::string reply = ReadReply();
        if (reply.size() < kReplyBytes) return Fail(IDS_READ_FAILED);

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

    // Throws away whatever the clock still sends. False ends the attempt, and
    // `next` says how: a stop came, or the line never fell quiet (the time
    // could not be read, so 158).
    bool Drain(Next& next) {
        CDevice& device = deps_.port.Device();
        const uint32_t deadline = deps_.ticker.Now() + kDrainLimitMs;
        for (;;) {
            if (!state_.IsRunning()) {
                next = Next::Leave;
                return false;
            }
            if (device.PeekRead() == 0) return true;
            if (DeadlineReached(deps_.ticker.Now(), deadline)) {
                next = Fail(IDS_READ_FAILED);
                return false;
            }
            deps_.ticker.Sleep(kPollMs);
            device.Flush();
        }
    }

    // Reads until the reply's line has ended, the buffer is full, the
    // deadline passes or a stop comes. Stray bytes ahead of the reply can
    // push its end past 14 bytes, so 14 alone do not end the read.
    std::string ReadReply() {
        CDevice& device = deps_.port.Device();
        const uint32_t deadline = deps_.ticker.Now() + kReplyDeadlineMs;
        std::string received;
        char buffer[kReplyBufferBytes];
        do {
            uint32_t count = kReplyBufferBytes - static_cast<uint32_t>(received.size());
            if (!device.Read(buffer, count)) count = 0;
            received.append(buffer, count);
            deps_.ticker.Sleep(kPollMs);
        } while (state_.IsRunning() && received.size() < kReplyBufferBytes &&
                 (received.size() < kReplyBytes || !ClockReplyEnded(received)) &&
                 !DeadlineReached(deps_.ticker.Now(), deadline));
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
