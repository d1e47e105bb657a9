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

// Readings of one attempt: more while the estimate is wider than wanted.
const int kMaxReadings = 8;
// Wider, and Windows Time gets no sample.
const int64_t kFeedWidthMs = 500;

class Attempt {
public:
    Attempt(SyncThreadState& state, const SyncWorkerDeps& deps, OffsetEstimator& estimator)
        : state_(state), deps_(deps), estimator_(estimator) {}

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
        SyncStatus set;
        set.id = IDS_TIME_SET;
        UtcTime target;
        if (state_.precise) {
            estimator_.StartAttempt();
            for (int reading = 0; reading < kMaxReadings; ++reading) {
                if (reading > 0 && estimator_.Settled()) break;
                const int status = Read(clock, running, set.offsetRestarted);
                if (status == IDS_STOPPED) return Next::Leave;
                if (status != 0) return Fail(status);
            }
            const int64_t now = UtcMilliseconds(deps_.clock.Now());
            set.offsetMs = estimator_.OffsetMs();
            set.offsetWithinMs = (estimator_.WidthMs() + 1) / 2;
            if (deps_.feed) return Feed(set, now);
            target = UtcFromMilliseconds(now - set.offsetMs);
        } else {
            if (!clock.SendWithEcho(port, CMD_TU)) return Fail(IDS_NO_ECHO);
            ClockTimeOfDay time;
            const Clock::TimeRead read = clock.ReadTime(port, running, time);
            if (read != Clock::TimeRead::Ok) return Fail(ReadFailure(read));
            const UtcTime now = deps_.clock.Now();
            target = PlaceTimeOfDay(now, time);
            set.offsetMs = UtcMilliseconds(now) - UtcMilliseconds(target);
        }
        if (!deps_.clock.Set(target, error)) return FailOrEnd(IDS_SET_TIME_FAILED, error);
        if (state_.precise) estimator_.Shift(-set.offsetMs);

        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        set.hour = target.hour;
        set.minute = target.minute;
        set.second = target.second;
        deps_.sink.Post(set);
        deps_.sink.BroadcastTimeChange();
        return Next::Wait;
    }

private:
    // Someone else sets the clock from the estimate, once it is narrow enough.
    Next Feed(SyncStatus sample, int64_t nowMs) {
        if (estimator_.WidthMs() > kFeedWidthMs) {
            sample.id = IDS_SAMPLE_TOO_WIDE;
            state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED);
            deps_.sink.Post(sample);
            return Next::Wait;
        }
        const int64_t k100nsPerMs = 10000, kUnixEpochIn1601Ms = 11644473600000;
        OffsetSample out;
        out.pcTime = (nowMs + kUnixEpochIn1601Ms) * k100nsPerMs;
        out.offset = -sample.offsetMs * k100nsPerMs;
        out.dispersion = sample.offsetWithinMs * k100nsPerMs;
        uint32_t error = 0;
        if (!deps_.feed->Send(out, error)) return Fail(IDS_SAMPLE_NOT_TAKEN, error);
        sample.id = IDS_SAMPLE_SENT;
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        deps_.sink.Post(sample);
        return Next::Wait;
    }

    static int ReadFailure(Clock::TimeRead read) {
        return read == Clock::TimeRead::Short ? IDS_READ_FAILED : IDS_PARSE_FAILED;
    }

    // One timed reply into the estimate, sent where it best splits it: 0,
    // IDS_STOPPED on a stop, or the failure's status.
    int Read(Clock& clock, const Clock::Running& running, bool& restarted) {
        for (uint32_t wait = estimator_.ProbeDelayMs(UtcMilliseconds(deps_.clock.Now())); wait > 0;) {
            if (!running()) return IDS_STOPPED;
            const uint32_t step = wait < Clock::kWaitPollMs ? wait : Clock::kWaitPollMs;
            deps_.ticker.Sleep(step);
            wait -= step;
        }
        const uint32_t sent = deps_.ticker.Now();
        if (!clock.SendWithEcho(deps_.port, CMD_TU)) return IDS_NO_ECHO;
        Clock::ReplyTiming timing;
        timing.notYetSeen = clock.LastWriteTick();   // no reply before the command
        ClockTimeOfDay time;
        const Clock::TimeRead read = clock.ReadTime(deps_.port, running, time, deps_.finePollMs, &timing);
        if (read != Clock::TimeRead::Ok) return ReadFailure(read);

        const UtcTime now = deps_.clock.Now();
        const int64_t nowMs = UtcMilliseconds(now);
        const uint32_t tick = deps_.ticker.Now();
        const auto pcAt = [&](uint32_t at) { return nowMs - static_cast<int64_t>(static_cast<uint32_t>(tick - at)); };
        ClockReading r;
        r.sent = pcAt(sent);
        r.notYetSeen = pcAt(timing.notYetSeen);
        r.seen = pcAt(timing.seen);
        r.namedSecond = UtcMilliseconds(PlaceTimeOfDay(now, time));
        r.tick = timing.seen;
        if (!estimator_.Add(r)) restarted = true;
        return 0;
    }

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
    OffsetEstimator& estimator_;
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
    OffsetEstimator own;
    OffsetEstimator& estimator = deps.estimator ? *deps.estimator : own;
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
            const Next next = Attempt(state, deps, estimator).Run();
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
