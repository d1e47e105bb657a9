#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "timeprov/FeedRecord.h"

// What the provider sees of Windows Time: its clock and its callbacks.
class TimeManager {
public:
    enum class Event { Information, Warning, Error };
    virtual ~TimeManager() = default;
    virtual int64_t CurrentTime() = 0;   // the PC's UTC time, 100 ns units since 1601
    virtual uint64_t TickCount() = 0;
    virtual int64_t PhaseOffset() = 0;
    virtual void Log(Event type, const std::string& text) = 0;
    virtual void AlertSamplesAvail() = 0;
    // False: the provider has no time to give.
    virtual void SetStatus(bool running) = 0;
};

// One sample in Windows Time's units (100 ns) and signs.
struct ProviderSample {
    int64_t offset = 0;   // GPS minus PC: positive when the PC clock is behind, as in NTP
    uint64_t dispersion = 0;
    uint64_t tickCount = 0;   // the manager's, when the record came
    int64_t phaseOffset = 0;
    bool synchronised = true;
};

// The provider between the pipe's thread, which takes records in and watches
// for silence, and the manager's, which asks for the sample. The manager is
// called outside the lock: it may well call back.
class ProviderState {
public:
    static constexpr int kSilentPeriods = 4;
    // NTP's bound on a clock's frequency error: what a sample's dispersion
    // gains with its age.
    static constexpr int64_t kDriftPpm = 15;

    explicit ProviderState(TimeManager& manager) : manager_(manager) {}

    // From the settings: the service's period, in which silence is counted
    // (from the first call on), and the port the unique name names.
    void Configure(int periodSeconds, const std::string& port, uint64_t nowMs);
    // Each client's sequence numbers start afresh.
    void NewClient();
    void TakeIn(const uint8_t* bytes, size_t length, uint64_t nowMs);
    // Called at least once a second.
    void CheckSilence(uint64_t nowMs);

    // The last record's sample, its dispersion grown with its age; false
    // when there is none.
    bool Sample(ProviderSample& out);
    // After a jump of the clock: none until the next record.
    void DropSample();
    std::string UniqueName() const;

private:
    std::string ClockName() const;

    TimeManager& manager_;
    mutable std::mutex mutex_;
    uint64_t periodMs_ = 60000;
    std::string port_ = "com1";
    bool configured_ = false;
    FeedRecord record_;
    uint64_t tickCount_ = 0;
    int64_t phaseOffset_ = 0;
    bool hasSample_ = false;
    bool hasSequence_ = false;
    bool running_ = false;          // samples come: "started" was said
    bool silenceReported_ = false;
    bool problemReported_ = false;
    uint64_t lastRecordMs_ = 0;
};
