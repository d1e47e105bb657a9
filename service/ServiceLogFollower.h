#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "service/ServiceLogLine.h"

// The window's line for a log file that someone other than the service
// could have written.
#define IDS_LOG_UNTRUSTED 192
#define TEXT_LOG_UNTRUSTED \
    "The service's log cannot be trusted: its file is not owned by SYSTEM, the Administrators or the service. Its lines are not shown."

// The log file as one poll finds it. The identity tells a file that replaced
// it (a rotation) from the one read before.
struct LogFileFacts {
    bool present = false;
    uint64_t size = 0;
    uint64_t identity = 0;
};

// Follows the service's log file from poll to poll: which bytes are new, the
// whole lines among them, a half-written last line kept until its CR LF.
// Each poll asks ReadFrom where to read and hands the bytes from there to the
// end to Take.
class ServiceLogFollower {
public:
    // The first poll shows the latest few lines already there, read from the
    // file's tail; a poll never reads more than kMaxRead bytes, so a file
    // that grew past that (or garbage without line ends) cannot stall the window.
    static constexpr size_t kFirstLines = 5;
    static constexpr uint64_t kMaxRead = 16384;

    // The offset to read from; equal to file.size when there is nothing new.
    uint64_t ReadFrom(const LogFileFacts& file);
    // The entries completed by these bytes; lines that are no entry (a line
    // cut by a bounded read among them) are skipped.
    std::vector<ServiceLogEntry> Take(const std::string& bytes);
    // Instead of ReadFrom and Take for a file whose owner is not trusted: none
    // of its lines, and at the first such poll one entry (without date and
    // time) saying so. Lines written after it are shown once it is trusted.
    std::vector<ServiceLogEntry> Distrust(const LogFileFacts& file);

    // The identifier of the last entry seen, 0 before any.
    int LastId() const { return lastId_; }

private:
    bool following_ = false;
    bool firstRead_ = true;
    bool distrusted_ = false;
    uint64_t identity_ = 0;
    uint64_t offset_ = 0;
    std::string partial_;
    int lastId_ = 0;
};
