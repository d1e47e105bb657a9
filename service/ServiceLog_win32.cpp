#include "service/ServiceLog_win32.h"

#include <windows.h>

#include <cstdio>

#include "service/Accounts.h"
#include "service/FileSecurity_win32.h"
#include "service/LogFolder_win32.h"
#include "service/ServiceLogLine.h"
#include "service/ServiceLogPath_win32.h"
#include "sync/StatusTexts.h"
#include "sync/SyncPlatform_win32.h"

namespace {

// Opened for each line, so that nothing of ours stands in the way of a
// rotation; shared so that a reader may read, and rename, meanwhile. Only a
// plain file of one name is written or renamed: a link or a second name that
// someone made would carry the lines, or the rotation, elsewhere.
class LogFiles : public RotatingFiles {
public:
    explicit LogFiles(const std::string& path) : path_(path) {}

    uint64_t CurrentSize() override {
        const KernelHandle file = OpenUnfollowed(path_, FILE_READ_ATTRIBUTES);
        LARGE_INTEGER size = {};
        return file && GetFileSizeEx(file.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }
    bool Append(const std::string& text) override {
        // A new file is the service's own, as the window checks.
        const LocalMemory descriptor = SecurityFromString("O:" SID_HORALUX_SERVICE);
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
        const KernelHandle file =
            OpenUnfollowed(path_, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS, &attributes);
        DWORD written = 0;
        return file && IsPlainFile(file.Get()) &&
               WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }
    bool Rotate() override {
        const KernelHandle file = OpenUnfollowed(path_, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE);
        return file && IsPlainFile(file.Get()) &&
               RenameHeld(file.Get(), path_ + ".1", true);
    }

private:
    std::string path_;
};

std::string LocalStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return stamp;
}

WORD EventType(int id) {
    switch (id) {
    case IDS_TIME_SET:
    case IDS_SAMPLE_SENT:
    case IDS_WAITING_FOR_THREAD:
    case IDS_STOPPED:
    case IDS_SETTINGS_READ:
        return EVENTLOG_INFORMATION_TYPE;
    case IDS_LOG_FULL:
    case IDS_LOG_FILE_REFUSED:
        return EVENTLOG_WARNING_TYPE;
    case IDS_OPEN_PORT_FAILED:   // an adapter unplugged, a clock not answering: may pass
    case IDS_NO_ECHO:
    case IDS_READ_FAILED:
    case IDS_PARSE_FAILED:
    case IDS_SAMPLE_TOO_WIDE:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_ERROR_TYPE;
    }
}

}  // namespace

ServiceLog::ServiceLog(StringLookup lookup)
    : lookup_(std::move(lookup)),
      events_(RegisterEventSourceA(nullptr, "Horalux")),
      repeats_(SystemTicker()),
      path_(ServiceLogPath()) {
    if (path_.empty()) return;
    if (!TrustedLogFolder(path_)) {
        path_.clear();
        Write(IDS_LOG_FOLDER_REFUSED, TEXT_LOG_FOLDER_REFUSED);
        return;
    }
    files_.reset(new LogFiles(path_));
    log_.reset(new BoundedLog(*files_));
}

void ServiceLog::Post(const SyncStatus& status) {
    std::string text = StatusLineText(status, lookup_);
    if (status.id == IDS_TIME_SET || status.id == IDS_SET_NOT_TAKEN || status.id == IDS_SAMPLE_SENT ||
        status.id == IDS_SAMPLE_TOO_WIDE)
        text += OffsetSuffix(status.offsetMs, status.offsetWithinMs, status.offsetRestarted);
    Write(status.id, text);
}

void ServiceLog::BroadcastTimeChange() {
    BroadcastTimeChangeToWindows();
}

void ServiceLog::Write(int id, const std::string& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Report(id, text);
    if (!log_) return;

    const std::string stamp = LocalStamp();
    const auto line = [&stamp](int lineId, const std::string& lineText) {
        return FormatServiceLogLine({stamp.substr(0, 10), stamp.substr(11), lineId, lineText});
    };
    switch (log_->Append(line(id, text), line(IDS_LOG_FULL, TEXT_LOG_FULL))) {
    case BoundedLog::Outcome::Full:
        Report(IDS_LOG_FULL, TEXT_LOG_FULL);
        break;
    case BoundedLog::Outcome::Failed:
        Report(IDS_LOG_FILE_REFUSED, TEXT_LOG_FILE_REFUSED);
        break;
    default:
        break;
    }
}

void ServiceLog::Report(int id, const std::string& text) {
    const std::optional<std::string> passed = repeats_.Pass(id, text);
    if (!passed) return;
    const char* strings[] = {passed->c_str()};
    ReportEventA(events_.Get(), EventType(id), 0, static_cast<DWORD>(id), nullptr, 1, 0, strings, nullptr);
}
