#include "tests/unit/support/FakeClockLine.h"

#include <algorithm>
#include <stdexcept>
#include "tests/unit/support/FakeSystemError.h"

bool FakeClockLine::Open(std::string port) {
    opened += port + ";";
    incoming_.clear();
    return openSucceeds;
}

uint32_t FakeClockLine::Due() const {
    uint32_t due = 0;
    while (due < incoming_.size() && static_cast<int32_t>(ticker_.now - incoming_[due].first) >= 0) ++due;
    return due;
}

uint32_t FakeClockLine::PeekRead() {
    return Due() + (static_cast<int32_t>(ticker_.now - chatterEnd_) < 0 ? 1 : 0);
}

bool FakeClockLine::Read(void* buffer, uint32_t& count) {
    count = std::min(count, Due());
    for (uint32_t i = 0; i < count; ++i, incoming_.pop_front()) static_cast<char*>(buffer)[i] = incoming_.front().second;
    return count > 0;
}

bool FakeClockLine::Write(const void* buffer, uint32_t& count) {
    if (failWrites) {
        fake_system_error::SetLastErrorCode(31);
        RecordFailure("FakeClockLine::Write()");
        count = 0;
        return false;
    }
    const std::string bytes(static_cast<const char*>(buffer), count);
    written += bytes;
    lastWriteAt = ticker_.now;
    const uint32_t echoAt = ticker_.now + echoDelayMs;
    for (char c : bytes)
        if (noEcho.find(c) == std::string::npos) Arrive(echoAt, std::string(1, c));
    const auto endsWith = [this](const std::string& t) {
        return written.size() >= t.size() && written.compare(written.size() - t.size(), t.size(), t) == 0;
    };
    if (endsWith("b0") || endsWith("0dg")) chatterEnd_ = echoAt + chatterMs;
    if (endsWith("\r\nTU")) Arrive(echoAt + replyDelayMs, reply);
    return true;
}

void FakeClockLine::Arrive(uint32_t at, const std::string& bytes) {
    for (char c : bytes) {
        auto it = incoming_.end();
        while (it != incoming_.begin() && static_cast<int32_t>((it - 1)->first - at) > 0) --it;
        incoming_.insert(it, {at, c});
    }
}

void FakeClockLine::Flush() {
    ++flushes;
    incoming_.erase(incoming_.begin(), incoming_.begin() + Due());
}

bool FakeClockLine::SetClockLine(uint32_t& error) {
    error = settingsError;
    return settingsError == 0;
}

void FakeClockLine::SendBreak() {
    if (throwOnBreak) throw std::runtime_error("line fault");
    ++breaks;
    ticker_.Sleep(200);
}
