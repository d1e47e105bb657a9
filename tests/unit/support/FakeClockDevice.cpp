#include "tests/unit/support/FakeClockDevice.h"

#include <algorithm>
#include <cstring>
#include "tests/unit/support/FakeSystemError.h"

namespace {

bool Due(uint32_t at, uint32_t now)
{
    return static_cast<int32_t>(now - at) >= 0;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

void FakeClockDevice::Deliver(const std::string& bytes, uint32_t at)
{
    auto position = std::find_if(incoming_.begin(), incoming_.end(), [at](const Arrival& a) {
        return static_cast<int32_t>(a.at - at) > 0;
    });
    for (const char c : bytes) position = incoming_.insert(position, Arrival{at, c}) + 1;
}

void FakeClockDevice::Fail(const std::string& context)
{
    fake_system_error::SetLastErrorCode(failureCode);
    RecordFailure(context);
}

bool FakeClockDevice::Open(std::string name)
{
    ++opens;
    Close();
    if (unplugged) {
        Fail("FakeClockDevice::Open()");
        return false;
    }
    isOpen = true;
    portName = name;
    return true;
}

bool FakeClockDevice::Close()
{
    Flush();
    const bool wasOpen = isOpen;
    isOpen = false;
    return wasOpen;
}

uint32_t FakeClockDevice::PeekRead()
{
    if (unplugged) {
        Fail("FakeClockDevice::PeekRead()");
        return 0;
    }
    const uint32_t now = ticker_.Now();
    uint32_t waiting = 0;
    for (const Arrival& a : incoming_) {
        if (!Due(a.at, now)) break;
        ++waiting;
    }
    return waiting;
}

bool FakeClockDevice::Read(void* buffer, uint32_t& count)
{
    ++readCalls;
    const uint32_t waiting = PeekRead();
    if (waiting == 0) {
        count = 0;
        return false;
    }
    count = std::min(count, waiting);
    char* out = static_cast<char*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = incoming_.front().byte;
        incoming_.pop_front();
    }
    return true;
}

bool FakeClockDevice::Write(const void* buffer, uint32_t& count)
{
    const int call = writeCalls++;
    if (unplugged || (failWritesFrom >= 0 && call >= failWritesFrom)) {
        Fail("FakeClockDevice::Write()");
        count = 0;
        return false;
    }
    const char* bytes = static_cast<const char*>(buffer);
    const uint32_t now = ticker_.Now();
    for (uint32_t i = 0; i < count; ++i) {
        written += bytes[i];
        writeTimes.push_back(now);
        Deliver(echoOf(bytes[i]), now + echoDelayMs);
        for (const auto& answer : answers) {
            if (EndsWith(written, answer.first)) Deliver(answer.second, now + echoDelayMs + answerDelayMs);
        }
    }
    return true;
}

void FakeClockDevice::Flush()
{
    ++flushes;
    const uint32_t now = ticker_.Now();
    while (!incoming_.empty() && Due(incoming_.front().at, now)) incoming_.pop_front();
}
