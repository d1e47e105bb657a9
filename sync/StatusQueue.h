#pragma once
#include <deque>
#include <mutex>

#include "sync/SyncStatus.h"

// Statuses on their way from a worker to the user-interface thread, whole:
// a window message's two numbers cannot carry a set's offset and margin.
class StatusQueue {
public:
    void Push(const SyncStatus& status) {
        const std::lock_guard<std::mutex> lock(mutex_);
        statuses_.push_back(status);
    }
    bool Pop(SyncStatus& status) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (statuses_.empty()) return false;
        status = statuses_.front();
        statuses_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::deque<SyncStatus> statuses_;
};
