#pragma once
#include <string>
#include <vector>

#include "service/ServiceLogFollower.h"

// Reads what is new in the service's log file at each poll. The file is
// opened only for the read, sharing everything, so the service can always
// append to it and rotate it. Its lines are shown only while its owner is
// SYSTEM, the Administrators or the service: anyone else could have written
// them.
class ServiceLogTail {
public:
    explicit ServiceLogTail(std::string path);

    // The entries written since the last poll; none when the file is missing
    // or unreadable.
    std::vector<ServiceLogEntry> Poll();
    int LastId() const { return follower_.LastId(); }

private:
    std::string path_;
    std::vector<std::string> trusted_;
    ServiceLogFollower follower_;
};
