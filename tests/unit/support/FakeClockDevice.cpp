#include "tests/unit/support/FakeClockDevice.h"

#include <algorithm>
#include "tests/unit/support/FakeSystemError.h"

uint32_t FakeClockDevice::PeekRead()
{
    const uint32_t now = ticker_.Now();
    uint32_t waiting = 0;
    for (const Arrival& a : incoming_) {
        if (static_cast<int32_t>(now - a.at) < 0) break;
        ++waiting;
    }
    return waiting;
}

bool FakeClockDevice::Read(void* buffer, uint32_t& count)
{
    ++readCalls;
    count = std::min(count, FakeClockDevice::PeekRead());
    for (uint32_t i = 0; i < count; ++i) {
        static_cast<char*>(buffer)[i] = incoming_.front().byte;
        incoming_.pop_front();
    }
    return count > 0;
}

bool FakeClockDevice::Write(const void* buffer, uint32_t& count)
{
    const int call = writeCalls++;
    if (failWritesFrom >= 0 && call >= failWritesFrom) {
        fake_system_error::SetLastErrorCode(31);
        RecordFailure("FakeClockDevice::Write()");
        count = 0;
        return false;
    }
    const char* bytes = static_cast<const char*>(buffer);
    const uint32_t at = ticker_.Now() + echoDelayMs;
    for (uint32_t i = 0; i < count; ++i) {
        written += bytes[i];
        writeTimes.push_back(ticker_.Now());
        std::string reply = echoOf(bytes[i]);
        for (const auto& answer : answers)
            if (written.size() >= answer.first.size() &&
                written.compare(written.size() - answer.first.size(), answer.first.size(), answer.first) == 0)
                reply += answer.second;
        for (char c : reply) Arrive(at, c);
    }
    return true;
}

void FakeClockDevice::Arrive(uint32_t at, char byte)
{
    auto it = incoming_.end();
    while (it != incoming_.begin() && static_cast<int32_t>((it - 1)->at - at) > 0) --it;
    incoming_.insert(it, Arrival{at, byte});
}
