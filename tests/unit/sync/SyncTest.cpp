#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <thread>
#include <utility>

#include "clocklink/Win32Error.h"
#include "sync/NearestDate.h"
#include "sync/Period.h"
#include "sync/StatusLog.h"
#include "sync/SyncControl.h"
#include "sync/SyncWorker.h"
#include "tools/ClockWorld.h"
#include "tests/unit/support/FakeClockLine.h"

namespace {

using Ids = std::vector<int>;

// Each Wait runs the next step; when the steps run out the worker is asked
// to stop. GPS time and the PC clock run on the ticks; the clock answers with
// GPS time unless given a reply; each set moves the PC clock.
struct Worker : WakeEvent, SystemClock, StatusSink {
    SyncThreadState state;
    VirtualTicker ticker;
    FakeClockLine line{ticker};
    std::vector<std::function<void()>> steps{2};
    uint32_t eventError = 0, failingWait = 0, setError = 0;   // failingWait: 1-based
    int waits = 0, drops = 0, broadcasts = 0;
    bool always = false;         // awake for ever (the race)
    bool setsTakeEffect = true;  // false: a set reports success and changes nothing
    int64_t gpsBase = UtcMilliseconds({2026, 12, 0, 6, 23, 59, 57, 0}), pcBase = gpsBase + 250;
    int64_t frozenPc = INT64_MIN;   // set: the PC clock stands still there
    std::string reply, once;     // empty: GPS time, as "DDD:HH:MM:SS\r\n"; once: the next reply alone
    std::vector<int64_t> offsets;   // PC minus GPS before each set
    UtcTime set;
    std::vector<SyncStatus> posted;
    std::vector<uint32_t> flags;    // at each post

