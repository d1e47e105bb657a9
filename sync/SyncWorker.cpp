#include "sync/SyncWorker.h"

#include <algorithm>

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
using Estimate = OffsetEstimator::Estimate;
using Verdict = OffsetEstimator::Verdict;

constexpr uint32_t kPauseStepMs = 100;
constexpr int64_t kMsUs = 1000;
constexpr int64_t kSecondUs = OffsetEstimator::kSecondUs;

// Readings of one attempt: more while the estimate is wider than wanted and
// time allows.
constexpr int kMaxReadings = 8;
constexpr int64_t kWantedUs = 30000;   // or what the clocks' resolution allows
constexpr int64_t kAttemptUs = 3 * kSecondUs;   // from the first time command
constexpr int64_t kTickMarginUs = 100000;       // an attempt ends this long before the next wake-up
// A larger step than MaxStep, as the first set, needs this many readings
// that agree, each at least a second after the one before.
constexpr int kConfirmations = 3;
// Wider, and Windows Time gets no sample.
constexpr int64_t kFeedWidthUs = 500000;
// A reply that keeps coming within this of the same moment counts as having
// said the same offset again.
constexpr int64_t kSameOffsetUs = kSecondUs;

// A status meaning "read again": the PC clock was stepped during a reading.
constexpr int kStepped = -1;
// The reply did not come before the attempt must end.
constexpr int kGivenUp = -2;

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

// What a worker loop carries from one attempt to the next.
struct Carried {
    Stamp last;   // where the PC clock was against the counter, as far as we moved it
    bool haveLast = false, stepReported = false;
    int sets = 0;   // since the worker started
    // A step beyond MaxStep said by attempts running: how often, and the last.
    int largeRuns = 0;
    int64_t largeOffsetUs = 0;
    Stamp largeAt;
    // The slowest of the recent replies, for what the next reading may
    // cost: a clock may answer at once at one phase of the second and late
    // at another.
    int64_t delaysUs[8] = {};
    int delays = 0;
    int64_t SlowestUs() const {
        if (delays == 0) return OffsetEstimator::kSecondUs;
        int64_t slowest = 0;
        for (int i = 0; i < delays && i < 8; ++i) slowest = std::max(slowest, delaysUs[i]);
        return slowest;
    }
};

class Attempt {
public:
    Attempt(SyncThreadState& state, const SyncWorkerDeps& deps, OffsetEstimator& estimator, Carried& carried)
        : state_(state), deps_(deps), estimator_(estimator), carried_(carried) {}

    Next Run() {
        wake_ = Now();
        CDevice& port = deps_.port;
        if (!port.Open(state_.portName)) return Fail(IDS_OPEN_PORT_FAILED);

        uint32_t error = 0;
        if (!port.SetClockLine(error)) return FailOrEnd(IDS_INIT_PORT_FAILED, error);
        port.SendBreak();

        Clock clock(deps_.ticker);
        const Clock::Running running = [this] { return state_.IsRunning(); };
        for (const int32_t command : {CMD_B0, CMD_0DG}) {
            const int64_t from = deps_.ticker.CounterUs();
            clock.SendWithEcho(port, command);
            // The time command has four characters: twice as many as "b0".
            if (command == CMD_B0) echoUs_ = 2 * (deps_.ticker.CounterUs() - from);
            const Clock::Drained drained = clock.Drain(port, running);
            if (drained == Clock::Drained::Stopped) return Next::Leave;
            // The line never fell quiet, so the time could not be read.
            if (drained == Clock::Drained::NeverQuiet) return Fail(IDS_READ_FAILED);
        }
        return state_.precise ? FromEstimate(clock, running) : ToWholeSecond(clock, running);
    }

private:
    Stamp Now() {
        Stamp s;
        s.counter = deps_.ticker.CounterUs();
        s.pc = deps_.clock.NowUs();
        return s;
    }

    bool TooLarge(int64_t offsetUs) const {
        return state_.maxStepMs > 0 && Abs(offsetUs) > state_.maxStepMs * kMsUs;
    }

