#include <gtest/gtest.h>

#include "clocklink/Win32Error.h"
#include "tests/unit/support/FakeSystemError.h"

namespace {

class Win32ErrorTest : public ::testing::Test {
protected:
    void SetUp() override { fake_system_error::SetLastErrorCode(0); }
};

TEST_F(Win32ErrorTest, ContextRecordCapturesTheLastError)
{
    fake_system_error::SetLastErrorCode(6);
    const CWin32Error error("CDeviceRS232::Close()");
    EXPECT_EQ(6u, error.Code());
    EXPECT_EQ("The handle is invalid.\r\n", error.SystemText());
    EXPECT_EQ("CDeviceRS232::Close()", error.ContextText());
    std::string text;
    EXPECT_TRUE(error.Describe(text));
    EXPECT_EQ("CDeviceRS232::Close()\nThe handle is invalid.\r\n", text);
    EXPECT_EQ(6u, GetLastErrorCode());
}

TEST_F(Win32ErrorTest, NoErrorMeansNoDescription)
{
    const CWin32Error error;
    EXPECT_EQ(0u, error.Code());
    EXPECT_FALSE(error.HasError());
    std::string text = "old";
    EXPECT_FALSE(error.Describe(text));
    EXPECT_EQ("\n", text);
}

TEST_F(Win32ErrorTest, EmptyContextOrUnknownCodeStillGivesTheLineFeed)
{
    fake_system_error::SetLastErrorCode(5);
    std::string text;
    EXPECT_TRUE(CWin32Error().Describe(text));
    EXPECT_EQ("\nAccess is denied.\r\n", text);
    fake_system_error::SetLastErrorCode(0xDEAD);
    EXPECT_TRUE(CWin32Error("ctx").Describe(text));
    EXPECT_EQ("ctx\n", text);
}

TEST_F(Win32ErrorTest, CaptureKeepsTheContextAndClearEmptiesAll)
{
    fake_system_error::SetLastErrorCode(2);
    CWin32Error error("CDeviceRS232::Open()");
    fake_system_error::SetLastErrorCode(1314);
    error.Capture();
    EXPECT_EQ(1314u, error.Code());
    EXPECT_EQ("A required privilege is not held by the client.\r\n", error.SystemText());
    EXPECT_EQ("CDeviceRS232::Open()", error.ContextText());

    error.Clear();
    std::string text;
    EXPECT_FALSE(error.Describe(text));
    EXPECT_EQ("\n", text);
}

} // namespace