    Worker() {
        state.flags = SYNC_STOPPED;
        state.portName = "com5";
        state.precise = false;
        line.answer = [this] {
            if (!once.empty()) return std::exchange(once, std::string());
            if (!reply.empty()) return reply;
            const UtcTime g = UtcFromMilliseconds(gpsBase + ticker.now);
            char text[32];
            std::snprintf(text, sizeof text, "%03d:%02d:%02d:%02d\r\n", g.day, g.hour, g.minute, g.second);
            return std::string(text);
        };
    }
    void Run() {
        SyncWorkerDeps deps{line, ticker, *this, *this, *this};
        deps.timerStepUs = deps.pairErrorUs = 1000;
        RunSyncWorker(state, deps);
    }
    bool Open(uint32_t& e) override { return (e = eventError) == 0 || failingWait != 0; }
    bool Wait(uint32_t& e) override {
        if (always) return true;
        if (++waits == static_cast<int>(failingWait)) return (e = eventError) == 0;
        if (static_cast<size_t>(waits) > steps.size()) state.RequestStop();
        else if (steps[waits - 1]) steps[waits - 1]();
        return true;
    }
    void DropPending() override { ++drops; }
    UtcTime Now() override { return UtcFromMilliseconds(frozenPc != INT64_MIN ? frozenPc : pcBase + ticker.now); }
    bool Set(const UtcTime& t, uint32_t& e) override {
        if ((e = setError) != 0) return false;
        frozenPc = INT64_MIN;
        offsets.push_back(pcBase - gpsBase);
        if (setsTakeEffect) pcBase = UtcMilliseconds(t) - ticker.now;
        set = t;
        return true;
    }
    void Post(const SyncStatus& s) override { posted.push_back(s); flags.push_back(state.flags); }
    void BroadcastTimeChange() override { ++broadcasts; }
    Ids ids() const { Ids v; for (const auto& s : posted) v.push_back(s.id); return v; }
};

TEST(Worker, EachWakeUpSetsTheClocksTimeOnTodayAndReportsIt) {
    Worker t;
    t.reply = "123:23:59:58\r\n";
    t.Run();
    EXPECT_EQ(t.line.written, "b00dg\r\nTUb00dg\r\nTU");
    const SyncStatus& p = t.posted[1];
    EXPECT_EQ((Ids{p.id, p.hour, p.minute, p.second, t.line.breaks, t.broadcasts, t.drops}), (Ids{151, 23, 59, 58, 2, 2, 2}));
    EXPECT_EQ((Ids{t.set.year, t.set.month, t.set.day, t.set.hour, t.set.minute, t.set.second, t.set.milliseconds}),
              (Ids{2026, 12, 6, 23, 59, 58, 0}));
}

// Two wake-ups, then the stop: what was posted, the code the record keeps,
// the flags at the first post, the ports opened and the virtual time taken.
struct Case { const char* name; std::function<void(Worker&)> arrange; Ids ids; uint32_t code, flags; const char* opened; uint32_t maxMs; };
const uint32_t kFailed = 0x21, kSet = 0x11;   // the words the icons are chosen by
const int kRead = IDS_READ_FAILED;

TEST(Worker, EveryOutcomeOfAnAttemptAndEveryStop) {
    const Case cases[] = {
        {"success", [](Worker&) {}, {151, 151, 167}, 0, kSet, "com5;com5;", 2000},
        {"port missing", [](Worker& t) { t.line.openSucceeds = false; }, {155, 155, 167}, 0, kFailed, "com5;com5;", 10},
        {"no echo", [](Worker& t) { t.line.noEcho = "U"; }, {157, 157, 167}, 0, kFailed, "com5;com5;", 2000},
        {"never quiet", [](Worker& t) { t.line.chatterMs = 600000; }, {kRead, kRead, 167}, 0, kFailed, "com5;com5;", 7000},
        {"short reply", [](Worker& t) { t.reply = "1:2:3:4\r\n"; }, {kRead, kRead, 167}, 0, kFailed, "com5;com5;", 3000},
        {"unparseable", [](Worker& t) { t.reply = "123:24:00:00\r\n"; }, {159, 159, 167}, 0, kFailed, "com5;com5;", 2000},
        {"set refused", [](Worker& t) { t.setError = 1314; }, {160, 167}, 1314, SYNC_RUNNING, "com5;", 1000},
        {"port settings", [](Worker& t) { t.line.settingsError = 31; }, {156, 167}, 31, SYNC_RUNNING, "com5;", 0},
        {"event", [](Worker& t) { t.eventError = 2; }, {152, 167}, 2, SYNC_STOPPED, "", 0},
        {"second wait", [](Worker& t) { t.eventError = 6; t.failingWait = 2; }, {151, 152, 167}, 6, kSet, "com5;", 1000},
        {"exception", [](Worker& t) { t.line.throwOnBreak = true; fake_system_error::SetLastErrorCode(8); },
         {161, 167}, 8, SYNC_RUNNING, "com5;", 0},
        {"stop before the start", [](Worker& t) { t.state.RequestStop(); }, {167}, 0, SYNC_STOPPED, "", 0},
        {"stop while waiting", [](Worker& t) { t.steps[0] = [&t] { t.state.RequestStop(); }; }, {167}, 0, SYNC_STOPPED, "", 0},
        {"stop in the drain", [](Worker& t) {
             t.line.chatterMs = 2000;
             t.ticker.onSleep = [&t] { if (t.line.flushes == 2) t.state.RequestStop(); };
         }, {167}, 0, SYNC_STOPPED, "com5;", 1000},
        {"stop in the reply read", [](Worker& t) {
             t.line.replyDelayMs = 2000;
             t.ticker.onSleep = [&t] { if (t.line.written.size() == 9) t.state.RequestStop(); };
         }, {kRead, 167}, 0, SYNC_STOP_REQUESTED, "com5;", 1000}};
    for (const Case& c : cases) for (const bool precise : {false, true}) {
        Worker t;
        t.state.precise = precise;
        c.arrange(t);
        t.Run();
        const Ids& ids = c.ids;
        EXPECT_EQ(t.ids(), ids) << c.name << precise;
        EXPECT_EQ(t.posted[ids.size() - 2 + (ids.size() == 1)].error, c.code) << c.name;
        EXPECT_EQ(t.state.lastError, c.code) << c.name;
        EXPECT_EQ(t.flags[0], c.flags) << c.name;
        EXPECT_EQ(t.line.opened, c.opened) << c.name;
        EXPECT_LE(t.ticker.now, c.maxMs * (precise ? 5 : 1)) << c.name;   // timed reads: up to five replies
        EXPECT_EQ(t.state.flags, SYNC_STOPPED) << c.name;
    }
}
// A service's worker: what ends the window's worker is reported, with its
// code, and tried again; a broken wake-up event is replaced by a pause that
// a stop ends at once.
TEST(Worker, RetryModeReportsWhatWouldEndTheWorkerAndCarriesOn) {
    const struct { const char* name; std::function<void(Worker&)> arrange; Ids ids; uint32_t code, minMs, maxMs; } cases[] = {
        {"set refused", [](Worker& t) { t.setError = 1314; }, {160, 160, 167}, 1314, 0, 9000},
        {"port settings", [](Worker& t) { t.line.settingsError = 31; }, {156, 156, 167}, 31, 0, 9000},
        {"second wait", [](Worker& t) { t.eventError = 6; t.failingWait = 2; }, {151, 152, 151, 167}, 6, 60000, 99000},
        {"stop in the pause", [](Worker& t) {
             t.eventError = 6, t.failingWait = 2;
             t.ticker.onSleep = [&t] { if (t.posted.size() == 2) t.state.RequestStop(); };
         }, {151, 152, 167}, 6, 0, 9000},
        {"exception", [](Worker& t) { t.line.throwOnBreak = true; fake_system_error::SetLastErrorCode(8); },
         {161, 161, 167}, 8, 0, 9000}};
    for (const auto& c : cases) {
        Worker t;
        t.state.retryAfterMs = 60000;
        c.arrange(t);
        t.Run();
        EXPECT_EQ(t.ids(), c.ids) << c.name;
        EXPECT_EQ(t.posted[c.ids[0] == IDS_TIME_SET ? 1 : 0].error, c.code) << c.name;
        EXPECT_TRUE(t.ticker.now >= c.minMs && t.ticker.now <= c.maxMs) << c.name << " " << t.ticker.now;
    }
}

// The PC clock minus the time set, read when the reply was in.
TEST(Worker, OffsetIsThePcAheadOfTheClockInMilliseconds) {
    const struct { UtcTime pc; const char* reply; int64_t offset; } cases[] = {
        {{2026, 12, 0, 6, 12, 34, 50, 250}, "340:12:34:49\r\n", 1250},
        {{2026, 12, 0, 31, 23, 59, 59, 800}, "001:00:00:00\r\n", -200},
        {{2027, 1, 0, 1, 0, 0, 1, 300}, "365:23:59:59\r\n", 2300}};
    for (const auto& c : cases) {
        Worker t;
        t.steps.resize(1);
        t.frozenPc = UtcMilliseconds(c.pc);
        t.reply = c.reply;
        t.Run();
        EXPECT_EQ(t.posted.at(0).offsetMs, c.offset) << c.reply;
    }
}

// The real worker against clocks of every kind, on lines that deliver in
// pieces, on a PC that drifts by up to 200 ppm and is stepped by others,
// now and then a reply naming a wrong second: every set's stated interval
// holds the truth, no wake-up comes while an attempt at a 1 or 2 s period
// still runs once two replies agreed unless its first reply came too late for
// it, every run sets at every phase, and the sets are close.
TEST(Worker, EveryStatedIntervalHoldsTheTruth) {
    std::mt19937 draw(20261207);
    int sets = 0, close = 0, narrow = 0;
    for (int run = 0; run < 300; ++run) {
        ClockWorld::Options o;
        o.kind = static_cast<ClockWorld::Kind>(run % 4);
        const uint32_t periods[] = {1000, 2000, 7000, 60000, 3600000};
        o.periodMs = periods[draw() % 5];
        o.attempts = 40;
        o.maxDelayMs = 1.0 + draw() % 1000;
        o.driftPpm = 200;
        o.jumps = 0.05;
        o.chunked = draw() % 2 ? 0.5 : 0;
        o.wrong = draw() % 2 ? 0.05 : 0;
        ClockWorld world(draw(), o);
        world.Run();
        for (const ClockWorld::SetRecord& s : world.sets) {
            ++sets;
            // Without wrong replies nothing contradicts what a clock said before.
            EXPECT_FALSE(o.wrong == 0 && s.status.offsetRestarted) << "run " << run << " attempt " << s.attempt;
            ASSERT_LE(std::fabs(s.truthMs - s.status.offsetMs), s.status.offsetWithinMs + 1.0)
                << "run " << run << " attempt " << s.attempt;
            close += s.errorMs <= 50;
            narrow += s.status.offsetWithinMs <= 100;
        }
        if (o.periodMs <= 2000) {
            EXPECT_EQ(world.lateTicks, 0) << "run " << run;
        }
        EXPECT_GT(world.sets.size(), size_t{40 / 3}) << "run " << run;
    }
    EXPECT_GT(sets, 300 * 40 * 85 / 100);   // nearly every attempt sets
    EXPECT_GT(close, sets * 2 / 3);
    EXPECT_GT(narrow, sets / 3);
}

// Where earlier attempts' readings tell little (an hourly period), a wide
// interval's point follows what the replies show: a clock that answers after
// random delays is guessed amid what its replies allow, one that answers at
// once early in its second and else at the next one's start at the top, as
// its waiting replies show.
TEST(Worker, AWideIntervalsPointFollowsWhatTheRepliesShow) {
    for (const ClockWorld::Kind kind : {ClockWorld::kDelayed, ClockWorld::kEarly}) {
        std::vector<double> errors;
        for (unsigned seed = 1; seed <= 20; ++seed) {
            ClockWorld::Options o;
            o.kind = kind;
            o.maxDelayMs = kind == ClockWorld::kEarly ? 300 : 1000;
            o.periodMs = 3600000;
            o.attempts = 20;
            ClockWorld world(seed, o);
            world.Run();
            for (const ClockWorld::SetRecord& s : world.sets) if (s.attempt > 3) errors.push_back(s.errorMs);
        }
        std::nth_element(errors.begin(), errors.begin() + errors.size() / 2, errors.end());
        EXPECT_LT(errors[errors.size() / 2], kind == ClockWorld::kEarly ? 20 : 160) << kind;
    }
}

// Steps are read back: a set that Windows says is done but that did not
// move the clock is told as such and leaves the estimate where the clock
// is; a step made by someone else is told once and followed.
TEST(Worker, StepsAreCheckedAndFollowed) {
    for (const bool others : {false, true}) {
        Worker t;
        t.state.precise = true;
        t.state.periodMs = 60000;
        t.setsTakeEffect = others;
        t.pcBase = t.gpsBase - 250;
        t.line.echoDelayMs = 2;
        t.line.replyDelayMs = 0;
        t.steps.assign(8, nullptr);
        if (others) {
            t.steps[4] = [&t] { t.pcBase += 300; };
            t.steps[6] = [&t] { t.pcBase -= 5000; };
        }
        t.Run();
        Ids seen;
        size_t set = 0;
        for (const SyncStatus& s : t.posted) {
            if (s.id != IDS_NOT_AGREED && s.id != IDS_STOPPED) seen.push_back(s.id);
            if (s.id == IDS_CLOCK_STEPPED) {
                EXPECT_NEAR(s.offsetMs, 300, 2);
            } else if (s.id == IDS_TIME_SET || s.id == IDS_SET_NOT_TAKEN) {
                ASSERT_LT(set, t.offsets.size()) << others;
                EXPECT_NEAR(s.offsetMs, t.offsets[set++], s.offsetWithinMs + 1);
            }
        }
        const Ids steppedOnce = {151, 151, 151, 151, 172, 151, 151, 151, 151};
        EXPECT_EQ(seen, others ? steppedOnce : Ids(8, IDS_SET_NOT_TAKEN));
        EXPECT_NEAR(t.posted[t.posted.size() - 2].offsetMs, others ? 0 : -250, 20);
        EXPECT_LE(std::llabs(t.pcBase - t.gpsBase), others ? 30 : 250);
    }
}

// No single reply moves the clock far: beyond MaxStep, the first set wants
// three readings a second apart that agree, a later one the same offset
// from three attempts running; 0 lifts the bound. In both modes.
TEST(Worker, AStepBeyondMaxStepWaitsUntilTheClockSaysItThreeTimes) {
    const struct { const char* name; int64_t pcAheadMs, gpsJumpMs, gpsThenMs, maxStepMs; int wrongReply, attempts; Ids sets; } cases[] = {
        {"first set, an hour", 3600000, 0, 0, 1000000, -1, 2, {151, 151}},
        {"first reply an hour off", 0, 0, 0, 1000000, 0, 2, {151, 151}},
        {"later, an hour", 0, 3600000, 0, 1000000, -1, 4, {151, 173, 173, 151}},
        {"later, an hour, then half", 0, 3600000, -1800000, 1000000, -1, 4, {151, 173, 173, 173}},
        {"later, one wrong reply", 0, 0, 0, 1000000, 1, 3, {151, 151, 151}},   // whole seconds: 151, 173, 151
        {"no bound", 0, 3600000, 0, 0, -1, 2, {151, 151}}};
    for (const auto& c : cases) for (const bool precise : {false, true}) {
        Worker t;
        t.state.precise = precise;
        t.state.maxStepMs = c.maxStepMs;
        t.pcBase = t.gpsBase + c.pcAheadMs;
        t.steps.assign(c.attempts, nullptr);
        t.steps[1] = [&] { t.gpsBase += c.gpsJumpMs; };
        if (c.gpsThenMs) t.steps[2] = [&] { t.gpsBase += c.gpsThenMs; };
        if (c.wrongReply >= 0) t.steps[c.wrongReply] = [&] { t.once = "340:11:00:00\r\n"; };
        t.Run();
        Ids outcomes;
        for (const SyncStatus& s : t.posted) {
            if (s.id == IDS_TIME_SET || s.id == IDS_LARGE_STEP) outcomes.push_back(s.id);
            // A wrong reply among good ones is read again and outvoted, not started afresh from.
            EXPECT_FALSE(c.wrongReply > 0 && s.offsetRestarted) << c.name;
        }
        Ids expected = c.sets;
        if (c.wrongReply > 0 && !precise) expected[c.wrongReply] = IDS_LARGE_STEP;   // its only reply, refused
        EXPECT_EQ(outcomes, expected) << c.name << precise;
        EXPECT_LE(std::llabs(t.pcBase - t.gpsBase), expected.back() == IDS_TIME_SET ? 1500 : 1801500) << c.name << precise;
    }
}

// Feeding Windows Time: the clock is never set; once the estimate is narrow
// enough each attempt hands it on (GPS minus PC, 100 ns units, a FILETIME).
TEST(Worker, AFeedGetsTheEstimateOnceNarrowAndTheClockIsNeverSet) {
    struct Feed : OffsetFeed {
        std::vector<OffsetSample> samples;
        uint32_t error = 0;
        bool Send(const OffsetSample& s, uint32_t& e) override { samples.push_back(s); return (e = error) == 0; }
    } feed;
    for (const uint32_t error : {0u, 5u}) {
        Worker t;
        t.state.precise = true;
        t.steps.resize(4);
        t.pcBase = t.gpsBase - 2345;
        feed.samples.clear();
        feed.error = error;
        SyncWorkerDeps deps{t.line, t.ticker, t, t, t};
        deps.timerStepUs = deps.pairErrorUs = 1000;
        deps.feed = &feed;
        RunSyncWorker(t.state, deps);
        EXPECT_TRUE(t.offsets.empty());
        ASSERT_FALSE(feed.samples.empty());
        const SyncStatus& last = t.posted.at(t.posted.size() - 2);
        EXPECT_EQ(last.id, error ? IDS_SAMPLE_NOT_TAKEN : IDS_SAMPLE_SENT);
        EXPECT_EQ(last.error, error);
        if (error) continue;
        const OffsetSample& s = feed.samples.back();
        EXPECT_NEAR(s.offset, -last.offsetMs * 10000, 10000);
        EXPECT_NEAR(s.dispersion, last.offsetWithinMs * 10000, 10000);
        EXPECT_NEAR(s.offset, 2345 * 10000, s.dispersion);
        EXPECT_NEAR(s.pcTime, (t.pcBase + t.ticker.now + 11644473600000) * 10000, 3000 * 10000);
        EXPECT_LE(s.dispersion, 250 * 10000);
    }
}

// A clock that waits for the next second shows by its replies' waits: they
// come at one phase of the second whenever the command went out. Quick
// replies to commands at one phase show nothing of the kind.
TEST(OffsetEstimator, AClockThatWaitsForTheSecondShowsByWhenItsRepliesCome) {
    const int64_t s = OffsetEstimator::kSecondUs;
    for (const bool waits : {false, true}) {
        OffsetEstimator e(1, 5000);
        for (int64_t i = 0; i < 6; ++i) {   // the PC on time, a minute apart
            const int64_t sent = i * 60 * s + (waits ? i * 150000 : 900000);
            const int64_t composed = waits ? (sent / s + 1) * s : sent + 2000;
            e.Add({sent, composed + 4200, composed / s * s, {composed + 15000, composed + 15000}});
        }
        EXPECT_EQ(e.WaitsForSecond(), waits);
    }
}

// A clock taken for one that waits may still answer at once early in its
// second: two such replies widen what "at the second's start" allows rather
// than narrowing the interval past the truth (the PC is on time).
TEST(OffsetEstimator, RepliesComposedLaterInTheirSecondWidenWhatItsStartAllows) {
    const int64_t s = OffsetEstimator::kSecondUs;
    OffsetEstimator e(1, 5000);
    int64_t t = 0;
    for (int64_t i = 0; i < 6; ++i, t += s) {
        const int64_t sent = t + i * 150000, composed = (sent / s + 1) * s + 1000;
        e.Add({sent, composed + 4200, composed / s * s, {composed + 15000, composed + 15000}});
    }
    ASSERT_TRUE(e.WaitsForSecond());
    for (int i = 0; i < 2; ++i, t += s) {
        const int64_t start = (t / s + 1) * s, composed = start + 9000;
        e.Add({start + 8000, composed + 4200, start, {composed + 15000, composed + 15000}});
        EXPECT_LE(e.At({composed + 15000, composed + 15000}).truth.lo, 0) << i;
    }
}

// Under ThreadSanitizer too: no write of the worker brings the running bit
// back once Stop has written its request, and the worker always ends.
TEST(StopRace, StopAlwaysWinsOverTheWorkersOwnWrites) {
    std::mt19937 random(12345);
    for (int round = 0; round < 100; ++round) {
        Worker t;
        t.always = true;
        t.line.openSucceeds = round % 3 != 0;
        std::thread worker([&] { t.Run(); });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
        t.state.RequestStop();
        worker.join();
        for (size_t i = 1; i < t.flags.size(); ++i)   // once without the running bit, never again with it
            EXPECT_FALSE((t.flags[i] & SYNC_RUNNING) && !(t.flags[i - 1] & SYNC_RUNNING)) << round;
        EXPECT_EQ(t.state.flags, SYNC_STOPPED);
    }
}

UtcTime At(int y, int mo, int d, int h, int mi, int s, int ms) { return UtcTime{y, mo, 0, d, h, mi, s, ms}; }

TEST(PlaceTimeOfDay, TheNearestOfYesterdayTodayAndTomorrowTodayOnATie) {
    const struct { UtcTime pc; ClockTimeOfDay clock; int y, mo, d, dow; } cases[] = {
        {At(2026, 12, 31, 23, 59, 59, 800), {0, 0, 0}, 2027, 1, 1, 5},
        {At(2026, 3, 1, 0, 0, 3, 0), {23, 59, 59}, 2026, 2, 28, 6},
        {At(2024, 3, 1, 0, 0, 2, 0), {23, 59, 58}, 2024, 2, 29, 4},
        {At(2100, 2, 28, 23, 59, 59, 900), {0, 0, 0}, 2100, 3, 1, 1},
        {At(2026, 6, 15, 12, 0, 0, 0), {0, 0, 0}, 2026, 6, 15, 1},   // twelve hours: a tie
        {At(2026, 6, 15, 0, 0, 0, 0), {12, 0, 0}, 2026, 6, 15, 1}};
    for (const auto& c : cases) {
        const UtcTime t = PlaceTimeOfDay(c.pc, c.clock);
        EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.dayOfWeek, t.hour, t.minute, t.second, t.milliseconds}),
                  (std::vector<int>{c.y, c.mo, c.d, c.dow, c.clock.hour, c.clock.minute, c.clock.second, 0}));
    }
}

