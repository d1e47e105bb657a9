#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include "clocklink/Device.h"
#include "clocklink/Ticker.h"
#include "tests/unit/support/FakeSystemError.h"

// Virtual milliseconds: Sleep moves time on at once. The microsecond
// counter goes on past the millisecond count's wrap.
struct VirtualTicker : Ticker {
    uint32_t now = 0;
    int64_t wraps = 0;
    std::function<void()> onSleep;
    uint32_t Now() override { return now; }
    int64_t CounterUs() override { return (wraps << 32 | now) * 1000; }
    void Sleep(uint32_t ms) override {
        wraps += now + ms < now;
        now += ms;
        if (onSleep) onSleep();
    }
};

// A serial line to a scripted Orvanel clock on virtual time: every byte comes
// back after echoDelayMs (but those in noEcho), "\r\nTU" is answered with
// `reply` (or what `answer` gives) replyDelayMs after its echo, and after
// "b0" or "0dg" a byte keeps arriving for chatterMs. A failing write records
// error 31.
struct FakeClockLine : CDevice {
    explicit FakeClockLine(VirtualTicker& t) : ticker(t), chatterEnd(t.now) {}
    VirtualTicker& ticker;
    std::string reply = "123:12:34:56\r\n", noEcho, opened, written;   // opened: "port;" each
    std::function<std::string()> answer;
    uint32_t echoDelayMs = 20, replyDelayMs = 50, chatterMs = 0, settingsError = 0, chatterEnd;
    bool openSucceeds = true, failWrites = false, throwOnBreak = false;
    int breaks = 0, flushes = 0;
    std::deque<std::pair<uint32_t, char>> incoming;   // in order of arrival

    bool Open(std::string port) override { opened += port + ";"; incoming.clear(); return openSucceeds; }
    bool Close() override { return true; }
    uint32_t Due() const {
        uint32_t due = 0;
        while (due < incoming.size() && static_cast<int32_t>(ticker.now - incoming[due].first) >= 0) ++due;
        return due;
    }
    uint32_t PeekRead() override { return Due() + (static_cast<int32_t>(ticker.now - chatterEnd) < 0); }
    bool Read(void* buffer, uint32_t& count) override {
        count = std::min(count, Due());
        for (uint32_t i = 0; i < count; ++i, incoming.pop_front()) static_cast<char*>(buffer)[i] = incoming.front().second;
        return count > 0;
    }
    bool ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs) override {
        if (Due() == 0) {   // until the next byte, if it comes within the wait
            const int32_t until = incoming.empty() ? INT32_MAX : static_cast<int32_t>(incoming.front().first - ticker.now);
            ticker.Sleep(until >= 0 && static_cast<uint32_t>(until) < waitMs ? static_cast<uint32_t>(until) : waitMs);
        }
        return Read(buffer, count);
    }
    bool Write(const void* buffer, uint32_t& count) override {
        if (failWrites) {
            fake_system_error::SetLastErrorCode(31);
            RecordFailure("FakeClockLine::Write()");
            return (count = 0) != 0;
        }
        const std::string bytes(static_cast<const char*>(buffer), count);
        written += bytes;
        for (char c : bytes) if (noEcho.find(c) == std::string::npos) Arrive(ticker.now + echoDelayMs, std::string(1, c));
        const auto endsWith = [this](const std::string& t) { return written.size() >= t.size() && !written.compare(written.size() - t.size(), t.size(), t); };
        if (endsWith("b0") || endsWith("0dg")) chatterEnd = ticker.now + echoDelayMs + chatterMs;
        if (endsWith("\r\nTU")) {   // byte by byte, as fast as 9600 baud carries them
            const std::string text = answer ? answer() : reply;
            for (uint32_t i = 0; i < text.size(); ++i)
                Arrive(ticker.now + echoDelayMs + replyDelayMs + ((i + 1) * 1042 + 999) / 1000, text.substr(i, 1));
        }
        return true;
    }
    void Arrive(uint32_t at, const std::string& bytes) {
        for (char c : bytes) {
            auto it = incoming.end();
            while (it != incoming.begin() && static_cast<int32_t>((it - 1)->first - at) > 0) --it;
            incoming.insert(it, {at, c});
        }
    }
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override { ++flushes; incoming.erase(incoming.begin(), incoming.begin() + Due()); }
    bool SetClockLine(uint32_t& error) override { return (error = settingsError) == 0; }
    void SendBreak() override {
        if (throwOnBreak) throw std::runtime_error("line fault");
        ++breaks;
        ticker.Sleep(200);
    }
};
