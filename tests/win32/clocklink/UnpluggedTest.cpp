#include <gtest/gtest.h>

#include "clocklink/DeviceRS232_win32.h"
#include "clocklink/GpsClock.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

// A USB adapter pulled while the port is open. A program of its own: the
// simulator does not come back.
TEST(UnpluggedTest, OpenPortFailsAndCannotBeReopened)
{
    ASSERT_TRUE(SetSimulatorSwitches("--unplug-after 1"));
    CDeviceRS232 device;
    ASSERT_TRUE(device.Open("COM5"));
    CGpsClock clock(SystemTicker());
    ASSERT_TRUE(clock.SendWithEcho(device, CMD_B0));

    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {   // hang guard
        gone = ReadWholeFile(SimulatorFile("HORALUX_SIM_LOG")).find("# unplugged") != std::string::npos;
        Sleep(10);
    }
    ASSERT_TRUE(gone);

    uint32_t count = 1;
    EXPECT_FALSE(device.Write("x", count));
    EXPECT_EQ("CDeviceRS232::Write(), WriteFile failed attempting to write 1",
              device.LastFailure().ContextText());
    EXPECT_NE(0u, device.LastFailure().Code());
    EXPECT_FALSE(clock.SendWithEcho(device, CMD_0DG));

    EXPECT_FALSE(device.Open("COM5"));
    EXPECT_EQ("CDeviceRS232::Open()", device.LastFailure().ContextText());
}

} // namespace
