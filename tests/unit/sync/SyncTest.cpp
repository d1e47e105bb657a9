#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <thread>

#include "clocklink/Win32Error.h"
#include "sync/NearestDate.h"
#include "sync/Period.h"
#include "sync/StatusLog.h"
#include "sync/SyncControl.h"
#include "sync/SyncWorker.h"
#include "tests/unit/support/FakeClockLine.h"

namespace {

using Ids = std::vector<int>;

// Each Wait runs the next step; when the steps run out the worker is asked to stop.
struct Worker : WakeEvent, SystemClock, StatusSink {
    SyncThreadState state;
    VirtualTicker ticker;
    FakeClockLine line{ticker};
    std::vector<std::function<void()>> steps{2};
    uint32_t eventError = 0, failingWait = 0, setError = 0;   // failingWait: 1-based
    int waits = 0, drops = 0, broadcasts = 0;
    bool always = false;                                       // awake for ever (the race)
    bool live = false;                                         // PC and GPS clocks run on the ticks,
    int64_t pcBase = 0, gpsBase = 0;                           // and each set keeps PC minus GPS
    std::vector<int64_t> offsets;
    UtcTime now{2026, 12, 0, 6, 12, 34, 50, 250}, set;
    std::vector<SyncStatus> posted;
    std::vector<uint32_t> flags;                               // at each post

    Worker() { state.flags = SYNC_STOPPED; state.portName = "com5"; state.precise = false; }
    void Run() { RunSyncWorker(state, SyncWorkerDeps{line, ticker, *this, *this, *this}); }
    bool Open(uint32_t& e) override { return (e = eventError) == 0 || failingWait != 0; }
    bool Wait(uint32_t& e) override {
        if (always) return true;
        if (++waits == static_cast<int>(failingWait)) return (e = eventError) == 0;
        if (static_cast<size_t>(waits) > steps.size()) state.RequestStop();
        else if (steps[waits - 1]) steps[waits - 1]();
        return true;
    }
    void DropPending() override { ++drops; }
    UtcTime Now() override { return live ? UtcFromMilliseconds(pcBase + ticker.now) : now; }
    bool Set(const UtcTime& t, uint32_t& e) override { if (live) offsets.push_back(pcBase - gpsBase), pcBase = UtcMilliseconds(t) - ticker.now; return (set = t, e = setError) == 0; }
    void Post(const SyncStatus& s) override { posted.push_back(s); flags.push_back(state.flags); }
    void BroadcastTimeChange() override { ++broadcasts; }
    Ids ids() const { Ids v; for (const auto& s : posted) v.push_back(s.id); return v; }
};

TEST(Worker, EachWakeUpSetsTheClocksTimeOnTodayAndReportsIt) {
    Worker t;
    t.line.reply = "123:23:59:58\r\n";
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
        {"short reply", [](Worker& t) { t.line.reply = "1:2:3:4\r\n"; }, {kRead, kRead, 167}, 0, kFailed, "com5;com5;", 3000},
        {"unparseable", [](Worker& t) { t.line.reply = "123:24:00:00\r\n"; }, {159, 159, 167}, 0, kFailed, "com5;com5;", 2000},
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
        EXPECT_EQ(t.ids(), c.ids) << c.name;
        EXPECT_EQ(t.posted[c.ids.size() - 2 + (c.ids.size() == 1)].error, c.code) << c.name;
        EXPECT_EQ(t.state.lastError, c.code) << c.name;
        EXPECT_EQ(t.flags[0], c.flags) << c.name;
        EXPECT_EQ(t.line.opened, c.opened) << c.name;
        EXPECT_LE(t.ticker.now, c.maxMs * (precise ? 5 : 1)) << c.name;   // timed reads: up to five replies
        EXPECT_EQ(t.state.flags, SYNC_STOPPED) << c.name;
    }
}

// A service's worker: what ends the window's worker is reported, with its
// code, and tried again; a broken wake-up event is replaced by a pause.
TEST(Worker, RetryModeReportsWhatWouldEndTheWorkerAndCarriesOn) {
    const struct { const char* name; std::function<void(Worker&)> arrange; Ids ids; uint32_t code, minMs; } cases[] = {
        {"set refused", [](Worker& t) { t.setError = 1314; }, {160, 160, 167}, 1314, 0},
        {"port settings", [](Worker& t) { t.line.settingsError = 31; }, {156, 156, 167}, 31, 0},
        {"second wait", [](Worker& t) { t.eventError = 6; t.failingWait = 2; }, {151, 152, 151, 167}, 6, 60000},
        {"exception", [](Worker& t) { t.line.throwOnBreak = true; fake_system_error::SetLastErrorCode(8); },
         {161, 161, 167}, 8, 0}};
    for (const auto& c : cases) {
        Worker t;
        t.state.retryAfterMs = 60000;
        c.arrange(t);
        t.Run();
        EXPECT_EQ(t.ids(), c.ids) << c.name;
        EXPECT_EQ(t.posted[c.ids.size() > 3 ? 1 : 0].error, c.code) << c.name;
        EXPECT_GE(t.ticker.now, c.minMs) << c.name;
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
        t.now = c.pc;
        t.line.reply = c.reply;
        t.steps.resize(1);
        t.Run();
        EXPECT_EQ(t.posted.at(0).offsetMs, c.offset) << c.reply;
    }
}

