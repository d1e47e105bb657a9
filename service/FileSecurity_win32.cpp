#include "service/FileSecurity_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include "service/Accounts.h"

namespace {

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !ConvertSidToStringSidA(sid, &text)) return "";
    const LocalMemory held(text);
    return text;
}

DWORD Attributes(HANDLE object, DWORD* links = nullptr) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(object, &info)) return INVALID_FILE_ATTRIBUTES;
    if (links) *links = info.nNumberOfLinks;
    return info.dwFileAttributes;
}

}  // namespace

KernelHandle OpenUnfollowed(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                            SECURITY_ATTRIBUTES* security) {
    return KernelHandle(CreateFileA(path.c_str(), access, share, security, disposition,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::string OwnerOf(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return "";
    const LocalMemory held(descriptor);
    return SidText(owner);
}

PathObject ReadPathObject(HANDLE object) {
    PathObject read;
    const DWORD attributes = Attributes(object);
    read.link = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return read;   // no owner: refused
    const LocalMemory held(descriptor);
    read.owner = SidText(owner);
    read.noDacl = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
        // Both kinds keep mask and SID at the same places.
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        const bool allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        if (!allow && header->AceType != ACCESS_DENIED_ACE_TYPE) {
            read.entries.push_back({true, false, 0xFFFFFFFF, ""});   // a kind not weighed here: refused
            continue;
        }
        read.entries.push_back({allow, (header->AceFlags & INHERIT_ONLY_ACE) != 0, ace->Mask,
                                SidText(const_cast<DWORD*>(&ace->SidStart))});
    }
    return read;
}

bool IsPlainFile(HANDLE file) {
    DWORD links = 0;
    const DWORD attributes = Attributes(file, &links);
    return attributes != INVALID_FILE_ATTRIBUTES && links == 1 &&
           !(attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

bool RenameHeld(HANDLE object, const std::string& to, bool replace) {
    // The system's own form of the path: a bare name would be taken from the
    // current folder by some implementations.
    const std::string name = "\\??\\" + to;
    union {
        FILE_RENAME_INFO info;
        char bytes[sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    } rename = {};
    const int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()),
                                           rename.info.FileName, MAX_PATH);
    if (length <= 0) return false;
    rename.info.ReplaceIfExists = replace;
    rename.info.FileNameLength = static_cast<DWORD>(length * sizeof(WCHAR));
    return SetFileInformationByHandle(object, FileRenameInfo, &rename, sizeof rename) != FALSE;
}

// The program file, its folder and each folder above it up to the root; one
// that cannot be read has no owner, which the check refuses.
std::vector<PathObject> ReadProgramPath(std::string at) {
    std::vector<PathObject> path;
    for (;;) {
        const KernelHandle object = OpenUnfollowed(at, READ_CONTROL | FILE_READ_ATTRIBUTES);
        path.push_back(object ? ReadPathObject(object.Get()) : PathObject{});
        const size_t slash = at.find_last_of('\\');
        if (slash == std::string::npos || slash + 1 == at.size()) return path;
        at.erase(slash);
        if (at.size() == 2 && at[1] == ':') at += '\\';   // the drive's root
    }
}

std::vector<std::string> MachineOwners() {
    std::vector<std::string> owners = {SID_LOCAL_SYSTEM, SID_ADMINISTRATORS, SID_TRUSTED_INSTALLER};
    char system[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const KernelHandle folder = OpenUnfollowed(system, READ_CONTROL);
        const std::string owner = folder ? OwnerOf(folder.Get()) : "";
        if (!owner.empty()) owners.push_back(owner);
    }
    return owners;
}

LocalMemory SecurityFromString(const std::string& sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
    return LocalMemory(descriptor);
}
