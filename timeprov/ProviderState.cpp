#include "timeprov/ProviderState.h"

namespace {

// In two steps, so that no age overflows.
uint64_t Growth(int64_t age) {
    if (age <= 0) return 0;
    const int64_t perMillion = ProviderState::kDriftPpm;
    return static_cast<uint64_t>(age / 1000000 * perMillion + age % 1000000 * perMillion / 1000000);
}

}  // namespace

void ProviderState::Configure(int periodSeconds, const std::string& port, uint64_t nowMs) {
    const std::lock_guard<std::mutex> lock(mutex_);
    periodMs_ = static_cast<uint64_t>(periodSeconds > 0 ? periodSeconds : 60) * 1000;
    port_ = port;
    if (!configured_) lastRecordMs_ = nowMs;
    configured_ = true;
}

void ProviderState::NewClient() {
    const std::lock_guard<std::mutex> lock(mutex_);
    hasSequence_ = false;
}

void ProviderState::TakeIn(const uint8_t* bytes, size_t length, uint64_t nowMs) {
    FeedRecord record;
    RecordProblem problem = DecodeFeedRecord(bytes, length, record);
    const uint64_t tick = problem == RecordProblem::None ? manager_.TickCount() : 0;
    const int64_t phase = problem == RecordProblem::None ? manager_.PhaseOffset() : 0;

    std::unique_lock<std::mutex> lock(mutex_);
    if (problem == RecordProblem::None && hasSequence_ && record.sequence <= record_.sequence)
        problem = RecordProblem::Sequence;
    if (problem != RecordProblem::None) {
        const bool report = !problemReported_;
        problemReported_ = true;
        lock.unlock();
        if (report)
            manager_.Log(TimeManager::Event::Warning,
                         std::string("A message on the Horalux pipe was dropped: ") + RecordProblemText(problem) +
                             ". Others are dropped without a further event until a good record comes.");
        return;
    }
    record_ = record;
    tickCount_ = tick;
    phaseOffset_ = phase;
    hasSample_ = hasSequence_ = true;
    problemReported_ = silenceReported_ = false;
    lastRecordMs_ = nowMs;
    const bool started = !running_;
    running_ = true;
    const std::string clock = ClockName();
    lock.unlock();

    manager_.AlertSamplesAvail();   // first: the sample is there now
    if (started) {
        manager_.Log(TimeManager::Event::Information,
                     "Samples started: the " + clock + " reaches Windows Time through the Horalux service.");
        manager_.SetStatus(true);
    }
}

void ProviderState::CheckSilence(uint64_t nowMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (silenceReported_ || !configured_ || nowMs - lastRecordMs_ < kSilentPeriods * periodMs_) return;
    silenceReported_ = true;
    hasSample_ = running_ = false;
    const std::string text = "No sample from the Horalux service for " + std::to_string(kSilentPeriods) +
                             " periods (" + std::to_string(kSilentPeriods * periodMs_ / 1000) +
                             " s): Windows Time gets no time from the " + ClockName() + " until one comes.";
    lock.unlock();
    manager_.Log(TimeManager::Event::Warning, text);
    manager_.SetStatus(false);
}

bool ProviderState::Sample(ProviderSample& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!hasSample_) return false;
    const FeedRecord record = record_;
    out.tickCount = tickCount_;
    out.phaseOffset = phaseOffset_;
    lock.unlock();
    out.offset = record.sample.offset;
    out.dispersion = static_cast<uint64_t>(record.sample.dispersion) + Growth(manager_.CurrentTime() - record.sample.pcTime);
    out.synchronised = record.sample.synchronised;
    return true;
}

void ProviderState::DropSample() {
    const std::lock_guard<std::mutex> lock(mutex_);
    hasSample_ = false;
}

std::string ProviderState::UniqueName() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return ClockName() + " (Horalux)";
}

std::string ProviderState::ClockName() const {
    return "Orvanel GPS clock on " + port_;
}
