#include <gtest/gtest.h>

#include <windows.h>

#include "clocklink/SystemError.h"
#include "clocklink/Win32Error.h"

namespace {

TEST(SystemErrorTextTest, UnknownCodeGivesNothingAndKeepsTheLastError)
{
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ("", GetSystemErrorText(0x2000ABCD));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST(Win32ErrorTest, CapturesTheFailedCallWithoutDisturbingIt)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    const CWin32Error error("CDeviceRS232::Close()");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), error.Code());
    EXPECT_EQ(GetSystemErrorText(ERROR_FILE_NOT_FOUND), error.SystemText());
}

} // namespace
