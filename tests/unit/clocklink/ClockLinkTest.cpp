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

// The reply is composed before its hour field went out: each piece bounds
// that by its arrival less 1020 us a byte of the time it brought. Stray line
// ends may lead it; a line end split between CR and LF is read on; the end
// check and the parser see the same reply, whether it came whole or in
// pieces; a reply not ended by the deadline is short.
TEST_F(ClockLinkTest, PiecesBoundWhenTheReplyWasComposedAndEndAtItsLineFeed) {
    using R = Clock::TimeRead;
    const struct { std::vector<std::string> pieces; R read; int64_t composedBy; uint32_t gapMs; } cases[] = {
        {{"\r\n\r\n123:12:34:56\r\n"}, R::Ok, 50000 - 10 * 1020, 20},
        {{"123:12:", "34:56\r", "\n"}, R::Ok, 50000 - 3 * 1020, 20},
        {{"1234:12:", "34:56\r", "\n"}, R::Ok, 50000 - 3 * 1020, 20},   // 14 bytes at the CR
        {{"123:12:34:56\r\nXYZWV"}, R::Ok, 50000 - 10 * 1020, 20},
        {{"\r\n\r\n\r\n123:12:34", ":56\r\n"}, R::Ok, 50000 - 5 * 1020, 400},   // stray line feeds end nothing
        {{"12:12:34:56\r\n"}, R::Short, 0, 20},
        {{"123:12:", "34:56\r\n"}, R::Short, 0, 1100},
        {{"123-12-34-56\r\n"}, R::Unparseable, 0, 20},
        {{"123:\n12:34:56\r\n"}, R::Unparseable, 0, 20},
        {{"123:\n12:34:5", "6\r\n"}, R::Unparseable, 0, 20},
        {{"123::34:56\r\n!!"}, R::Unparseable, 0, 20}};
    for (const auto& c : cases) {
        FakeClockLine l(ticker);
        const uint32_t start = ticker.now;
        const int64_t startUs = ticker.CounterUs();
        for (size_t i = 0; i < c.pieces.size(); ++i) l.Arrive(start + 50 + c.gapMs * static_cast<uint32_t>(i), c.pieces[i]);
        ClockTimeOfDay time;
        int64_t composedBy = 0;
        EXPECT_EQ(clock.ReadTime(l, Always, time, Clock::kReplyDeadlineMs, &composedBy), c.read) << c.pieces[0];
        EXPECT_EQ(c.read == R::Ok ? composedBy - startUs : 0, c.composedBy) << c.pieces[0];
        EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, c.read == R::Ok ? 123456 : 0) << c.pieces[0];
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
