#include <gtest/gtest.h>

#include <cctype>

#include "clocklink/GpsClock.h"
#include "tests/unit/support/FakeClockDevice.h"
#include "tests/unit/support/VirtualTicker.h"

namespace {

class GpsClockTest : public ::testing::Test {
protected:
    VirtualTicker ticker{1000};
    FakeClockDevice clock{ticker};
    CGpsClock gps{ticker};
};

TEST_F(GpsClockTest, CommandTextsTheWorkerSendsAndIndexesOutsideTheTable)
{
    EXPECT_EQ(std::string("\r\nTU"), gps.BuildCommand(CMD_TU));
    EXPECT_EQ("b0", gps.BuildCommand(CMD_B0));
    EXPECT_EQ("0dg", gps.BuildCommand(CMD_0DG));
    EXPECT_EQ("", gps.BuildCommand(11));
    EXPECT_EQ("", gps.BuildCommand(-1));
}

TEST_F(GpsClockTest, TimeSetCommandAtTheEndOf1999)
{
    std::tm t = {};
    t.tm_year = 99;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 58;
    EXPECT_EQ("1999:12:31:23:59TS", CGpsClock::TimeSetCommand(&t));
    EXPECT_EQ("", CGpsClock::TimeSetCommand(nullptr));
}

TEST_F(GpsClockTest, EmptyCommandsTouchNothing)
{
    EXPECT_TRUE(gps.SendWithEcho(clock, 11));
    EXPECT_TRUE(gps.SendWithEcho(clock, -1));
    EXPECT_EQ(0, clock.writeCalls);
    EXPECT_EQ(0, clock.readCalls);
    EXPECT_EQ(0u, ticker.Slept());
}

TEST_F(GpsClockTest, TimeCommandWritesEachCharacterAfterThePreviousEcho)
{
    clock.echoDelayMs = 40;
    EXPECT_TRUE(gps.SendWithEcho(clock, CMD_TU));
    EXPECT_EQ(std::string("\r\nTU"), clock.written);
    ASSERT_EQ(4u, clock.writeTimes.size());
    for (size_t i = 1; i < clock.writeTimes.size(); ++i)
        EXPECT_GE(clock.writeTimes[i] - clock.writeTimes[i - 1], clock.echoDelayMs) << i;
    EXPECT_EQ(0u, clock.PeekRead());
}

TEST_F(GpsClockTest, EchoWithinTheWindowPasses)
{
    clock.echoDelayMs = 300;
    EXPECT_TRUE(gps.SendWithEcho(clock, CMD_0DG));
    EXPECT_EQ("0dg", clock.written);
}

TEST_F(GpsClockTest, EchoAfterTheWindowFailsAndStopsTheCommand)
{
    clock.echoDelayMs = 600;
    EXPECT_FALSE(gps.SendWithEcho(clock, CMD_TU));
    EXPECT_EQ("\r", clock.written);
    EXPECT_GE(ticker.Slept(), CGpsClock::ECHO_WINDOW_MS);
    EXPECT_LT(ticker.Slept(), 600u);
}

TEST_F(GpsClockTest, StrayByteBeforeTheEchoIsConsumed)
{
    clock.echoOf = [](char c) { return std::string("?") + c; };
    EXPECT_TRUE(gps.SendWithEcho(clock, CMD_B0));
    EXPECT_EQ(0u, clock.PeekRead());
}

TEST_F(GpsClockTest, WrongCaseEchoFails)
{
    clock.echoOf = [](char c) { return std::string(1, static_cast<char>(std::toupper(c))); };
    EXPECT_FALSE(gps.SendWithEcho(clock, CMD_B0));
    EXPECT_EQ("b", clock.written);
}

TEST_F(GpsClockTest, EchoOfOneCharacterDoesNotCountForTheNext)
{
    // "\r\nTU" with the echo of LF lost: the stale CR must not stand in for it.
    clock.echoOf = [](char c) { return c == '\n' ? std::string() : std::string(1, c); };
    EXPECT_FALSE(gps.SendWithEcho(clock, CMD_TU));
    EXPECT_EQ(std::string("\r\n"), clock.written);
}

TEST_F(GpsClockTest, FailedWriteEndsTheCommand)
{
    clock.failWritesFrom = 1;
    EXPECT_FALSE(gps.SendWithEcho(clock, CMD_0DG));
    EXPECT_EQ("0", clock.written);
    EXPECT_EQ(2, clock.writeCalls);
    EXPECT_EQ(31u, clock.LastFailure().Code());
}

TEST_F(GpsClockTest, DeadlineAcrossTheTickCounterWrap)
{
    VirtualTicker nearWrap(0xFFFFFF00u);
    FakeClockDevice late(nearWrap);
    late.echoDelayMs = 400;
    CGpsClock gpsNearWrap(nearWrap);
    EXPECT_TRUE(gpsNearWrap.SendWithEcho(late, CMD_B0));
}

TEST_F(GpsClockTest, BytesLeftAfterTheCommandStayQueued)
{
    clock.answers.push_back({"\r\nTU", "123:12:34:56\r\n"});
    ASSERT_TRUE(gps.SendWithEcho(clock, CMD_TU));
    EXPECT_EQ(14u, clock.PeekRead());
}

} // namespace
