#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include "clocklink/Device.h"
#include "clocklink/Ticker.h"

// Virtual milliseconds: Sleep moves time on at once.
class VirtualTicker : public Ticker {
public:
    uint32_t now = 0;
    std::function<void()> onSleep;
    uint32_t Now() override { return now; }
    void Sleep(uint32_t ms) override {
        now += ms;
        if (onSleep) onSleep();
    }
};

// A serial line to a scripted Orvanel clock on virtual time: every byte comes
// back after echoDelayMs (but those in noEcho), "\r\nTU" is answered with
// `reply` replyDelayMs after its echo, and after "b0" or "0dg" a byte keeps
// arriving for chatterMs. A failing write records error 31, as a real one
// records GetLastError.
class FakeClockLine : public CDevice {
public:
    explicit FakeClockLine(VirtualTicker& ticker) : ticker_(ticker), chatterEnd_(ticker.now) {}

    std::string reply = "123:12:34:56\r\n";
    std::string noEcho;
    uint32_t echoDelayMs = 20, replyDelayMs = 50, chatterMs = 0;
    bool openSucceeds = true, failWrites = false, throwOnBreak = false;
    uint32_t settingsError = 0;   // non-zero: SetClockLine fails with it

    std::string opened, written;  // ports opened, separated by ';'
    uint32_t lastWriteAt = 0;
    int breaks = 0, flushes = 0;

    bool Open(std::string port) override;
    bool Close() override { return true; }
    bool Read(void* buffer, uint32_t& count) override;
    uint32_t PeekRead() override;
    bool Write(const void* buffer, uint32_t& count) override;
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override;
    bool SetClockLine(uint32_t& error) override;
    void SendBreak() override;

    void Arrive(uint32_t at, const std::string& bytes);

private:
    uint32_t Due() const;
    VirtualTicker& ticker_;
    std::deque<std::pair<uint32_t, char>> incoming_;   // in order of arrival
    uint32_t chatterEnd_;
};
