#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include "clocklink/Device.h"
#include "clocklink/Ticker.h"

// A device wired to a scripted GPS clock on virtual time: each written byte
// comes back after echoDelayMs, and a written text ending in an answer's
// trigger makes the clock send that answer with the echo. A failing write
// records error 31 (ERROR_GEN_FAILURE), as the real device takes GetLastError.
class FakeClockDevice : public CDevice {
public:
    explicit FakeClockDevice(Ticker& ticker) : ticker_(ticker) {}

    // The clock's behaviour; change freely between calls.
    uint32_t echoDelayMs = 0;
    std::function<std::string(char)> echoOf = [](char c) { return std::string(1, c); };
    std::vector<std::pair<std::string, std::string>> answers;   // trigger, answer
    int failWritesFrom = -1;        // index of the first Write call that fails

    // What the clock saw.
    std::string written;
    std::vector<uint32_t> writeTimes;
    int writeCalls = 0;
    int readCalls = 0;

    bool Open(std::string) override { return true; }
    bool Close() override { return true; }
    bool Read(void* buffer, uint32_t& count) override;
    uint32_t PeekRead() override;
    bool Write(const void* buffer, uint32_t& count) override;
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override {}

protected:
    struct Arrival {
        uint32_t at;
        char byte;
    };
    void Arrive(uint32_t at, char byte);   // keeps the queue in order of arrival
    Ticker& ticker_;
    std::deque<Arrival> incoming_;
};
