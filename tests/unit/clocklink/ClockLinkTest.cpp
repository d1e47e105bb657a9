#include <gtest/gtest.h>

#include "clocklink/GpsClock.h"
#include "tests/unit/support/FakeClockLine.h"

namespace {

using Clock = CGpsClock;

struct ClockLinkTest : ::testing::Test {
    VirtualTicker ticker;
    FakeClockLine line{ticker};
    Clock clock{ticker};
    static bool Always() { return true; }
    ClockLinkTest() { ticker.now = 0u - 300; }   // deadlines straddle the counter's wrap
};

TEST_F(ClockLinkTest, CommandsTheWorkerSends) {
    EXPECT_EQ(clock.BuildCommand(CMD_B0) + clock.BuildCommand(CMD_0DG) + clock.BuildCommand(CMD_TU), "b00dg\r\nTU");
    EXPECT_EQ(clock.BuildCommand(CMD_XZ) + clock.BuildCommand(11), "0,0,7394XZ");
}

// Each character waits for its echo, up to 500 ms; a failed write ends the command at once.
TEST_F(ClockLinkTest, EachCharacterWaitsForItsEcho) {
    const struct { const char* noEcho; uint32_t delayMs; bool failWrites, ok; const char* written; uint32_t minMs, maxMs; } cases[] = {
        {"", 20, false, true, "\r\nTU", 80, 120}, {"", 600, false, false, "\r", 500, 600},
        {"T", 20, false, false, "\r\nT", 540, 600}, {"", 20, true, false, "", 0, 0}};
    for (const auto& c : cases) {
        FakeClockLine l(ticker);
        l.noEcho = c.noEcho;
        l.echoDelayMs = c.delayMs;
        l.failWrites = c.failWrites;
        const uint32_t start = ticker.now;
        EXPECT_EQ(clock.SendWithEcho(l, CMD_TU), c.ok) << c.written;
        EXPECT_EQ(l.written, c.written);
        EXPECT_TRUE(ticker.now - start >= c.minMs && ticker.now - start <= c.maxMs) << ticker.now - start;
        EXPECT_EQ(l.PeekRead(), 0u);   // every echo taken
        EXPECT_EQ(l.LastFailure().ContextText(), c.failWrites ? "FakeClockLine::Write()" : "");
    }
}

TEST_F(ClockLinkTest, DrainFlushesUntilQuietAndGivesUpAfterThreeSeconds) {
    line.chatterMs = 450;
    clock.SendWithEcho(line, CMD_B0);
    EXPECT_EQ(clock.Drain(line, Always), Clock::Drained::Quiet);
    EXPECT_EQ(line.flushes, 5);
    line.chatterMs = 600000;
    clock.SendWithEcho(line, CMD_0DG);
    const uint32_t start = ticker.now;
    EXPECT_EQ(clock.Drain(line, Always), Clock::Drained::NeverQuiet);
    EXPECT_EQ(ticker.now - start, Clock::kDrainLimitMs);
}

TEST_F(ClockLinkTest, TimeRepliesComeInPiecesAndStrayBytesMayLeadThem) {
    const struct { const char* stray; const char* reply; uint32_t delayMs; Clock::TimeRead read; } cases[] = {
        {"", "123:23:59:58\r\n", 50, Clock::TimeRead::Ok}, {"\r\n\r\n\r\n", "123:23:59:58\r\n", 50, Clock::TimeRead::Ok},
        {"", "12:12:34:56\r\n", 50, Clock::TimeRead::Short}, {"", "123:12:34:56\r\n", 1100, Clock::TimeRead::Short},
        {"", "123-12-34-56\r\n", 50, Clock::TimeRead::Unparseable}};
    for (const auto& c : cases) {
        FakeClockLine l(ticker);
        const std::string r = c.reply;
        l.Arrive(ticker.now, c.stray + r.substr(0, 7));   // the rest a poll and two later
        l.Arrive(ticker.now + c.delayMs + 150, r.substr(7, 4));
        l.Arrive(ticker.now + c.delayMs + 300, r.substr(11));
        ClockTimeOfDay time;
        EXPECT_EQ(clock.ReadTime(l, Always, time), c.read) << c.stray << c.reply;
        EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, c.read == Clock::TimeRead::Ok ? 235958 : 0);
    }
}

// The reply is composed before its hour field went out: each piece bounds
// that by its arrival less 1020 us a byte of the time it brought. A
// line end split between CR and LF is read on; the end check and the parser
// see the same reply, whether it came whole or in pieces.
TEST_F(ClockLinkTest, PiecesBoundWhenTheReplyWasComposedAndEndAtItsLineFeed) {
    const struct { std::vector<std::string> pieces; Clock::TimeRead read; int64_t composedBy; } cases[] = {
        {{"\r\n123:12:34:56\r\n"}, Clock::TimeRead::Ok, 50000 - 10 * 1020},
        {{"123:12:", "34:56\r", "\n"}, Clock::TimeRead::Ok, 50000 - 3 * 1020},
        {{"1234:12:", "34:56\r", "\n"}, Clock::TimeRead::Ok, 50000 - 3 * 1020},   // 14 bytes at the CR
        {{"123:12:34:56\r\nXYZWV"}, Clock::TimeRead::Ok, 50000 - 10 * 1020},
        {{"123:\n12:34:56\r\n"}, Clock::TimeRead::Unparseable, 0},
        {{"123:\n12:34:5", "6\r\n"}, Clock::TimeRead::Unparseable, 0},
        {{"123::34:56\r\n!!"}, Clock::TimeRead::Unparseable, 0}};
    for (const auto& c : cases) {
        FakeClockLine l(ticker);
        const uint32_t start = ticker.now;
        const int64_t startUs = ticker.CounterUs();
        for (size_t i = 0; i < c.pieces.size(); ++i) l.Arrive(start + 50 + 20 * static_cast<uint32_t>(i), c.pieces[i]);
        ClockTimeOfDay time;
        int64_t composedBy = 0;
        EXPECT_EQ(clock.ReadTime(l, Always, time, 1100, &composedBy), c.read) << c.pieces[0];
        EXPECT_EQ(c.read == Clock::TimeRead::Ok ? composedBy - startUs : 0, c.composedBy) << c.pieces[0];
    }
}

TEST(ParseClockReply, FourIntegersTheLastThreeATimeOfDay) {
    const std::pair<const char*, ReplyParse> cases[] = {
        {" 7: 1: 2: 3\r\n", ReplyParse::Ok},          {"-5:00:00:59\r\n", ReplyParse::Ok},
        {"123:23:59\r\n\r\n", ReplyParse::Unparseable}, {"123;23:59:58\r\n", ReplyParse::Unparseable},
        {"", ReplyParse::Unparseable},                 {"1:2:3:99999999999\r\n", ReplyParse::Unparseable},
        {"1:2:3:4\r\r\n", ReplyParse::Unparseable},    {"1:24:00:00\r\n", ReplyParse::OutOfRange},
        {"1:00:60:00\r\n", ReplyParse::OutOfRange},    {"1:00:00:60\r\n", ReplyParse::OutOfRange},
        {"1:-1:00:00\r\n", ReplyParse::OutOfRange}};
    for (const auto& c : cases) {
        ClockTimeOfDay t;
        EXPECT_EQ(ParseClockReply(c.first, t), c.second) << c.first;
    }
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
