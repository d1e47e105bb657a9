#pragma once
#include <cstdint>

#include "sync/SyncStatus.h"

// The auto-reset wake-up event, as the worker sees it.
class WakeEvent {
public:
    virtual ~WakeEvent() = default;
    virtual bool Open(uint32_t& error) = 0;
    virtual bool Wait(uint32_t& error) = 0;
    // Forgets wake-ups that came while an attempt ran: a tick missed that way
    // is lost, so attempts never run back to back.
    virtual void DropPending() = 0;
};

// Where the worker's reports go.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void Post(const SyncStatus& status) = 0;
    virtual void BroadcastTimeChange() = 0;
};
