#include "service/LogFolder_win32.h"

#include <windows.h>

#include <cstdio>

#include "service/Accounts.h"
#include "service/FileSecurity_win32.h"
#include "service/LogFolderTakeover.h"

namespace {

// Read and traverse for Users, modify (0x1301bf) for the service.
const char kFolderDacl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;" SID_HORALUX_SERVICE
                           ")(A;OICI;0x1200a9;;;BU)";

class FolderSteps : public LogFolderSteps {
public:
    FolderSteps(const std::string& logPath, bool install)
        : logPath_(logPath), folder_(logPath.substr(0, logPath.rfind('\\'))), install_(install) {}

    FolderLook Look() override {
        // Not shared for deletion: while it is held, nobody renames it away.
        const DWORD look = READ_CONTROL | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        handle_ = OpenUnfollowed(folder_, look | DELETE | (install_ ? WRITE_DAC | WRITE_OWNER : 0),
                                 FILE_SHARE_READ | FILE_SHARE_WRITE);
        // Without the rights to change it (or while someone holds it without
        // sharing them) it can still be looked at: a trusted one then serves.
        if (!handle_ && (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION))
            handle_ = OpenUnfollowed(folder_, look, FILE_SHARE_READ | FILE_SHARE_WRITE);
        FolderLook seen;
        if (!handle_) {
            const DWORD error = GetLastError();
            seen.error = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
            return seen;
        }
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(handle_.Get(), &info)) return seen.error = GetLastError(), seen;
        seen.exists = true;
        seen.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        seen.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        seen.owner = OwnerOf(handle_.Get());
        return seen;
    }

    uint32_t Create() override {
        const LocalMemory descriptor =
            SecurityFromString(std::string("O:") + (install_ ? "BA" : SID_HORALUX_SERVICE) + kFolderDacl);
        if (!descriptor) return GetLastError();
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
        if (CreateDirectoryA(folder_.c_str(), &attributes) || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
        return GetLastError();
    }

    uint32_t MoveAside() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, ".moved-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                      now.wHour, now.wMinute, now.wSecond);
        if (!RenameHeld(handle_.Get(), folder_ + stamp, false)) return GetLastError();
        movedTo = folder_ + stamp;
        handle_.Reset();
        return 0;
    }

    // Set on the folder alone: SetSecurityInfo would also rewrite whatever
    // lies below it. The log files start afresh and inherit from it.
    uint32_t Secure() override {
        if (!install_) return 0;
        for (const std::string& file : {logPath_, logPath_ + ".1"}) {
            const KernelHandle old = OpenUnfollowed(file, DELETE);
            if (!old && GetLastError() == ERROR_FILE_NOT_FOUND) continue;
            FILE_DISPOSITION_INFO erase = {TRUE};
            if (!old || !SetFileInformationByHandle(old.Get(), FileDispositionInfo, &erase, sizeof erase))
                return GetLastError();
        }
        const LocalMemory descriptor = SecurityFromString(std::string("O:BA") + kFolderDacl);
        if (!descriptor ||
            !SetKernelObjectSecurity(handle_.Get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                     descriptor.Get()))
            return GetLastError();
        return 0;
    }

    std::string movedTo;

private:
    std::string logPath_;
    std::string folder_;
    bool install_;
    KernelHandle handle_;
};

uint32_t TakeOver(FolderSteps& steps) {
    std::vector<std::string> trusted = MachineOwners();
    trusted.push_back(SID_HORALUX_SERVICE);
    return TakeOverLogFolder(steps, trusted);
}

}  // namespace

bool SecureLogFolder(const std::string& logPath, uint32_t& error, std::string& movedTo) {
    FolderSteps steps(logPath, true);
    error = TakeOver(steps);
    movedTo = steps.movedTo;
    return error == 0;
}

bool TrustedLogFolder(const std::string& logPath) {
    FolderSteps steps(logPath, false);
    return TakeOver(steps) == 0;
}
