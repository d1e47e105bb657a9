#pragma once
// A serial line with a scripted Orvanel clock on the far end, on virtual time.
#include <cstdint>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sync/WorkerSeams.h"
#include "tests/unit/support/VirtualTicker.h"

class FakeClockLine : public ClockPort, public CDevice {
public:
    explicit FakeClockLine(VirtualTicker& ticker) : ticker_(ticker) {}

    // The clock's behaviour.
    uint32_t echoDelayMs = 20;
    bool echoTimeCommand = true;          // false: never echoes the "TU" command
    std::string reply = "123:12:34:56\r\n";
    uint32_t replyDelayMs = 50;
    uint32_t chatterMs = 0;               // keeps the line busy after "b0" and "0dg"
    // The port's behaviour.
    bool openSucceeds = true;
    bool settingsSucceed = true;
    uint32_t settingsError = 87;
    bool throwOnBreak = false;

    // What happened.
    std::string sent;
    std::vector<std::string> openedPorts;
    int breaks = 0;
    int flushes = 0;

    // ClockPort
    CDevice& Device() override { return *this; }
    bool Open(const std::string& portName) override {
        openedPorts.push_back(portName);
        incoming_.clear();
        return openSucceeds;
    }
    bool ApplyClockLineSettings(uint32_t& error) override {
        if (settingsSucceed) return true;
        error = settingsError;
        return false;
    }
    void SendBreak() override {
        if (throwOnBreak) throw std::runtime_error("line fault");
        ++breaks;
        ticker_.Sleep(200);
    }

    // CDevice
    bool Open(std::string) override { return true; }
    bool Close() override { return true; }
    uint32_t GetCharsPerMs() override { return 0; }
    uint32_t PeekRead() override {
        uint32_t n = 0;
        for (const auto& b : incoming_)
            if (Due(b)) ++n;
        if (static_cast<int32_t>(ticker_.Now() - chatterEnd_) < 0) ++n;   // a byte always arriving
        return n;
    }
    bool Read(void* buffer, uint32_t& count) override {
        uint32_t n = 0;
        auto* out = static_cast<char*>(buffer);
        while (n < count && !incoming_.empty() && Due(incoming_.front())) {
            out[n++] = incoming_.front().value;
            incoming_.pop_front();
        }
        count = n;
        return n > 0;
    }
    bool Write(const void* buffer, uint32_t& count) override {
        const auto* in = static_cast<const char*>(buffer);
        for (uint32_t i = 0; i < count; ++i) Receive(in[i]);
        return true;
    }
    void Flush() override {
        ++flushes;
        while (!incoming_.empty() && Due(incoming_.front())) incoming_.pop_front();
    }

private:
    struct Byte {
        uint32_t at;
        char value;
    };
    bool Due(const Byte& b) const { return static_cast<int32_t>(ticker_.Now() - b.at) >= 0; }

    void Send(uint32_t at, char value) {
        // keep arrival order
        auto it = incoming_.end();
        while (it != incoming_.begin() && static_cast<int32_t>((it - 1)->at - at) > 0) --it;
        incoming_.insert(it, Byte{at, value});
    }

    void Receive(char c) {
        sent += c;
        pending_ += c;
        const uint32_t echoAt = ticker_.Now() + echoDelayMs;
        const bool timeCommandByte = (c == 'T' || c == 'U') && pending_.find("\r\n") != std::string::npos;
        if (echoTimeCommand || !timeCommandByte) Send(echoAt, c);
        if (EndsWith("b0") || EndsWith("0dg")) {
            chatterEnd_ = echoAt + chatterMs;
            pending_.clear();
        } else if (EndsWith("\r\nTU")) {
            for (size_t i = 0; i < reply.size(); ++i) Send(echoAt + replyDelayMs, reply[i]);
            pending_.clear();
        }
    }
    bool EndsWith(const char* s) const {
        const std::string t(s);
        return pending_.size() >= t.size() && pending_.compare(pending_.size() - t.size(), t.size(), t) == 0;
    }

    VirtualTicker& ticker_;
    std::deque<Byte> incoming_;
    std::string pending_;
    uint32_t chatterEnd_ = 0;
};
