#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "about/MapiMailMessage_win32.h"

// Run where no mail library can be loaded.
TEST(MapiMailMessageWithoutLibrary, SendDoesNothingAndReportsSuccess)
{
    ASSERT_EQ(LoadLibraryA("MAPI32.DLL"), nullptr) << "this test needs a system without MAPI32.DLL";
    CMapiMailMessage message;
    std::string text;
    message.SetRecipient("support@orvanel.example.com");
    message.subject = "Problem Report";
    EXPECT_TRUE(message.Send(MAPI_DIALOG));
    EXPECT_FALSE(message.GetError(text));
    EXPECT_EQ(text, "Error: Can't find MAPI32.DLL.");

    CMapiMailMessage copy;
    copy = message;
    EXPECT_TRUE(copy.Send(MAPI_DIALOG));
}
