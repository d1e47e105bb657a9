#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <thread>

#include "sync/NearestDate.h"
#include "sync/Period.h"
#include "sync/StatusLine.h"
#include "sync/StatusLog.h"
#include "sync/SyncWorker.h"
#include "tests/unit/support/FakeClockLine.h"
#include "tests/unit/support/FakeSystemError.h"

namespace {

using Ids = std::vector<int>;

// Each Wait runs the next step; when the steps run out the worker is asked to stop.
struct ScriptedEvent : WakeEvent {
    SyncThreadState& state;
    std::vector<std::function<void()>> steps;
    uint32_t error = 0, failingWait = 0;   // 1-based
    int waits = 0, drops = 0;
    bool always = false;                    // awake for ever (the race)
    explicit ScriptedEvent(SyncThreadState& s) : state(s) {}
    bool Open(uint32_t& e) override { return (e = error) == 0 || failingWait != 0; }
    bool Wait(uint32_t& e) override {
        if (always) return true;
        if (++waits == static_cast<int>(failingWait)) return (e = error) == 0;
        if (static_cast<size_t>(waits) > steps.size()) state.RequestStop();
        else if (steps[waits - 1]) steps[waits - 1]();
        return true;
    }
    void DropPending() override { ++drops; }
};

struct FakeClock : SystemClock {
    UtcTime now{2026, 12, 0, 6, 12, 34, 50, 250}, set;
    uint32_t setError = 0;
    UtcTime Now() override { return now; }
    bool Set(const UtcTime& t, uint32_t& e) override { set = t; return (e = setError) == 0; }
};

struct Sink : StatusSink {
    const SyncThreadState& state;
    std::vector<SyncStatus> posted;
    std::vector<uint32_t> flags;
    int broadcasts = 0;
    explicit Sink(const SyncThreadState& s) : state(s) {}
    void Post(const SyncStatus& s) override { posted.push_back(s); flags.push_back(state.flags); }
    void BroadcastTimeChange() override { ++broadcasts; }
    Ids ids() const { Ids v; for (const auto& s : posted) v.push_back(s.id); return v; }
};

struct Worker {
    SyncThreadState state;
    VirtualTicker ticker;
    FakeClockLine line{ticker};
    FakeClock clock;
    ScriptedEvent event{state};
    Sink sink{state};
    Worker() { state.flags = SYNC_STOPPED; state.portName = "com5"; }
    void Wake(int wakes) {
        event.steps.resize(std::max<size_t>(event.steps.size(), wakes));
        RunSyncWorker(state, SyncWorkerDeps{line, ticker, clock, event, sink});
    }
};

struct WorkerTest : ::testing::Test, Worker {};

TEST_F(WorkerTest, EachWakeUpSetsTheClocksTimeOnTodayAndReportsIt) {
    line.reply = "123:23:59:58\r\n";
    Wake(2);
    EXPECT_EQ(line.opened, "com5;com5;");
    EXPECT_EQ(line.breaks, 2);
    EXPECT_EQ(line.written, "b00dg\r\nTUb00dg\r\nTU");
    EXPECT_EQ(sink.ids(), (Ids{IDS_TIME_SET, IDS_TIME_SET, IDS_STOPPED}));
    EXPECT_EQ(sink.flags[1], SYNC_RUNNING | SYNC_LAST_OK);
    EXPECT_EQ(sink.posted[0].hour * 10000 + sink.posted[0].minute * 100 + sink.posted[0].second, 235958);
    EXPECT_EQ(sink.broadcasts, 2);
    EXPECT_EQ(event.drops, 2);
    const UtcTime& s = clock.set;
    EXPECT_EQ((std::vector<int>{s.year, s.month, s.day, s.hour, s.minute, s.second, s.milliseconds}),
              (std::vector<int>{2026, 12, 6, 23, 59, 58, 0}));
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

struct Case { const char* name; std::function<void(Worker&)> arrange; Ids ids; uint32_t code; };

TEST_F(WorkerTest, FailuresOfAnAttemptAreReportedAndTheWorkerWaitsOn) {
    const Case cases[] = {
        {"port missing", [](Worker& t) { t.line.openSucceeds = false; }, {IDS_OPEN_PORT_FAILED}, 0},
        {"no echo", [](Worker& t) { t.line.noEcho = "U"; }, {IDS_NO_ECHO}, 0},
        {"never quiet", [](Worker& t) { t.line.chatterMs = 600000; }, {IDS_READ_FAILED}, 0},
        {"short reply", [](Worker& t) { t.line.reply = "1:2:3:4\r\n"; }, {IDS_READ_FAILED}, 0},
        {"unparseable", [](Worker& t) { t.line.reply = "123:24:00:00\r\n"; }, {IDS_PARSE_FAILED}, 0}};
    for (const Case& c : cases) {
        Worker t;
        c.arrange(t);
        t.Wake(2);
        const int id = c.ids[0];
        EXPECT_EQ(t.sink.ids(), (Ids{id, id, IDS_STOPPED})) << c.name;
        EXPECT_EQ(t.sink.flags[1], SYNC_RUNNING | SYNC_LAST_FAILED) << c.name;
        EXPECT_EQ(t.clock.set.year, 0) << c.name;
    }
}

TEST_F(WorkerTest, FailuresThatEndTheWorkerCarryTheirCode) {
    const Case cases[] = {
        {"set refused", [](Worker& t) { t.clock.setError = 1314; }, {IDS_SET_TIME_FAILED, IDS_STOPPED}, 1314},
        {"port settings", [](Worker& t) { t.line.settingsError = 31; }, {IDS_INIT_PORT_FAILED, IDS_STOPPED}, 31},
        {"event", [](Worker& t) { t.event.error = 2; }, {IDS_OPEN_EVENT_FAILED, IDS_STOPPED}, 2},
        {"second wait", [](Worker& t) { t.event.error = 6; t.event.failingWait = 2; },
         {IDS_TIME_SET, IDS_OPEN_EVENT_FAILED, IDS_STOPPED}, 6},
        {"exception", [](Worker& t) { t.line.throwOnBreak = true; fake_system_error::SetLastErrorCode(8); },
         {IDS_UNEXPECTED_ERROR, IDS_STOPPED}, 8}};
    for (const Case& c : cases) {
        Worker t;
        c.arrange(t);
        t.Wake(3);
        EXPECT_EQ(t.sink.ids(), c.ids) << c.name;
        EXPECT_EQ(t.sink.posted[c.ids.size() - 2].error, c.code) << c.name;
        EXPECT_EQ(t.state.lastError, c.code) << c.name;
        EXPECT_EQ(t.state.flags, SYNC_STOPPED) << c.name;
    }
}

TEST_F(WorkerTest, StopIsNoticedWhileWaitingDrainingAndReadingAndNeverUndone) {
    const Case cases[] = {
        {"before the start", [](Worker& t) { t.state.RequestStop(); }, {IDS_STOPPED}, 0},   // code: attempts
        {"while waiting", [](Worker& t) { t.event.steps = {[&t] { t.state.RequestStop(); }}; }, {IDS_STOPPED}, 0},
        {"in the drain", [](Worker& t) {
             t.line.chatterMs = 2000;
             t.ticker.onSleep = [&t] { if (t.line.flushes == 2) t.state.RequestStop(); };
         }, {IDS_STOPPED}, 1},
        {"in the reply read", [](Worker& t) {
             t.line.replyDelayMs = 2000;
             t.ticker.onSleep = [&t] { if (t.line.written.size() == 9) t.state.RequestStop(); };
         }, {IDS_READ_FAILED, IDS_STOPPED}, 1}};
    for (const Case& c : cases) {
        Worker t;
        c.arrange(t);
        t.Wake(3);
        EXPECT_EQ(t.sink.ids(), c.ids) << c.name;
        EXPECT_LE(t.ticker.now, 1000u) << c.name;
        EXPECT_EQ(t.line.opened.size(), 5 * c.code) << c.name;
        EXPECT_EQ(t.line.written.find("TU"), c.ids.size() == 1 ? std::string::npos : 7) << c.name;
        EXPECT_EQ(t.sink.flags[0], c.ids.size() == 1 ? SYNC_STOPPED : SYNC_STOP_REQUESTED) << c.name;
    }
}

// Under ThreadSanitizer too: no write of the worker brings the running bit
// back once Stop has written its request, and the worker always ends.
TEST(StopRace, StopAlwaysWinsOverTheWorkersOwnWrites) {
    std::mt19937 random(12345);
    for (int round = 0; round < 100; ++round) {
        Worker t;
        t.event.always = true;
        t.line.openSucceeds = round % 3 != 0;
        std::thread worker([&] { RunSyncWorker(t.state, SyncWorkerDeps{t.line, t.ticker, t.clock, t.event, t.sink}); });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
        t.state.RequestStop();
        worker.join();
        bool stopped = false;
        for (const uint32_t f : t.sink.flags) {
            EXPECT_FALSE(stopped && (f & SYNC_RUNNING)) << "round " << round;
            stopped = stopped || !(f & SYNC_RUNNING);
        }
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
    const std::map<int, std::string> table = {{IDS_TIME_SET, "Set %H.%M.%S"}, {IDS_NO_ECHO, "No echo"},
                                              {IDS_UNKNOWN_STATUS, "Odd %d!"}};
    const StringLookup lookup = [&](int id, std::string& out) {
        return table.count(id) ? (out = table.at(id), true) : false;
    };
    const StringLookup none = [](int, std::string&) { return false; };
    const struct { SyncStatus status; const StringLookup& lookup; const char* line; } cases[] = {
        {StatusFromMessage(IDS_TIME_SET, StatusDetail({IDS_TIME_SET, 0, 23, 59, 58})), lookup, "Set 23.59.58"},
        {{IDS_TIME_SET, 0, 1, 2, 3}, none, "Time Set 01:02:03 UTC "},
        {StatusFromMessage(IDS_NO_ECHO, 0), lookup, "No echo"},
        {StatusFromMessage(IDS_NO_ECHO, 5), lookup, "No echo : Access is denied.\r\n"},
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
    log.Append("a", "b");
    EXPECT_EQ(log.Text() + std::to_string(log.LineCount()), "a b\r\n1");
}

TEST(Period, ReadAsAtoiWouldAndHeldWithinTheTimersReach) {
    const std::pair<const char*, int> texts[] = {{" +60s", 60}, {"-5", -5}, {"x", 0},
                                                 {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
    for (const auto& t : texts) EXPECT_EQ(ParsePeriodSeconds(t.first), t.second) << t.first;
    EXPECT_EQ(PeriodMilliseconds(0), 0u);
    EXPECT_EQ(PeriodMilliseconds(60), 60000u);
    EXPECT_EQ(PeriodMilliseconds(2147483), 2147483000u);
    EXPECT_EQ(PeriodMilliseconds(2147484), kLongestTimerMs);
    EXPECT_EQ(PeriodMilliseconds(INT_MAX), 0x7FFFFFFFu);
}

}  // namespace
