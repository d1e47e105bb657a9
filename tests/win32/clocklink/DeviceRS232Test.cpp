#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "clocklink/DeviceRS232_win32.h"
#include "clocklink/GpsClock.h"
#include "clocklink/SystemError.h"
#include "tests/win32/support/SimulatorControl.h"

namespace {

const char PORT[] = "COM5";   // the simulator, linked by wine-run.sh
// The runner maps COM1 to COM9 to links that may or may not be there.
const char MISSING_PORT[] = "COM42";

// Hang guard only: the simulator echoes at once.
uint32_t WaitForBytes(CDeviceRS232& device, uint32_t wanted)
{
    uint32_t waiting = 0;
    for (int i = 0; i < 500 && (waiting = device.PeekRead()) < wanted; ++i) Sleep(10);
    return waiting;
}

void ExpectDefaultState(const RS232State& s)
{
    EXPECT_STREQ("COM1", s.portName);
    EXPECT_EQ(9600u, s.dcb.BaudRate);
    EXPECT_EQ(250u, s.timeouts.ReadIntervalTimeout);
    EXPECT_EQ(4096u, s.inputQueueSize);
    EXPECT_EQ(4096u, s.outputQueueSize);
    EXPECT_EQ(static_cast<uint32_t>(EV_ERR), s.eventMask);
}

void ExpectFailure(const CDevice& device, const std::string& context)
{
    const CWin32Error& failure = device.LastFailure();
    EXPECT_TRUE(failure.HasError());
    EXPECT_EQ(context, failure.ContextText());
    EXPECT_EQ(GetSystemErrorText(failure.Code()), failure.SystemText());
}

// Any name is accepted, so one may lead to a pipe whose server would act as
// this (perhaps elevated) program. Wine does not model what a server may do
// with the opener's identity, so the test checks what the device asks for.
TEST(DeviceRS232OpenTest, PortsAreOpenedForIdentificationOnly)
{
    struct Recorder : CDeviceRS232 {
        DWORD flags = 0;
        HANDLE CreatePort(const std::string&, DWORD f) override { flags = f; return INVALID_HANDLE_VALUE; }
    } device;
    device.Open("pipe\\horalux");
    EXPECT_EQ(static_cast<DWORD>(SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION),
              device.flags & SECURITY_VALID_SQOS_FLAGS);
}

TEST(SystemErrorTextTest, UnknownCodeGivesNothingAndKeepsTheLastError)
{
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ("", GetSystemErrorText(0x2000ABCD));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST(RS232StateTest, Defaults)
{
    const RS232State s;
    uint32_t flags = 0;
    std::memcpy(&flags, reinterpret_cast<const char*>(&s.dcb) + offsetof(DCB, BaudRate) + sizeof(DWORD),
                sizeof(flags));
    EXPECT_EQ(0x1011u, flags);
    EXPECT_EQ(28u, s.dcb.DCBlength);
    EXPECT_EQ(2048, s.dcb.XonLim);
    EXPECT_EQ(512, s.dcb.XoffLim);
    EXPECT_EQ(8, s.dcb.ByteSize);
    EXPECT_EQ(NOPARITY, s.dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, s.dcb.StopBits);
    EXPECT_EQ(0u, s.timeouts.ReadTotalTimeoutMultiplier | s.timeouts.ReadTotalTimeoutConstant |
                      s.timeouts.WriteTotalTimeoutMultiplier | s.timeouts.WriteTotalTimeoutConstant);
    ExpectDefaultState(s);
}

TEST(DeviceRS232ClosedTest, LocalOperationsTouchNothing)
{
    CDeviceRS232 device;
    EXPECT_FALSE(device.LastFailure().HasError());
    EXPECT_EQ(0u, device.GetCharsPerMs());

    device.Flush();
    EXPECT_FALSE(device.LastFailure().HasError());

    RS232State faster;
    faster.dcb.BaudRate = 19200;
    std::strcpy(faster.portName, "COM7");
    EXPECT_TRUE(device.SetState(faster));
    EXPECT_STREQ("COM7", device.GetState().portName);
    EXPECT_EQ(1u, device.GetCharsPerMs());

    EXPECT_FALSE(device.Close());
    ExpectDefaultState(device.GetState());
    EXPECT_FALSE(device.LastFailure().HasError());
}

TEST(DeviceRS232ClosedTest, StreamOperationsFailWithTheirTexts)
{
    CDeviceRS232 device;
    const char bytes[] = "abc";
    uint32_t count = 3;
    EXPECT_FALSE(device.Write(bytes, count));
    EXPECT_EQ(0u, count);
    ExpectFailure(device, "CDeviceRS232::Write(), WriteFile failed attempting to write 3");
    EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_HANDLE), device.LastFailure().Code());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    EXPECT_EQ(0u, device.PeekRead());
    ExpectFailure(device, "CDeviceRS232::PeekRead(), ClearCommError");

    char buffer[8];
    count = 8;
    EXPECT_FALSE(device.Read(buffer, count));
    EXPECT_EQ(0u, count);
    ExpectFailure(device, "CDeviceRS232::PeekRead(), ClearCommError");
}

