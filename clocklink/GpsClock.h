#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include "clocklink/Device.h"
#include "clocklink/Ticker.h"

// Command indexes of the Orvanel GPS clock.
enum : int32_t {
    CMD_XO = 0,
    CMD_XT = 1,
    CMD_XR = 2,
    CMD_XS = 3,
    CMD_XZ = 4,
    CMD_XX = 5,
    CMD_V = 6,
    CMD_TU = 7,
    CMD_TS = 8,
    CMD_B0 = 9,
    CMD_0DG = 10
};

// The clock's command set, sent one character at a time; the clock echoes
// every character and a command counts only when all of them came back.
class CGpsClock {
public:
    explicit CGpsClock(Ticker& ticker) : ticker_(ticker) {}

    std::string BuildCommand(int32_t commandIndex) const;
    bool SendWithEcho(CDevice& device, int32_t commandIndex);

    // Command 8's text for a given local time; empty without one.
    static std::string TimeSetCommand(const std::tm* localTime);

    static constexpr uint32_t ECHO_WINDOW_MS = 500;
    static constexpr uint32_t POLL_MS = 10;

private:
    Ticker& ticker_;
    const int32_t modelIndex_ = 1;
};
