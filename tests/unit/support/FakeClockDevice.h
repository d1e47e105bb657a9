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
// trigger makes the clock send that answer answerDelayMs later. Failures take
// their code from failureCode, as the real device takes GetLastError.
class FakeClockDevice : public CDevice {
public:
    explicit FakeClockDevice(Ticker& ticker) : ticker_(ticker) {}

    // The clock's behaviour; change freely between calls.
    uint32_t echoDelayMs = 0;
    std::function<std::string(char)> echoOf = [](char c) { return std::string(1, c); };
    std::vector<std::pair<std::string, std::string>> answers;   // trigger, answer
    uint32_t answerDelayMs = 0;
    int failWritesFrom = -1;        // index of the first Write call that fails
    bool unplugged = false;         // Open, Write and PeekRead fail
    uint32_t failureCode = 31;      // ERROR_GEN_FAILURE

    // What the clock saw.
    std::string written;
    std::vector<uint32_t> writeTimes;
    int writeCalls = 0;
    int readCalls = 0;
    int flushes = 0;
    int opens = 0;
    bool isOpen = false;
    std::string portName;

    // Bytes that arrive at virtual time `at`.
    void Deliver(const std::string& bytes, uint32_t at);

    bool Open(std::string name) override;
    bool Close() override;
    bool Read(void* buffer, uint32_t& count) override;
    uint32_t PeekRead() override;
    bool Write(const void* buffer, uint32_t& count) override;
    uint32_t GetCharsPerMs() override { return 0; }
    void Flush() override;

private:
    void Fail(const std::string& context);

    struct Arrival {
        uint32_t at;
        char byte;
    };
    Ticker& ticker_;
    std::deque<Arrival> incoming_;  // ordered by arrival time
};
