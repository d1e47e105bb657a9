#include <gtest/gtest.h>

#include "clocklink/GpsClock.h"
#include "tests/unit/support/FakeClockLine.h"
#include "tests/unit/support/FakeSystemError.h"

namespace {

using Clock = CGpsClock;

struct ClockLinkTest : ::testing::Test {
    VirtualTicker ticker;
    FakeClockLine line{ticker};
    Clock clock{ticker};
    bool running = true;
    Clock::Running Running() { return [this] { return running; }; }
    ClockLinkTest() { ticker.now = 0u - 300; }   // deadlines straddle the counter's wrap
};

TEST_F(ClockLinkTest, CommandsTheWorkerSends) {
    EXPECT_EQ(clock.BuildCommand(CMD_B0), "b0");
    EXPECT_EQ(clock.BuildCommand(CMD_0DG), "0dg");
    EXPECT_EQ(clock.BuildCommand(CMD_TU), "\r\nTU");
    EXPECT_EQ(clock.BuildCommand(CMD_XZ), "0,0,7394XZ");
    EXPECT_EQ(clock.BuildCommand(11), "");
}

struct Echo { const char* noEcho; uint32_t delayMs; bool failWrites; bool ok; const char* written; };

TEST_F(ClockLinkTest, EachCharacterWaitsForItsEcho) {
    const Echo cases[] = {{"", 20, false, true, "\r\nTU"},      {"", 600, false, false, "\r"},
                          {"T", 20, false, false, "\r\nT"},     {"", 20, true, false, ""}};
    for (const Echo& c : cases) {
        FakeClockLine l(ticker);
        l.noEcho = c.noEcho;
        l.echoDelayMs = c.delayMs;
        l.failWrites = c.failWrites;
        const uint32_t start = ticker.now;
        EXPECT_EQ(clock.SendWithEcho(l, CMD_TU), c.ok) << c.written;
        EXPECT_EQ(l.written, c.written);
        const uint32_t took = ticker.now - start;
        if (c.ok) {
            EXPECT_GE(took, 80u);   // one echo delay per character, not one for all
            EXPECT_EQ(l.PeekRead(), 0u);
        } else if (!c.failWrites) {
            EXPECT_TRUE(took >= Clock::ECHO_WINDOW_MS && took < 600) << took;
        } else {
            EXPECT_EQ(took, 0u);
            EXPECT_EQ(l.LastFailure().Code(), 31u);
            EXPECT_EQ(l.LastFailure().ContextText(), "FakeClockLine::Write()");
        }
    }
}

TEST_F(ClockLinkTest, DrainFlushesUntilQuietGivesUpAfterThreeSecondsAndHeedsStop) {
    line.chatterMs = 450;
    clock.SendWithEcho(line, CMD_B0);
    EXPECT_EQ(clock.Drain(line, Running()), Clock::Drained::Quiet);
    EXPECT_EQ(line.flushes, 5);
    line.chatterMs = 600000;
    clock.SendWithEcho(line, CMD_0DG);
    const uint32_t start = ticker.now;
    EXPECT_EQ(clock.Drain(line, Running()), Clock::Drained::NeverQuiet);
    EXPECT_EQ(ticker.now - start, Clock::kDrainLimitMs);
    ticker.onSleep = [this, start] { running = ticker.now - start < 3500; };
    EXPECT_EQ(clock.Drain(line, Running()), Clock::Drained::Stopped);
    EXPECT_LE(ticker.now - start, 3600u);
}

struct Reply { const char* name; const char* stray; const char* reply; uint32_t delayMs; Clock::TimeRead read; int hour; };

TEST_F(ClockLinkTest, TimeReplies) {
    const Reply cases[] = {
        {"plain", "", "123:23:59:58\r\n", 50, Clock::TimeRead::Ok, 23},
        {"cut off by stray bytes ahead", "\r\n\r\n\r\n", "123:01:02:03\r\n", 50, Clock::TimeRead::Ok, 1},
        {"thirteen bytes", "", "12:12:34:56\r\n", 50, Clock::TimeRead::Short, 0},
        {"too late", "", "123:12:34:56\r\n", 1100, Clock::TimeRead::Short, 0},
        {"not the format", "", "123-12-34-56\r\n", 50, Clock::TimeRead::Unparseable, 0},
        {"hour 24", "", "123:24:00:00\r\n", 50, Clock::TimeRead::Unparseable, 0},
        {"no line end after the seconds", "", "9:1:2:3XXXXXXX", 50, Clock::TimeRead::Unparseable, 0}};
    for (const Reply& c : cases) {
        FakeClockLine l(ticker);
        l.Arrive(ticker.now, c.stray);
        const std::string r = c.reply;   // in three pieces, a poll and more apart
        l.Arrive(ticker.now + c.delayMs, r.substr(0, 7));
        l.Arrive(ticker.now + c.delayMs + 150, r.substr(7, 4));
        l.Arrive(ticker.now + c.delayMs + 300, r.substr(11));
        ClockTimeOfDay time;
        EXPECT_EQ(clock.ReadTime(l, Running(), time), c.read) << c.name;
        if (c.read == Clock::TimeRead::Ok) {
            EXPECT_EQ(time.hour, c.hour) << c.name;
        }
    }
}

TEST_F(ClockLinkTest, StopDuringTheReplyReadIsNoticedWithinAPoll) {
    line.Arrive(ticker.now + 900, "123:12:34:56\r\n");
    const uint32_t stopAt = ticker.now + 250;
    ticker.onSleep = [&] { running = static_cast<int32_t>(ticker.now - stopAt) < 0; };
    ClockTimeOfDay time;
    EXPECT_EQ(clock.ReadTime(line, Running(), time), Clock::TimeRead::Short);
    EXPECT_LE(ticker.now - stopAt, Clock::kWaitPollMs);
}

TEST(ParseClockReply, FourIntegersTheLastThreeATimeOfDay) {
    const std::pair<const char*, ReplyParse> cases[] = {
        {" 7: 1: 2: 3\r\n", ReplyParse::Ok},          {"-5:00:00:59\r\n", ReplyParse::Ok},
        {"123:23:59\r\n\r\n", ReplyParse::Unparseable}, {"123;23:59:58\r\n", ReplyParse::Unparseable},
        {"", ReplyParse::Unparseable},                 {"1:2:3:99999999999\r\n", ReplyParse::Unparseable},
        {"1:2:3:4\r\r\n", ReplyParse::Unparseable},    {"1:00:60:00\r\n", ReplyParse::OutOfRange},
        {"1:00:00:60\r\n", ReplyParse::OutOfRange},    {"1:-1:00:00\r\n", ReplyParse::OutOfRange}};
    for (const auto& c : cases) {
        ClockTimeOfDay t;
        EXPECT_EQ(ParseClockReply(c.first, t), c.second) << c.first;
    }
    ClockTimeOfDay t;
    ParseClockReply("123:23:59:58\r\n", t);
    EXPECT_EQ(t.hour * 10000 + t.minute * 100 + t.second, 235958);
}

TEST(Win32Error, RecordsContextCodeAndSystemText) {
    fake_system_error::SetLastErrorCode(6);
    std::string text;
    CWin32Error error("CDeviceRS232::Close()");
    EXPECT_TRUE(error.Describe(text));
    EXPECT_EQ(text, "CDeviceRS232::Close()\nThe handle is invalid.\r\n");
    error.Clear();
    EXPECT_FALSE(error.Describe(text));
    EXPECT_EQ(text, "\n");
}

}  // namespace
