#pragma once
#include <mutex>
#include <string>

#include "sync/StatusLine.h"
#include "sync/WorkerSeams.h"
#include "window/Handles_win32.h"

// The service's own lines, beside the status identifiers of StatusTexts.h,
// in its log file and its message table.
#define IDS_SETTINGS_READ      168
#define IDS_LOG_FOLDER_REFUSED 169
#define TEXT_LOG_FOLDER_REFUSED \
    "The log folder is not owned by SYSTEM, the Administrators or the service itself: lines go to the event log only."

// Where the service's lines go: the Application event log under the source
// "Horalux" and the rotating log file, each line as the window shows it.
// Written from the service's thread and its worker alike.
class ServiceLog : public StatusSink {
public:
    explicit ServiceLog(StringLookup lookup);

    void Post(const SyncStatus& status) override;
    void BroadcastTimeChange() override;
    void Write(int id, const std::string& text);

private:
    std::mutex mutex_;
    StringLookup lookup_;
    EventSource events_;
    std::string path_;   // empty: the event log only
};
