#include "service/ServiceLog_win32.h"

#include <windows.h>

#include <cstdio>

#include "service/LogFolder_win32.h"
#include "service/LogRotation.h"
#include "service/ServiceLogLine.h"
#include "service/ServiceLogPath_win32.h"
#include "sync/StatusTexts.h"
#include "sync/SyncPlatform_win32.h"

namespace {

// Opened for each line, so that nothing of ours stands in the way of a
// rotation; shared so that a reader may read, and rename, meanwhile.
class LogFiles : public RotatingFiles {
public:
    explicit LogFiles(const std::string& path) : path_(path) {}

    uint64_t CurrentSize() override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
        return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    bool Append(const std::string& text) override {
        const KernelHandle file(CreateFileA(path_.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }
    bool Rotate() override {
        return MoveFileExA(path_.c_str(), (path_ + ".1").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }

private:
    std::string path_;
};

WORD EventType(int id) {
    switch (id) {
    case IDS_TIME_SET:
    case IDS_SAMPLE_SENT:
    case IDS_WAITING_FOR_THREAD:
    case IDS_STOPPED:
    case IDS_SETTINGS_READ:
        return EVENTLOG_INFORMATION_TYPE;
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
    : lookup_(std::move(lookup)), events_(RegisterEventSourceA(nullptr, "Horalux")), path_(ServiceLogPath()) {
    if (path_.empty()) return;
    if (!TrustedLogFolder(path_.substr(0, path_.rfind('\\')))) {
        path_.clear();
        Write(IDS_LOG_FOLDER_REFUSED, TEXT_LOG_FOLDER_REFUSED);
    }
}

void ServiceLog::Post(const SyncStatus& status) {
    std::string text = StatusLineText(status, lookup_);
    if (status.id == IDS_TIME_SET || status.id == IDS_SAMPLE_SENT || status.id == IDS_SAMPLE_TOO_WIDE)
        text += OffsetSuffix(status.offsetMs, status.offsetWithinMs, status.offsetRestarted);
    Write(status.id, text);
}

void ServiceLog::BroadcastTimeChange() {
    BroadcastTimeChangeToWindows();
}

void ServiceLog::Write(int id, const std::string& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const char* strings[] = {text.c_str()};
    ReportEventA(events_.Get(), EventType(id), 0, static_cast<DWORD>(id), nullptr, 1, 0, strings, nullptr);
    if (path_.empty()) return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16], time[16];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    std::snprintf(time, sizeof time, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    LogFiles files(path_);
    AppendLogLine(files, FormatServiceLogLine({date, time, id, text}));
}
