#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include "timeprov/PipeSecurity_win32.h"

namespace {

// As Windows would judge a client's open for writing; Wine does not, for pipes.
bool MayWrite(const std::string& dacl, HANDLE token) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;   // AccessCheck wants an owner and a group
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(("O:BAG:BA" + dacl).c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const LocalMemory owner(descriptor);
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD access = GENERIC_WRITE, size = sizeof(PRIVILEGE_SET), granted = 0;
    MapGenericMask(&access, &mapping);
    PRIVILEGE_SET privileges;
    BOOL allowed = FALSE;
    return AccessCheck(descriptor, token, access, &mapping, &privileges, &size, &granted, &allowed) && allowed;
}

}  // namespace

// The service's SID is derived, not looked up: a slip would lock the service
// out of the pipe on Windows, and nothing under Wine would show it. Wine's
// user is an administrator; without that group, a client is a stranger.
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

    const LocalMemory security(FeedPipeSecurity());
    char* text = nullptr;
    ASSERT_TRUE(security && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                security.Get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
    const LocalMemory textOwner(text);
    EXPECT_NE(std::string(text).find(ServiceSidText("Horalux")), std::string::npos) << text;
    EXPECT_TRUE(MayWrite(text, own.Get())) << text;
    EXPECT_FALSE(MayWrite(text, stranger.Get())) << text;
}
