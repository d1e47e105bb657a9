#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "service/EventRepeats.h"
#include "service/LogRotation.h"

#include "sync/StatusLine.h"
#include "sync/WorkerSeams.h"
#include "window/Handles_win32.h"

// The service's own lines, beside the status identifiers of StatusTexts.h,
// in its log file and its message table.
#define IDS_SETTINGS_READ      170
#define IDS_LOG_FOLDER_REFUSED 171
#define IDS_LOG_FULL           190
#define IDS_LOG_FILE_REFUSED   191
#define TEXT_LOG_FOLDER_REFUSED \
    "The log folder is a link or not owned by SYSTEM, the Administrators or the service, and could not be moved aside: lines go to the event log only."
#define TEXT_LOG_FULL \
    "The log file could not be rotated and has grown to twice its bound: lines go to the event log only until a rotation succeeds."
#define TEXT_LOG_FILE_REFUSED \
    "The log file could not be written, or is a link or has a second name: lines go to the event log only."

// Where the service's lines go: the Application event log under the source
// "Horalux" (an entry repeated within the hour held back) and the rotating
// log file, each line as the window shows it. Written from the service's
// thread and its worker alike.
class ServiceLog : public StatusSink {
public:
    explicit ServiceLog(StringLookup lookup);

    void Post(const SyncStatus& status) override;
    void BroadcastTimeChange() override;
    void Write(int id, const std::string& text);

private:
    void Report(int id, const std::string& text);

    std::mutex mutex_;
    StringLookup lookup_;
    EventSource events_;
    EventRepeats repeats_;
    std::string path_;   // empty: the event log only
    std::unique_ptr<RotatingFiles> files_;
    std::unique_ptr<BoundedLog> log_;
};