    // The sets from the estimate: readings placed where they best narrow it,
    // as many as time allows, then the set from its likeliest point.
    Next FromEstimate(Clock& clock, const Clock::Running& running) {
        const int64_t periodEnd = state_.periodMs ? wake_.counter + state_.periodMs * kMsUs - kTickMarginUs : INT64_MAX;
        int64_t end = periodEnd, lastCounted = INT64_MIN / 2;
        int confirmed = 0, replies = 0;
        bool restarted = false;
        for (int reading = 0; reading < kMaxReadings + kConfirmations; ++reading) {
            const Stamp now = Now();
            const Estimate e = estimator_.At(now);
            // A first step beyond MaxStep is confirmed by readings a second apart.
            const bool confirming = e.known && TooLarge(e.point) && carried_.sets == 0;
            if (confirming ? confirmed >= kConfirmations
                           : reading >= kMaxReadings ||
                                 (replies > 0 && e.known && !estimator_.HasSuspect() &&
                                  e.truth.Width() <= std::max(kWantedUs, 4 * (deps_.timerStepUs + deps_.pairErrorUs))))
                break;
            // A reading must end before the attempt's end: once two replies
            // agree, none is started that cannot.
            const int64_t deadline = std::min(end, periodEnd);
            const auto fits = [&](int64_t at) {
                return deadline == INT64_MAX || now.counter + (at - now.pc) + echoUs_ + ReplyUs(now, at) <= deadline;
            };
            const int64_t reach =
                deadline == INT64_MAX ? INT64_MAX : now.pc + (deadline - now.counter - echoUs_ - ReplyUs(now, now.pc));
            int64_t sendAt = estimator_.NextCommandAt(now);
            if (confirming) {
                sendAt = std::max(sendAt, lastCounted + kSecondUs);
            } else if (!fits(sendAt)) {
                // Out of reach: the nearest point that splits what is known,
                // or, while little is, at once.
                sendAt = e.known && e.truth.Width() < OffsetEstimator::kAmbiguousUs ? estimator_.NextCommandAt(now, reach) : now.pc;
                if (!fits(sendAt) && e.known && reading > 0) break;
            }
            if (reading == 0) end = std::min(periodEnd, std::max(sendAt, now.pc) - now.pc + now.counter + kAttemptUs);

            // The time command's last byte is the one that counts. Once the
            // attempt has a reply, a further one that would make the next
            // wake-up late is given up; the first is waited for, since a clock
            // that answers only at one moment of its second may never answer
            // before the tick at a short period, and a skipped tick beats no set.
            const int64_t waitUs = std::max<int64_t>(0, sendAt - now.pc - echoUs_ * 3 / 4);
            const int64_t replyBy = !confirming && e.known && replies > 0 ? deadline : INT64_MAX;
            Verdict verdict = Verdict::Agreed;
            const int status = Read(clock, running, now.counter + waitUs, replyBy, verdict);
            if (status == IDS_STOPPED) return Next::Leave;
            if (status == kStepped) continue;
            if (status == kGivenUp) break;
            if (status != 0) return Fail(status);
            ++replies;
            if (verdict == Verdict::Restarted) restarted = true, confirmed = 0, lastCounted = INT64_MIN / 2;
            if (verdict != Verdict::Suspect && lastCommand_ - lastCounted >= kSecondUs)
                ++confirmed, lastCounted = lastCommand_;
        }

        if (replies == 0) return Fail(IDS_READ_FAILED);
        const Stamp now = Now();
        const Estimate e = estimator_.At(now);
        SyncStatus result;
        result.offsetMs = e.point / kMsUs;
        result.offsetWithinMs = (e.truth.Within(e.point) + kMsUs - 1) / kMsUs;
        result.offsetRestarted = restarted;
        if (!e.known) return Fail(IDS_NOT_AGREED);
        if (TooLarge(e.point) && !LargeStepAgreed(e, now, confirmed >= kConfirmations)) return Refuse(result.offsetMs);
        if (deps_.feed) return Feed(result, e, now);
        return SetAndCheck(UtcFromMilliseconds((now.pc - e.point) / kMsUs), now, result);
    }

    // Whole seconds: the second the clock names, on the PC's date.
    Next ToWholeSecond(Clock& clock, const Clock::Running& running) {
        int64_t first = 0;
        for (int reading = 0;; ++reading) {
            if (!clock.SendWithEcho(deps_.port, CMD_TU)) return Fail(IDS_NO_ECHO);
            ClockTimeOfDay time;
            const Clock::TimeRead read = clock.ReadTime(deps_.port, running, time);
            if (read != Clock::TimeRead::Ok) return Fail(ReadFailure(read));
            const Stamp now = Now();
            const UtcTime target = PlaceTimeOfDay(UtcFromMilliseconds(now.pc / kMsUs), time);
            SyncStatus result;
            result.offsetMs = now.pc / kMsUs - UtcMilliseconds(target);
            const int64_t offsetUs = result.offsetMs * kMsUs;
            if (!TooLarge(offsetUs)) return SetAndCheck(target, now, result);
            if (carried_.sets > 0) {
                Estimate e;
                e.point = offsetUs;
                e.truth = {offsetUs - kSecondUs, offsetUs + kSecondUs};
                if (!LargeStepAgreed(e, now, false)) return Refuse(result.offsetMs);
                return SetAndCheck(target, now, result);
            }
            if (reading == 0) first = offsetUs;
            if (Abs(offsetUs - first) > kSameOffsetUs) return Refuse(result.offsetMs);
            if (reading + 1 == kConfirmations) return SetAndCheck(target, now, result);
            if (!Pause(kSecondUs)) return Next::Leave;
        }
    }