TEST(StatusLine, OneLineFromTheStatusAndTheTimeItCarries) {
    const std::map<int, std::string> table = {{IDS_TIME_SET, "%Y %H.%M.%S"}, {IDS_NO_ECHO, "No echo"},
                                              {IDS_UNKNOWN_STATUS, "Odd %d!"}, {IDS_CLOCK_STEPPED, TEXT_CLOCK_STEPPED},
                                              {IDS_SET_NOT_TAKEN, TEXT_SET_NOT_TAKEN}, {IDS_LARGE_STEP, TEXT_LARGE_STEP}};
    const StringLookup lookup = [&](int id, std::string& out) {
        return table.count(id) ? (out = table.at(id), true) : false;
    };
    const StringLookup none = [](int, std::string&) { return false; };
    const struct { SyncStatus status; const StringLookup& lookup; const char* line; } cases[] = {
        {{IDS_TIME_SET, 0, 23, 59, 58}, lookup, "1899 23.59.58"},
        {{IDS_TIME_SET, 0, 1, 2, 3}, none, "Time Set 01:02:03 UTC "},
        {{IDS_NO_ECHO, 0}, lookup, "No echo"},
        {{IDS_NO_ECHO, 5}, lookup, "No echo : Access is denied.\r\n"},
        {{999, 0}, lookup, "Odd 999!"},
        {{IDS_CLOCK_STEPPED, 0, 0, 0, 0, 250}, lookup,
         "The PC clock was changed by something else (+250 ms)."},
        {{IDS_SET_NOT_TAKEN, 0, 0, 0, 0, 40}, lookup,
         "Windows reported the time set, but the PC clock did not move by the -40 ms asked."},
        {{IDS_LARGE_STEP, 0, 0, 0, 0, -3603400}, lookup,
         "The GPS clock differs from the PC clock by 1 h 0 min 3 s; the clock is set once it says so three times running."},
        {{IDS_LARGE_STEP, 0, 0, 0, 0, 61499}, lookup, "The GPS clock differs from the PC clock by 1 min 1 s; the clock is set once it says so three times running."},
        {{42, 6}, none, "Unknown msg 42: Win32 status was:  : The handle is invalid.\r\n"}};
    for (const auto& c : cases) EXPECT_EQ(StatusLineText(c.status, c.lookup), c.line);
}

