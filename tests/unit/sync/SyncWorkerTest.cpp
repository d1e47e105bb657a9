#include "sync/SyncWorker.h"

#include <gtest/gtest.h>

#include "sync/StatusTexts.h"
#include "tests/unit/support/FakeSystemError.h"
#include "tests/unit/sync/WorkerFakes.h"

using Ids = std::vector<int>;

namespace {

class SyncWorkerTest : public ::testing::Test {
protected:
    SyncWorkerTest()
        : line(ticker), event(state), sink(state, [this] { return ticker.Now(); }) {
        state.flags = SYNC_STOPPED;
        state.portName = "com5";
    }

    void Run() { RunSyncWorker(state, SyncWorkerDeps{line, ticker, clock, event, sink}); }

    VirtualTicker ticker{0u - 1000};   // the counter wraps during the first attempt
    SyncThreadState state;
    FakeClockLine line;
    FakeSystemClock clock;
    ScriptedWakeEvent event;
    RecordingSink sink;
};

TEST_F(SyncWorkerTest, SuccessfulAttemptSetsTodayAtTheClocksTimeAndBroadcasts) {
    line.reply = "123:23:59:58\r\n";
    clock.now.hour = 23; clock.now.minute = 59; clock.now.second = 57; clock.now.milliseconds = 400;
    event.WakeTimes(1);
    Run();

    ASSERT_EQ(clock.sets.size(), 1u);
    const UtcTime& set = clock.sets[0];
    EXPECT_EQ(set.year, 2026); EXPECT_EQ(set.month, 12); EXPECT_EQ(set.day, 6);
    EXPECT_EQ(set.hour, 23); EXPECT_EQ(set.minute, 59); EXPECT_EQ(set.second, 58);
    EXPECT_EQ(set.milliseconds, 0);
    EXPECT_EQ(sink.Ids(), (Ids{IDS_TIME_SET, IDS_STOPPED}));
    EXPECT_EQ(sink.posted[0].flagsWhenPosted, SYNC_RUNNING | SYNC_LAST_OK);
    EXPECT_EQ(sink.posted[0].code, 0u);
    EXPECT_EQ(sink.broadcasts, 1);
    EXPECT_EQ(state.hour, 23); EXPECT_EQ(state.minute, 59); EXPECT_EQ(state.second, 58);
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

TEST_F(SyncWorkerTest, AttemptOpensConfiguresBreaksAndSendsTheThreeCommandsInOrder) {
    event.WakeTimes(2);
    Run();
    EXPECT_EQ(line.openedPorts, (std::vector<std::string>{"com5", "com5"}));
    EXPECT_EQ(line.breaks, 2);
    EXPECT_EQ(line.written, "b00dg\r\nTUb00dg\r\nTU");
    EXPECT_EQ(sink.Ids(), (Ids{IDS_TIME_SET, IDS_TIME_SET, IDS_STOPPED}));
}

TEST_F(SyncWorkerTest, DrainFlushesUntilTheClockIsQuiet) {
    line.chatterMs = 450;
    event.WakeTimes(1);
    Run();
    EXPECT_EQ(line.flushes, 10);   // five rounds of 100 ms after each command
    EXPECT_EQ(sink.Ids(), (Ids{IDS_TIME_SET, IDS_STOPPED}));
}

using Line = FakeClockLine;
using Clock = FakeSystemClock;
using Event = ScriptedWakeEvent;

// Failures that spoil one attempt: reported with 0x21, the worker waits on.
struct AttemptFailure {
    const char* name;
    std::function<void(Line&)> arrange;
    int status;
};

void PrintTo(const AttemptFailure& f, std::ostream* os) { *os << f.name; }

class AttemptFailureTest : public SyncWorkerTest, public ::testing::WithParamInterface<AttemptFailure> {};

TEST_P(AttemptFailureTest, IsReportedAtEveryTickAndTheWorkerStays) {
    GetParam().arrange(line);
    event.WakeTimes(2);
    Run();
    const int s = GetParam().status;
    EXPECT_EQ(sink.Ids(), (Ids{s, s, IDS_STOPPED}));
    EXPECT_EQ(sink.posted[0].flagsWhenPosted, SYNC_RUNNING | SYNC_LAST_FAILED);
    EXPECT_EQ(sink.posted[1].flagsWhenPosted, SYNC_RUNNING | SYNC_LAST_FAILED);
    EXPECT_TRUE(clock.sets.empty());
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

INSTANTIATE_TEST_SUITE_P(
    Worker, AttemptFailureTest,
    ::testing::Values(
        AttemptFailure{"PortMissing", [](Line& l) { l.openSucceeds = false; }, IDS_OPEN_PORT_FAILED},
        AttemptFailure{"NoEchoOfTimeCommand", [](Line& l) {
            l.echoOf = [](char c) { return std::string(c == 'T' || c == 'U' ? 0 : 1, c); };
        }, IDS_NO_ECHO},
        AttemptFailure{"ThirteenByteReply", [](Line& l) { l.reply = "12:12:34:56\r\n"; }, IDS_READ_FAILED},
        AttemptFailure{"ReplyTooLate", [](Line& l) { l.replyDelayMs = 1200; }, IDS_READ_FAILED},
        AttemptFailure{"UnparseableReply", [](Line& l) { l.reply = "123-12-34-56\r\n"; }, IDS_PARSE_FAILED},
        AttemptFailure{"HourAbove23", [](Line& l) { l.reply = "123:24:00:00\r\n"; }, IDS_PARSE_FAILED},
        AttemptFailure{"NoLineEndAfterTheSeconds", [](Line& l) { l.reply = "9:1:2:3XXXXXXX"; }, IDS_PARSE_FAILED},
        AttemptFailure{"ClockNeverFallsQuiet", [](Line& l) { l.chatterMs = 600000; }, IDS_READ_FAILED}),
    [](const ::testing::TestParamInfo<AttemptFailure>& info) { return info.param.name; });

TEST_F(SyncWorkerTest, ReplyAfterStrayBytesIsCollectedUpToItsLineEnd) {
    line.answers = {{"\r\nTU", std::string("\r\n\0\r\n123:01:02:0", 16)}};   // comes with the echo
    line.reply = "3\r\n";
    line.replyDelayMs = 900;   // still inside the 1000 ms window
    event.WakeTimes(1);
    Run();
    ASSERT_EQ(clock.sets.size(), 1u);
    EXPECT_EQ(clock.sets[0].hour, 1);
    EXPECT_EQ(clock.sets[0].second, 3);
}

// Failures that end the worker: reported once with the Win32 code for the
// log line, which the record keeps too, then the stop.
struct EndingFailure {
    const char* name;
    std::function<void(FakeClockLine&, FakeSystemClock&, ScriptedWakeEvent&)> arrange;
    Ids ids;
    uint32_t code;
};

void PrintTo(const EndingFailure& f, std::ostream* os) { *os << f.name; }

class EndingFailureTest : public SyncWorkerTest, public ::testing::WithParamInterface<EndingFailure> {};

TEST_P(EndingFailureTest, IsReportedWithItsCodeAndStopsTheWorker) {
    event.WakeTimes(3);
    GetParam().arrange(line, clock, event);
    Run();
    EXPECT_EQ(sink.Ids(), GetParam().ids);
    EXPECT_EQ(sink.posted.at(sink.posted.size() - 2).code, GetParam().code);
    EXPECT_EQ(state.lastError, GetParam().code);
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

INSTANTIATE_TEST_SUITE_P(
    Worker, EndingFailureTest,
    ::testing::Values(
        EndingFailure{"SetSystemTimeRefused", [](Line&, Clock& c, Event&) { c.setSucceeds = false; },
                      {IDS_SET_TIME_FAILED, IDS_STOPPED}, 1314},
        EndingFailure{"PortCannotBeConfigured", [](Line& l, Clock&, Event&) { l.settingsSucceed = false; l.settingsError = 31; },
                      {IDS_INIT_PORT_FAILED, IDS_STOPPED}, 31},
        EndingFailure{"EventCannotBeOpened", [](Line&, Clock&, Event& e) { e.openSucceeds = false; e.error = 2; },
                      {IDS_OPEN_EVENT_FAILED, IDS_STOPPED}, 2},
        EndingFailure{"SecondWaitFails", [](Line&, Clock&, Event& e) { e.failingWait = 2; },
                      {IDS_TIME_SET, IDS_OPEN_EVENT_FAILED, IDS_STOPPED}, 6},
        EndingFailure{"UnexpectedException", [](Line& l, Clock&, Event&) { l.throwOnBreak = true; fake_system_error::SetLastErrorCode(8); },
                      {IDS_UNEXPECTED_ERROR, IDS_STOPPED}, 8}),
    [](const ::testing::TestParamInfo<EndingFailure>& info) { return info.param.name; });

// Stop requests.
TEST_F(SyncWorkerTest, StopWhileWaitingForATickEndsWithoutAnAttempt) {
    event.steps = {[this] { state.RequestStop(); }};
    Run();
    EXPECT_EQ(sink.Ids(), (Ids{IDS_STOPPED}));
    EXPECT_TRUE(line.openedPorts.empty());
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

TEST_F(SyncWorkerTest, StopDuringTheDrainIsNoticedWithinAPoll) {
    line.chatterMs = 2000;
    uint32_t stopAt = 0;
    ticker.onAdvance = [&](uint32_t now) {
        if (stopAt == 0 && line.flushes == 2) {
            stopAt = now;
            state.RequestStop();
        }
    };
    event.WakeTimes(1);
    Run();
    ASSERT_NE(stopAt, 0u);
    EXPECT_EQ(sink.Ids(), (Ids{IDS_STOPPED}));
    EXPECT_LE(sink.posted[0].virtualTime - stopAt, 100u);
    EXPECT_EQ(line.written.find("\r\nTU"), std::string::npos);
}

TEST_F(SyncWorkerTest, StopDuringTheReplyReadIsNoticedWithinAPollAndKept) {
    line.replyDelayMs = 2000;
    uint32_t stopAt = 0;
    ticker.onAdvance = [&](uint32_t now) {
        if (stopAt == 0 && line.written.size() == 9 && now - line.writeTimes.back() >= 100) {   // reading the reply
            stopAt = now;
            state.RequestStop();
        }
    };
    event.WakeTimes(3);
    Run();
    EXPECT_EQ(sink.Ids(), (Ids{IDS_READ_FAILED, IDS_STOPPED}));
    EXPECT_EQ(sink.posted[0].flagsWhenPosted, SYNC_STOP_REQUESTED);
    EXPECT_LE(sink.posted[0].virtualTime - stopAt, 100u);
    EXPECT_EQ(state.flags, SYNC_STOPPED);
}

TEST_F(SyncWorkerTest, StopBeforeTheWorkerStartsIsNotUndone) {
    state.RequestStop();
    event.WakeTimes(5);
    Run();
    EXPECT_EQ(sink.Ids(), (Ids{IDS_STOPPED}));
    EXPECT_EQ(event.waits, 0);
    EXPECT_TRUE(line.openedPorts.empty());
}

}  // namespace
