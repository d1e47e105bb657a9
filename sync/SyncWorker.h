#pragma once
#include "clocklink/Device.h"
#include "clocklink/GpsClock.h"
#include "clocklink/Ticker.h"
#include "sync/OffsetEstimator.h"
#include "sync/OffsetFeed.h"
#include "sync/SyncThreadState.h"
#include "sync/SystemClock.h"
#include "sync/WorkerSeams.h"

struct SyncWorkerDeps {
    CDevice& port;
    Ticker& ticker;
    SystemClock& clock;
    WakeEvent& event;
    StatusSink& sink;
    // Carried across worker loops when given (one refused set ends a loop);
    // otherwise the loop keeps its own.
    OffsetEstimator* estimator = nullptr;
    // Given: each attempt hands its estimate on here and never sets the clock.
    OffsetFeed* feed = nullptr;
    // How finely the ticker and the PC clock tell when something happened,
    // and how far apart they may read when read together.
    int64_t timerStepUs = 16000;
    int64_t pairErrorUs = 16000;
};

// The worker loop: one clock read and clock set per wake-up until the running
// bit is cleared or a failure ends it (none does with the record's
// retryAfterMs set). Posts one status per attempt and 167 when it ends.
void RunSyncWorker(SyncThreadState& state, const SyncWorkerDeps& deps);
