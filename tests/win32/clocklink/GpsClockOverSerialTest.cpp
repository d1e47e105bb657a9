#include <gtest/gtest.h>

#include <cstdio>

#include "clocklink/DeviceRS232_win32.h"
#include "clocklink/GpsClock.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

class GpsClockOverSerialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SetSimulatorSwitches(""));
        ASSERT_TRUE(device.Open("COM5"));
        RS232State s = device.GetState();
        s.timeouts = COMMTIMEOUTS();
        s.timeouts.ReadIntervalTimeout = 250;
        ASSERT_TRUE(device.SetState(s));
    }

    CDeviceRS232 device;
    CGpsClock clock{SystemTicker()};
};

TEST_F(GpsClockOverSerialTest, TimeCommandIsEchoedAndAnswered)
{
    ASSERT_TRUE(clock.SendWithEcho(device, CMD_TU));
    EXPECT_EQ(std::string("\r\nTU"), SimulatorReceived());

    char reply[16] = {};
    uint32_t received = 0;
    for (int i = 0; i < 500 && received < 14; ++i) {   // hang guard
        uint32_t count = 15 - received;
        device.Read(reply + received, count);
        received += count;
        Sleep(10);
    }
    ASSERT_EQ(14u, received) << reply;
    int day = -1, hour = -1, minute = -1, second = -1;
    ASSERT_EQ(4, std::sscanf(reply, "%d:%d:%d:%d\r\n", &day, &hour, &minute, &second)) << reply;
    EXPECT_GE(hour, 0);
    EXPECT_LT(hour, 24);
}

TEST_F(GpsClockOverSerialTest, SetupCommandsPass)
{
    EXPECT_TRUE(clock.SendWithEcho(device, CMD_B0));
    EXPECT_TRUE(clock.SendWithEcho(device, CMD_0DG));
    EXPECT_EQ("b00dg", SimulatorReceived());
}

TEST_F(GpsClockOverSerialTest, MissingEchoStopsAfterTheFirstCharacter)
{
    ASSERT_TRUE(SetSimulatorSwitches("--no-echo-from 1"));
    EXPECT_FALSE(clock.SendWithEcho(device, CMD_TU));
    EXPECT_EQ("\r", SimulatorReceived());
}

TEST_F(GpsClockOverSerialTest, WrongEchoFails)
{
    ASSERT_TRUE(SetSimulatorSwitches("--bad-echo-from 1"));
    EXPECT_FALSE(clock.SendWithEcho(device, CMD_B0));
    EXPECT_EQ("b", SimulatorReceived());
}

TEST_F(GpsClockOverSerialTest, StrayBytesAreSkipped)
{
    ASSERT_TRUE(SetSimulatorSwitches("--stray-from 1"));
    EXPECT_TRUE(clock.SendWithEcho(device, CMD_0DG));
    EXPECT_EQ("?0?d?g", SimulatorSent());
}

} // namespace