TEST(StatusLog, KeepsTheLastHundredLinesEndedByCrLf) {
    StatusLog log;
    for (int i = 0; i <= StatusLog::kMaxLines; ++i) log.Append("t", "line\n" + std::to_string(i) + "\r");
    EXPECT_EQ(log.LineCount(), 100);
    EXPECT_EQ(log.Text().substr(0, 16), "t line1\r\r\nt line");
    EXPECT_EQ(log.Text().substr(log.Text().size() - 12), "t line100\r\r\n");
    log.Clear();
    EXPECT_EQ(log.Text() + std::to_string(log.LineCount()), "0");
}

TEST(Period, ReadAsAtoiWouldAndHeldWithinTheTimersReach) {
    const std::pair<const char*, int> texts[] = {{" +60s", 60}, {"-5", -5}, {"x", 0},
                                                 {"18446744073709551617", INT_MAX}, {"-99999999999", INT_MIN}};
    for (const auto& t : texts) EXPECT_EQ(ParsePeriodSeconds(t.first), t.second) << t.first;
    EXPECT_EQ((std::vector<uint32_t>{PeriodMilliseconds(0), PeriodMilliseconds(60), PeriodMilliseconds(2147483),
                                     PeriodMilliseconds(2147484), PeriodMilliseconds(INT_MAX)}),
              (std::vector<uint32_t>{0, 60000, 2147483000, 0x7FFFFFFF, 0x7FFFFFFF}));
    // MaxStep: whole seconds; anything else keeps the bound rather than lifting it.
    EXPECT_EQ((std::vector<int64_t>{MaxStepMilliseconds("0"), MaxStepMilliseconds("86400"), MaxStepMilliseconds(""),
                                    MaxStepMilliseconds("-5"), MaxStepMilliseconds("10 s"), MaxStepMilliseconds("9999999999")}),
              (std::vector<int64_t>{0, 86400000, 1000000, 1000000, 1000000, 1000000}));
}

