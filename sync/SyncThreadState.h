#pragma once
#include <atomic>
#include <cstdint>
#include <string>

enum : uint32_t {
    SYNC_RUNNING        = 0x01,
    SYNC_STOPPED        = 0x02,
    SYNC_STOP_REQUESTED = 0x04,
    SYNC_LAST_OK        = 0x10,
    SYNC_LAST_FAILED    = 0x20,
};

// The record shared by the dialog and one worker. Every Start makes a fresh
// record that the dialog and its worker own together, so a worker that
// outlives a Stop (or the dialog) never writes into memory that is gone and
// never disturbs the next worker.
struct SyncThreadState {
    std::atomic<uint32_t> flags{0};
    std::atomic<uint32_t> lastError{0};
    std::string portName;           // written before the worker exists
    // 0: a failure that cannot be put right by waiting (event, port
    // settings, a refused set) ends the worker, as the window wants. Else
    // the worker reports it and tries again at the next wake-up, as a
    // service must; with no wake-up event it wakes itself after this long.
    uint32_t retryAfterMs = 0;      // written before the worker exists
    bool precise = true;            // sets from the offset estimate; false: to the whole second
    uint32_t periodMs = 0;          // between wake-ups; an attempt ends before the next (0: not bounded)
    int64_t maxStepMs = 1000000;    // a larger step needs the clock to say it three times (0: any step)

    // Set by Start before the thread exists, cleared by the worker as the last
    // thing it does: tells Stop whether there is anyone to wait for.
    std::atomic<bool> workerAlive{false};

    bool IsRunning() const { return (flags.load() & SYNC_RUNNING) != 0; }

    // The worker's own writes never undo a stop request: it leaves the word
    // alone once the running bit (or, at start, the stopped bit) is gone.
    bool MarkWorkerStarted() {
        uint32_t expected = SYNC_STOPPED;
        return flags.compare_exchange_strong(expected, SYNC_RUNNING);
    }
    bool RecordOutcome(uint32_t value) {
        uint32_t current = flags.load();
        while (current & SYNC_RUNNING) {
            if (flags.compare_exchange_weak(current, value)) return true;
        }
        return false;
    }
    void RequestStop() { flags.store(SYNC_STOP_REQUESTED); }
};
