#include "service/ServiceLogFollower.h"

uint64_t ServiceLogFollower::ReadFrom(const LogFileFacts& file) {
    if (!file.present) return 0;
    // Replaced, or shorter than what was read: a rotation; the new file is read from its start.
    if (following_ && (file.identity != identity_ || file.size < offset_)) {
        offset_ = 0;
        partial_.clear();
    }
    following_ = true;
    distrusted_ = false;
    identity_ = file.identity;
    if (file.size - offset_ > kMaxRead) {
        offset_ = file.size - kMaxRead;
        partial_.clear();
    }
    return offset_;
}

std::vector<ServiceLogEntry> ServiceLogFollower::Take(const std::string& bytes) {
    offset_ += bytes.size();
    partial_ += bytes;
    std::vector<ServiceLogEntry> entries;
    size_t start = 0;
    for (size_t end; (end = partial_.find("\r\n", start)) != std::string::npos; start = end + 2) {
        // A piece kept from the last poll and this read together can be longer
        // than one read could ever hold: no line of the service's.
        ServiceLogEntry entry;
        if (end + 2 - start <= kMaxRead && ParseServiceLogLine(partial_.substr(start, end + 2 - start), entry)) {
            lastId_ = entry.id;
            entries.push_back(entry);
        }
    }
    partial_.erase(0, start);
    // A line longer than a whole read is no line of the service's; its rest
    // will not parse either.
    if (partial_.size() > kMaxRead) partial_.clear();
    if (firstRead_ && !bytes.empty()) {
        firstRead_ = false;
        if (entries.size() > kFirstLines) entries.erase(entries.begin(), entries.end() - kFirstLines);
    }
    return entries;
}

std::vector<ServiceLogEntry> ServiceLogFollower::Distrust(const LogFileFacts& file) {
    following_ = true;
    identity_ = file.identity;
    offset_ = file.size;
    partial_.clear();
    if (distrusted_) return {};
    distrusted_ = true;
    lastId_ = IDS_LOG_UNTRUSTED;
    return {{"", "", IDS_LOG_UNTRUSTED, TEXT_LOG_UNTRUSTED}};
}