// A clock that answers at once, composing 55 ms after the command's last
// byte: from the second attempt on, every set's estimate holds the true
// offset, and the sets close in.
TEST(Worker, TimedRepliesFromAClockThatAnswersAtOnceBringThePcWithinMilliseconds) {
    Worker t;
    t.state.precise = t.live = true;
    t.steps.resize(8);
    t.pcBase = (t.gpsBase = UtcMilliseconds(t.now)) + 2345;
    t.ticker.onSleep = [&t] {
        const UtcTime g = UtcFromMilliseconds(t.gpsBase + t.ticker.now + 55);
        t.line.reply = "1000:" + std::to_string(g.hour) + ":" + std::to_string(g.minute) + ":" + std::to_string(g.second) + "\r\n";
    };
    t.Run();
    ASSERT_EQ(t.offsets.size(), 8u);
    for (size_t i = 1; i < 8; ++i)   // the interval holds the truth and is no wider than wanted
        EXPECT_NEAR(t.posted[i].offsetMs, t.offsets[i], std::min(t.posted[i].offsetWithinMs, OffsetEstimator::kWantedWidthMs / 2) + 1) << i;
    EXPECT_LE(std::llabs(t.pcBase - t.gpsBase), 40);
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
        t.state.precise = t.live = true;
        t.steps.resize(4);
        t.pcBase = (t.gpsBase = UtcMilliseconds(t.now)) - 2345;
        t.ticker.onSleep = [&t] {
            const UtcTime g = UtcFromMilliseconds(t.gpsBase + t.ticker.now + 55);
            t.line.reply = "1000:" + std::to_string(g.hour) + ":" + std::to_string(g.minute) + ":" + std::to_string(g.second) + "\r\n";
        };
        feed.samples.clear();
        feed.error = error;
        SyncWorkerDeps deps{t.line, t.ticker, t, t, t};
        deps.feed = &feed;
        RunSyncWorker(t.state, deps);
        EXPECT_TRUE(t.offsets.empty());
        ASSERT_FALSE(feed.samples.empty());
        const SyncStatus& last = t.posted.at(t.posted.size() - 2);
        EXPECT_EQ(last.id, error ? IDS_SAMPLE_NOT_TAKEN : IDS_SAMPLE_SENT);
        EXPECT_EQ(last.error, error);
        if (error) continue;
        const OffsetSample& s = feed.samples.back();
        EXPECT_EQ(s.offset, -last.offsetMs * 10000);
        EXPECT_EQ(s.dispersion, last.offsetWithinMs * 10000);
        EXPECT_NEAR(s.offset, 2345 * 10000, s.dispersion);
        EXPECT_NEAR(s.pcTime, (t.pcBase + t.ticker.now + 11644473600000) * 10000, 3000 * 10000);
        EXPECT_LE(s.dispersion, 250 * 10000);
    }
}

// Replies whose end was seen 20 ms after the clock composed them at `phase`
// in the second (truly, with offset 0), all at PC time 500000 (no drift
// between them): any phase allows [phase-1041, phase+22], the second's start
// [phase-41, phase+22].
ClockReading Reply(int64_t phase, int64_t delay = 20, uint32_t tick = 0) { return {500000 - delay, 499990, 500000, 499980 - phase, tick}; }
TEST(OffsetEstimator, IntervalsFromRepliesCutCarriedWidenedRestartedAndShifted) {
    const struct { const char* name; std::vector<ClockReading> replies; int64_t shift; bool added; int64_t offset, width; uint32_t probe; } cases[] = {
        {"a clock that answers at once: phases cut it, checks go outside", {Reply(900), Reply(50), Reply(980), Reply(10), Reply(500)}, 0, true, -15, 93, 838},
        {"a jump restarts from the newest", {Reply(900), Reply(50), Reply(980), Reply(10), Reply(500), Reply(1200)}, 0, false, 690, 1063, 689},
        {"an hour between replies widens by 720 ms a side", {Reply(900), Reply(50, 20, 3600000)}, 0, true, -395, 933, 604},
        {"a clock that waits for the next second", {Reply(0), Reply(10, 600), Reply(5, 900)}, 0, true, -5, 53, 0},
        {"... restarts on a jump the wide interval allows", {Reply(0), Reply(10, 600), Reply(5, 900), Reply(300)}, 0, false, 290, 63, 789},
        {"one reply, read as composed at the second's start (290), then our step", {Reply(300)}, -290, true, 0, 63, 499}};
    for (const auto& c : cases) {
        OffsetEstimator e;
        bool added = false;
        for (const ClockReading& r : c.replies) added = e.Add(r);
        e.Shift(c.shift);
        e.StartAttempt();
        EXPECT_EQ((std::vector<int64_t>{added, e.OffsetMs(), e.WidthMs(), e.ProbeDelayMs(500000)}),
                  (std::vector<int64_t>{c.added, c.offset, c.width, c.probe})) << c.name;
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
                                              {IDS_UNKNOWN_STATUS, "Odd %d!"}};
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
        host.launchSucceeds = true;
        control.StartSync(" 60s", "com5", false);
        EXPECT_EQ(&control.State(), host.launched.get());
        EXPECT_EQ(host.launched->retryAfterMs, 0u);
        EXPECT_TRUE(host.launched->workerAlive && host.launched->flags == SYNC_STOPPED);
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
                          "arm 60000;wake;update;wake;log Time Set 23:59:59 UTC ;update;"
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
