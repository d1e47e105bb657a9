#pragma once
#include "clocklink/Device.h"
#include "clocklink/Ticker.h"
#include "sync/SyncThreadState.h"
#include "sync/SystemClock.h"
#include "sync/WorkerSeams.h"

struct SyncWorkerDeps {
    CDevice& port;
    Ticker& ticker;
    SystemClock& clock;
    WakeEvent& event;
    StatusSink& sink;
};

// The worker loop: one clock read and clock set per wake-up until the running
// bit is cleared or a failure ends it (none does with the record's
// retryAfterMs set). Posts one status per attempt and 167 when it ends.
void RunSyncWorker(SyncThreadState& state, const SyncWorkerDeps& deps);
