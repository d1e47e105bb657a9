#include "service/LogFolder_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "window/Handles_win32.h"

namespace {

// Read and traverse for Users, modify (0x1301bf) for LocalService.
const char kFolderSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;LS)(A;OICI;0x1200a9;;;BU)";

LocalMemory FolderDescriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(kFolderSddl, SDDL_REVISION_1, &descriptor, nullptr);
    return LocalMemory(descriptor);
}

bool CreateFolder(const std::string& folder, PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    return CreateDirectoryA(folder.c_str(), &attributes) != FALSE;
}

bool IsOwnAccount(PSID sid) {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
    char buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) return false;
    return EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) != FALSE;
}

}  // namespace

bool SecureLogFolder(const std::string& folder, uint32_t& error) {
    const LocalMemory descriptor = FolderDescriptor();
    if (!descriptor) return (error = GetLastError()), false;
    if (CreateFolder(folder, descriptor.Get())) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return (error = GetLastError()), false;

    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorOwner(descriptor.Get(), &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted);
    error = SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                      PROTECTED_DACL_SECURITY_INFORMATION,
                                  owner, nullptr, dacl, nullptr);
    return error == ERROR_SUCCESS;
}

bool TrustedLogFolder(const std::string& folder) {
    // The service's account cannot name another owner: it owns what it makes.
    const LocalMemory descriptor = FolderDescriptor();
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted);
    SECURITY_DESCRIPTOR withoutOwner;
    InitializeSecurityDescriptor(&withoutOwner, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&withoutOwner, present, dacl, FALSE);
    SetSecurityDescriptorControl(&withoutOwner, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    CreateFolder(folder, &withoutOwner);

    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR current = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &current) != ERROR_SUCCESS)
        return false;
    const LocalMemory held(current);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    // A junction would lead the lines into a folder of someone's choosing.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
           IsOwnAccount(owner);
}