    // Later than the first set, a step beyond MaxStep is taken once three
    // attempts running have said the same offset.
    bool LargeStepAgreed(const Estimate& e, const Stamp& now, bool confirmedNow) {
        if (carried_.sets == 0) return confirmedNow;
        const bool same = carried_.largeRuns > 0 &&
                          Abs(e.point - (carried_.largeOffsetUs + Moved(carried_.largeAt, now))) <=
                              kSameOffsetUs + OffsetEstimator::DriftUs(now.counter - carried_.largeAt.counter);
        carried_.largeRuns = same ? carried_.largeRuns + 1 : 1;
        carried_.largeOffsetUs = e.point;
        carried_.largeAt = now;
        return carried_.largeRuns >= kConfirmations;
    }

    Next Refuse(int64_t offsetMs) {
        SyncStatus s;
        s.id = IDS_LARGE_STEP;
        s.offsetMs = offsetMs;
        return Fail(s);
    }

    // Sets the clock and reads it back: only a step that took effect counts.
    Next SetAndCheck(const UtcTime& target, const Stamp& before, SyncStatus result) {
        uint32_t error = 0;
        if (!deps_.clock.Set(target, error)) return FailOrEnd(IDS_SET_TIME_FAILED, error);
        const Stamp after = Now();
        carried_.last = after;   // our own step is nobody else's
        carried_.haveLast = true;
        carried_.largeRuns = 0;
        const int64_t asked = UtcMilliseconds(target) * kMsUs - before.pc;
        if (Abs(Moved(before, after) - asked) > deps_.timerStepUs + 2 * deps_.pairErrorUs + kMsUs) {
            result.id = IDS_SET_NOT_TAKEN;
            // Nothing moved, yet the clock may be right to within what is known.
            const bool right = result.offsetWithinMs >= 0 && Abs(result.offsetMs) <= result.offsetWithinMs;
            return right ? Succeed(result) : Fail(result);
        }
        ++carried_.sets;
        result.id = IDS_TIME_SET;
        result.hour = target.hour;
        result.minute = target.minute;
        result.second = target.second;
        Succeed(result);
        deps_.sink.BroadcastTimeChange();
        return Next::Wait;
    }

    // Someone else sets the clock from the estimate, once it is narrow enough.
    Next Feed(SyncStatus sample, const Estimate& e, const Stamp& now) {
        if (e.truth.Width() > kFeedWidthUs) {
            sample.id = IDS_SAMPLE_TOO_WIDE;
            return Fail(sample);
        }
        const int64_t k100nsPerUs = 10, kUnixEpochIn1601Us = 11644473600000000;
        OffsetSample out;
        out.pcTime = (now.pc + kUnixEpochIn1601Us) * k100nsPerUs;
        out.offset = -e.point * k100nsPerUs;
        out.dispersion = e.truth.Within(e.point) * k100nsPerUs;
        uint32_t error = 0;
        if (!deps_.feed->Send(out, error)) return Fail(IDS_SAMPLE_NOT_TAKEN, error);
        sample.id = IDS_SAMPLE_SENT;
        return Succeed(sample);
    }

    static int ReadFailure(Clock::TimeRead read) {
        return read == Clock::TimeRead::Short ? IDS_READ_FAILED : IDS_PARSE_FAILED;
    }

    // How long the reply to a command at `at` may take to come: a clock that
    // waits for the second answers when it starts, others as they did.
    int64_t ReplyUs(const Stamp& now, int64_t at) const {
        if (estimator_.WaitsForSecond()) return estimator_.ReplyWithinUs(now, at);
        return carried_.SlowestUs() + 50 * kMsUs;
    }

    // Sleeps in short steps so that a stop is seen at once; false on a stop.
    bool Pause(int64_t us) {
        const int64_t until = deps_.ticker.CounterUs() + us;
        for (int64_t left = us; left > 0; left = until - deps_.ticker.CounterUs()) {
            if (!state_.IsRunning()) return false;
            deps_.ticker.Sleep(static_cast<uint32_t>(std::min<int64_t>((left + kMsUs - 1) / kMsUs, kPauseStepMs)));
        }
        return state_.IsRunning();
    }

