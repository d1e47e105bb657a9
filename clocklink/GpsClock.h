#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>
#include "clocklink/ClockReply.h"
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

// The clock's wire protocol: its command set, sent one character at a time
// (the clock echoes every character and a command counts only when all of
// them came back), the drain of what it sends unasked, and its time reply.
// Waits poll `running` and end early once it turns false.
class CGpsClock {
public:
    using Running = std::function<bool()>;
    enum class Drained { Quiet, Stopped, NeverQuiet };
    enum class TimeRead { Ok, Short, Unparseable };

    explicit CGpsClock(Ticker& ticker) : ticker_(ticker) {}

    std::string BuildCommand(int32_t commandIndex) const;
    bool SendWithEcho(CDevice& device, int32_t commandIndex);
    // The counter (Ticker::CounterUs) as the last character went out.
    int64_t LastWriteUs() const { return lastWriteUs_; }

    // Throws away what the clock sends until the line falls quiet.
    Drained Drain(CDevice& device, const Running& running);
    // Reads the answer to "\r\nTU" as its pieces arrive and parses it: Short
    // when fewer than kReplyBytes came within deadlineMs (or a stop cut the
    // read short). `composedByUs` gets the counter by which the clock must
    // have composed its reply: the earliest of the pieces' arrivals, each
    // less the time its bytes of the time of day took on the line.
    TimeRead ReadTime(CDevice& device, const Running& running, ClockTimeOfDay& out,
                      uint32_t deadlineMs = kReplyDeadlineMs, int64_t* composedByUs = nullptr);

    // Command 8's text for a given local time; empty without one.
    static std::string TimeSetCommand(const std::tm* localTime);

    static constexpr uint32_t ECHO_WINDOW_MS = 500;
    static constexpr uint32_t kWaitPollMs = 100;        // drain rounds; the longest wait a stop waits for
    static constexpr uint32_t kReplyDeadlineMs = 1000;
    // A timed read waits for a clock that answers at the next second's start.
    static constexpr uint32_t kTimedReplyDeadlineMs = 1100;
    // At 9600 baud a byte takes 1041.7 us; a clock's baud may run 2 % fast.
    static constexpr int64_t kByteUs = 1020;
    static constexpr uint32_t kReplyBytes = 14;         // fewer than this: nothing worth parsing came
    static constexpr uint32_t kReplyBufferBytes = 64;   // room for stray bytes ahead of the reply
    static constexpr uint32_t kDrainLimitMs = 3000;     // a clock that will not fall quiet is not answering

private:
    // Each read that brought bytes: the counter as it returned, and how many
    // had come by then.
    struct Piece {
        int64_t atUs;
        size_t received;
    };
    std::string ReadReply(CDevice& device, const Running& running, uint32_t deadlineMs, std::vector<Piece>& pieces);

    Ticker& ticker_;
    const int32_t modelIndex_ = 1;
    int64_t lastWriteUs_ = 0;
};
