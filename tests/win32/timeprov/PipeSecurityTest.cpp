#include <gtest/gtest.h>
#include <windows.h>

#include "timeprov/PipeSecurity_win32.h"

// The service's SID is derived, not looked up: a slip would lock the service
// out of the pipe on Windows, and nothing under Wine, which enforces no
// access list on pipes, would show it. Wine's user is an administrator;
// without that group, a client is a stranger.
TEST(PipeSecurity, TheServiceSidIsDerivedAndOnlyTheServiceAndAdministratorsGetIn) {
    EXPECT_EQ(ServiceSidText("TrustedInstaller"), "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464");
    EXPECT_EQ(ServiceSidText("trustedinstaller"), ServiceSidText("TrustedInstaller"));

    KernelHandle process, own, restricted, stranger;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, process.Put()));
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    SID_AND_ATTRIBUTES denied = {administrators, 0};
    ASSERT_TRUE(CreateRestrictedToken(process.Get(), 0, 1, &denied, 0, nullptr, 0, nullptr, restricted.Put()));
    ASSERT_TRUE(DuplicateToken(process.Get(), SecurityIdentification, own.Put()));
    ASSERT_TRUE(DuplicateToken(restricted.Get(), SecurityIdentification, stranger.Put()));
    EXPECT_TRUE(IsTrustedClient(own.Get()));
    EXPECT_FALSE(IsTrustedClient(stranger.Get()));
    EXPECT_TRUE(FeedPipeSecurity());
}
