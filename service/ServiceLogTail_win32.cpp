#include "service/ServiceLogTail_win32.h"

#include "service/Accounts.h"
#include "service/FileSecurity_win32.h"
#include "window/Handles_win32.h"

ServiceLogTail::ServiceLogTail(std::string path) : path_(std::move(path)), trusted_(MachineOwners()) {
    trusted_.push_back(SID_HORALUX_SERVICE);
}

std::vector<ServiceLogEntry> ServiceLogTail::Poll() {
    const KernelHandle file(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return {};

    LogFileFacts facts;
    facts.present = true;
    facts.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // The renamed file keeps its index while it lives, so the new one cannot have it.
    facts.identity = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    if (!IsOneOf(OwnerOf(file.Get()), trusted_)) return follower_.Distrust(facts);
    const uint64_t from = follower_.ReadFrom(facts);
    if (from >= facts.size) return {};

    std::string bytes(static_cast<size_t>(facts.size - from), '\0');
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(from);
    DWORD read = 0;
    if (!SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN) ||
        !ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return follower_.Take(bytes);
}
