#include <gtest/gtest.h>

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

TEST_F(GpsClockOverSerialTest, TimeCommandReachesTheClockAsCrLfTU)
{
    ASSERT_TRUE(clock.SendWithEcho(device, CMD_TU));
    EXPECT_EQ(std::string("\r\nTU"), SimulatorReceived());
}

// Echo faults are covered over a fake device; this one checks the real port sees them too.
TEST_F(GpsClockOverSerialTest, MissingEchoStopsAfterTheFirstCharacter)
{
    ASSERT_TRUE(SetSimulatorSwitches("--no-echo-from 1"));
    EXPECT_FALSE(clock.SendWithEcho(device, CMD_TU));
    EXPECT_EQ("\r", SimulatorReceived());
}

} // namespace