// Host and runtime write what they are asked into one transcript; the worker
// launched quits workerQuitsAfterMs after a wake-up with the stop (0: never).
struct Host : SyncHost, SyncRuntime {
    std::string calls;
    bool launchSucceeds = true;
    uint32_t workerQuitsAfterMs = 0;
    std::shared_ptr<SyncThreadState> launched;
    SyncControl* attached = nullptr;
    VirtualTicker ticker;

    void ShowMessage(int id, const std::string& suffix) override { calls += "message " + std::to_string(id) + suffix + ";"; }
    void ClearStatusLog() override { calls += "clear;"; }
    void LogStatus(const std::string& line) override { calls += "log " + line + ";"; }
    void ShowStatusBoxText(const std::string& text) override { calls += text + ";"; }
    void ArmPeriodTimer(uint32_t ms) override { calls += "arm " + std::to_string(ms) + ";"; }
    void KillPeriodTimer() override { calls += "kill;"; }
    void UpdateControls() override { calls += "update;"; }
    void Attach(SyncControl* control) override { attached = control; }
    bool LaunchWorker(const std::shared_ptr<SyncThreadState>& state, CWin32Error& failure) override {
        calls += "launch " + state->portName + (state->precise ? ";" : " whole;");
        fake_system_error::SetLastErrorCode(5);
        failure = CWin32Error("_beginthread");
        if (launchSucceeds) launched = state;
        return launchSucceeds;
    }
    void SetWakeEvent() override {
        calls += "wake;";
        if (!launched || launched->flags != SYNC_STOP_REQUESTED || !workerQuitsAfterMs) return;
        const uint32_t quitAt = ticker.now + workerQuitsAfterMs;
        ticker.onSleep = [this, quitAt] { launched->workerAlive = launched->workerAlive && ticker.now < quitAt; };
    }
    Ticker& Clock() override { return ticker; }
    bool rival = false;
    bool WindowsTimeSyncsFromNetwork() override { return rival; }
};