class DeviceRS232Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SetSimulatorSwitches("")) << "no simulator on " << PORT;
        ASSERT_TRUE(device.Open(PORT));
    }

    // The line settings and read time-outs the sync worker applies.
    RS232State ClockSettings() const
    {
        RS232State s = device.GetState();
        s.dcb.BaudRate = 9600;
        s.dcb.ByteSize = 8;
        s.dcb.Parity = NOPARITY;
        s.dcb.StopBits = ONESTOPBIT;
        s.timeouts = COMMTIMEOUTS();
        s.timeouts.ReadIntervalTimeout = 250;
        return s;
    }

    CDeviceRS232 device;
};

TEST_F(DeviceRS232Test, OpenReadsTheSettingsBack)
{
    EXPECT_STREQ(PORT, device.GetState().portName);
    EXPECT_EQ(4096u, device.GetState().inputQueueSize);
    EXPECT_EQ(4096u, device.GetState().outputQueueSize);

    RS232State slow = ClockSettings();
    slow.dcb.BaudRate = 4800;
    ASSERT_TRUE(device.SetState(slow));
    ASSERT_TRUE(device.Open(PORT));
    EXPECT_EQ(4800u, device.GetState().dcb.BaudRate);
    EXPECT_EQ(static_cast<DWORD>(sizeof(DCB)), device.GetState().dcb.DCBlength);
    ASSERT_TRUE(device.SetState(ClockSettings()));
}

TEST_F(DeviceRS232Test, ReadTakesOnlyWhatHasArrived)
{
    ASSERT_TRUE(device.SetState(ClockSettings()));
    char buffer[16] = {};
    uint32_t count = 15;
    EXPECT_FALSE(device.Read(buffer, count));
    EXPECT_EQ(0u, count);

    uint32_t written = 3;
    ASSERT_TRUE(device.Write("abc", written));
    EXPECT_EQ(3u, written);
    ASSERT_EQ(3u, WaitForBytes(device, 3));

    count = 0;
    EXPECT_TRUE(device.Read(buffer, count));
    EXPECT_EQ(0u, count);

    count = 15;
    EXPECT_TRUE(device.Read(buffer, count));
    EXPECT_EQ(3u, count);
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(0u, device.PeekRead());
    EXPECT_EQ("abc", SimulatorReceived());

    ASSERT_TRUE(device.Write("xyz", written));
    ASSERT_EQ(3u, WaitForBytes(device, 3));
    device.Flush();
    EXPECT_EQ(0u, device.PeekRead()) << "flush discards what arrived";
}

TEST_F(DeviceRS232Test, TimeCommandReachesTheClockAsCrLfTU)
{
    ASSERT_TRUE(device.SetState(ClockSettings()));
    CGpsClock clock{SystemTicker()};
    ASSERT_TRUE(clock.SendWithEcho(device, CMD_TU));
    EXPECT_EQ("\r\nTU", SimulatorReceived());
}

TEST_F(DeviceRS232Test, RefusedSettingsAreRecordedAndKept)
{
    RS232State bad = ClockSettings();
    bad.dcb.ByteSize = 3;
    EXPECT_FALSE(device.SetState(bad));
    ExpectFailure(device, "CDeviceRS232::SetState()");
    EXPECT_EQ(3, device.GetState().dcb.ByteSize);
}

TEST_F(DeviceRS232Test, CloseEndsTheSession)
{
    EXPECT_TRUE(device.Close());
    ExpectDefaultState(device.GetState());
    EXPECT_FALSE(device.Close());
}

TEST_F(DeviceRS232Test, FailedOpens)
{
    // A 32-character name is refused before the open port is touched; a
    // 31-character one and a missing port are tried and close the device.
    const struct { std::string name; bool refused; } cases[] = {
        {std::string(31, 'X'), false}, {MISSING_PORT, false}, {std::string(32, 'X'), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(device.Open(PORT));
        EXPECT_FALSE(device.Open(c.name));
        ExpectFailure(device, "CDeviceRS232::Open()");
        EXPECT_EQ(c.refused, device.LastFailure().Code() == static_cast<uint32_t>(ERROR_INVALID_NAME));
        if (c.refused) {
            EXPECT_STREQ(PORT, device.GetState().portName);
        } else {
            ExpectDefaultState(device.GetState());
        }
        EXPECT_EQ(c.refused, device.Close());
    }
    // The failure stays until the next one.
    const uint32_t code = device.LastFailure().Code();
    ASSERT_TRUE(device.Open(PORT));
    uint32_t written = 1;
    ASSERT_TRUE(device.Write("a", written));
    EXPECT_EQ(code, device.LastFailure().Code());
}

TEST_F(DeviceRS232Test, PortHeldByAnotherHandle)
{
    ASSERT_TRUE(device.Close());
    const HANDLE other = CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    const bool opened = device.Open(PORT);
    CloseHandle(other);
    if (opened) GTEST_SKIP() << "Wine does not enforce share mode 0 on serial ports";
    EXPECT_EQ(static_cast<uint32_t>(ERROR_ACCESS_DENIED), device.LastFailure().Code());
    ExpectDefaultState(device.GetState());
}

} // namespace