    // One timed reply into the estimate, the command sent at counter time
    // `sendAt` and the reply awaited until `replyBy` at most: 0, IDS_STOPPED
    // on a stop, kStepped when the PC clock was stepped meanwhile, kGivenUp,
    // or the failure's status.
    int Read(Clock& clock, const Clock::Running& running, int64_t sendAt, int64_t replyBy, Verdict& verdict) {
        if (!Pause(sendAt - deps_.ticker.CounterUs())) return IDS_STOPPED;
        const int64_t echoFrom = deps_.ticker.CounterUs();
        if (!clock.SendWithEcho(deps_.port, CMD_TU)) return IDS_NO_ECHO;
        const int64_t command = clock.LastWriteUs();
        echoUs_ = deps_.ticker.CounterUs() - echoFrom;
        {
            const Stamp sent = Now();
            estimator_.Commanded({sent.pc - (sent.counter - command), command});
        }
        ClockTimeOfDay time;
        int64_t composedBy = 0;
        const int64_t left = replyBy == INT64_MAX ? INT64_MAX : replyBy - deps_.ticker.CounterUs();
        const uint32_t replyMs = static_cast<uint32_t>(std::max<int64_t>(0, std::min<int64_t>(Clock::kTimedReplyDeadlineMs, left / kMsUs)));
        const Clock::TimeRead read = clock.ReadTime(deps_.port, running, time, replyMs, &composedBy);
        if (read == Clock::TimeRead::Short && replyMs < Clock::kTimedReplyDeadlineMs && running()) {
            // At least this long, here: the next readings plan with it.
            carried_.delaysUs[carried_.delays++ % 8] = deps_.ticker.CounterUs() - (echoFrom + echoUs_);
            return kGivenUp;
        }
        if (read != Clock::TimeRead::Ok) return ReadFailure(read);

        const Stamp at = Now();
        if (SteppedMeanwhile(at)) return kStepped;
        const auto pcOf = [&](int64_t counter) { return at.pc - (at.counter - counter); };
        ClockReading r;
        r.earliest = pcOf(command) - deps_.timerStepUs;
        r.latest = pcOf(composedBy) + deps_.timerStepUs;
        r.second = UtcMilliseconds(PlaceTimeOfDay(UtcFromMilliseconds(at.pc / kMsUs), time)) * kMsUs;
        r.at = at;
        verdict = estimator_.Add(r);
        lastCommand_ = r.earliest;
        carried_.delaysUs[carried_.delays++ % 8] = r.latest - r.earliest;
        return 0;
    }

    // The PC clock moved against the counter by more than drift and the
    // clocks' resolution allow, though we did not set it: someone else did.
    // Said once; the estimate follows it in any case.
    bool SteppedMeanwhile(const Stamp& at) {
        const bool stepped = carried_.haveLast &&
                             Abs(Moved(carried_.last, at)) > 2 * deps_.pairErrorUs + kMsUs +
                                                                 OffsetEstimator::DriftUs(at.counter - carried_.last.counter);
        if (stepped && !carried_.stepReported) {
            carried_.stepReported = true;
            SyncStatus s;
            s.id = IDS_CLOCK_STEPPED;
            s.offsetMs = Moved(carried_.last, at) / kMsUs;
            deps_.sink.Post(s);
        }
        carried_.last = at;
        carried_.haveLast = true;
        return stepped;
    }

    Next Succeed(const SyncStatus& status) {
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_OK);
        deps_.sink.Post(status);
        return Next::Wait;
    }

    Next Fail(int status, uint32_t error = 0) { return Fail(SyncStatus{status, error}); }
    Next Fail(const SyncStatus& status) {
        state_.RecordOutcome(SYNC_RUNNING | SYNC_LAST_FAILED);
        deps_.sink.Post(status);
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
    Carried& carried_;
    Stamp wake_;
    int64_t lastCommand_ = INT64_MIN / 2, echoUs_ = 0;
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
    // How long after composing a reply a prompt line has it counted as read:
    // the reply's day and colon, four bytes, come before its time.
    const int64_t lagUs = deps.timerStepUs + 4 * CGpsClock::kByteUs + kMsUs;
    OffsetEstimator own(deps.pairErrorUs, lagUs);
    OffsetEstimator& estimator = deps.estimator ? *deps.estimator : own;
    Carried carried;
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
            const Next next = Attempt(state, deps, estimator, carried).Run();
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