const StringLookup kNoTable = [](int, std::string&) { return false; };

TEST(SyncControl, StartChecksItsInputsLaunchesArmsWakesLogsAndItsEndWakesTheWorker) {
    Host host;
    host.launchSucceeds = false;
    {
        SyncControl control(host, host, kNoTable);
        EXPECT_EQ(host.attached, &control);
        control.StartSync("0", "com5");
        control.StartSync("1", "");
        control.StartSync("60", "com5");
        EXPECT_FALSE(control.State().workerAlive);
        host.launchSucceeds = host.rival = true;
        control.StartSync(" 60s", "com5", SyncOptions{false, 5000});
        EXPECT_EQ(&control.State(), host.launched.get());
        EXPECT_EQ(host.launched->retryAfterMs, 0u);
        EXPECT_TRUE(host.launched->workerAlive && host.launched->flags == SYNC_STOPPED);
        EXPECT_EQ((std::vector<int64_t>{host.launched->periodMs, host.launched->maxStepMs}), (std::vector<int64_t>{60000, 5000}));
        control.OnPeriodTick();
        control.OnStatus({IDS_TIME_SET, 0, 23, 59, 59});
        // Only a set refused for want of the privilege points to the service.
        control.OnStatus({IDS_SET_TIME_FAILED, 5});
        control.OnStatus({IDS_SET_TIME_FAILED, 1314});
        host.workerQuitsAfterMs = 300;
        host.calls += "|";
    }   // no countdown: the window is going
    EXPECT_EQ(host.calls, "message 134;message 163;kill;wake;update;clear;launch com5;"
                          "message 165_beginthread\nAccess is denied.\r\n;kill;wake;update;clear;launch com5 whole;"
                          "log " TEXT_WINDOWS_TIME_RIVAL ";arm 60000;wake;update;wake;log Time Set 23:59:59 UTC ;update;"
                          "log Unknown msg 160: Win32 status was:  : Access is denied.\r\n;update;"
                          "log Unknown msg 160: Win32 status was:  : ;log " TEXT_INSTALL_SERVICE ";update;|wake;");
    EXPECT_EQ(host.launched->flags, SYNC_STOP_REQUESTED);
    EXPECT_EQ(host.ticker.now, 300u);
    EXPECT_EQ(host.attached, nullptr);
}

TEST(SyncControl, StopWaitsASecondAtMostCountingDownAndAWorkerStillThereBlocksTheNextStart) {
    Host host;
    SyncControl control(host, host, kNoTable, true);   // a service's: stops the same way
    control.StartSync("60", "com5");
    EXPECT_EQ(host.launched->retryAfterMs, 60000u);
    host.calls.clear();
    control.StopSync();
    EXPECT_EQ(control.State().flags, SYNC_STOP_REQUESTED);
    std::string countdown = "kill;wake;";
    for (int left = 1000; left > 0; left -= 100)
        countdown += "Waiting for thread to quit, time out in " + std::to_string(left) + " ms...;";
    EXPECT_EQ(host.calls, countdown + "update;");
    EXPECT_EQ(host.ticker.now, 1000u);
    host.calls.clear();
    control.StartSync("60", "com5");
    EXPECT_EQ(host.calls, countdown + "update;message 164;");
}

}  // namespace
