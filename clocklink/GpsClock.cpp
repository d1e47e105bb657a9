#include "clocklink/GpsClock.h"

#include <algorithm>

namespace {

const char* const MODELS[] = {"7392", "7394", "7398", "7401", "7402", "7402"};

} // namespace

std::string CGpsClock::TimeSetCommand(const std::tm* localTime)
{
    if (localTime == nullptr) return std::string();
    char text[64];
    const size_t length = std::strftime(text, sizeof(text), "%Y:%m:%d:%H:%MTS", localTime);
    return std::string(text, length);
}

std::string CGpsClock::BuildCommand(int32_t commandIndex) const
{
    const std::string model = MODELS[modelIndex_];
    switch (commandIndex) {
    case CMD_XO: return "1," + model + "XO";
    case CMD_XT: return "1," + model + "XT";
    case CMD_XR: return "1," + model + "XR";
    case CMD_XS: return "1," + model + "XS";
    case CMD_XZ: return "0,0," + model + "XZ";
    case CMD_XX: return "1," + model + "XX";
    case CMD_V: return "v";
    case CMD_TU: return "\r\nTU";
    case CMD_TS: {
        const std::time_t now = std::time(nullptr);
        if (now == static_cast<std::time_t>(-1)) return std::string();
        return TimeSetCommand(std::localtime(&now));
    }
    case CMD_B0: return "b0";
    case CMD_0DG: return "0dg";
    default: return std::string();
    }
}

bool CGpsClock::SendWithEcho(CDevice& device, int32_t commandIndex)
{
    const std::string text = BuildCommand(commandIndex);
    for (const char expected : text) {
        uint32_t count = 1;
        lastWriteTick_ = ticker_.Now();
        if (!device.Write(&expected, count)) return false;

        char reply = 0;
        const uint32_t deadline = ticker_.Now() + ECHO_WINDOW_MS;
        for (;;) {
            count = 1;
            device.Read(&reply, count);
            ticker_.Sleep(POLL_MS);
            if (reply == expected || DeadlineReached(ticker_.Now(), deadline)) break;
        }
        if (reply != expected) return false;
    }
    return true;
}

CGpsClock::Drained CGpsClock::Drain(CDevice& device, const Running& running)
{
    const uint32_t deadline = ticker_.Now() + kDrainLimitMs;
    for (;;) {
        if (!running()) return Drained::Stopped;
        if (device.PeekRead() == 0) return Drained::Quiet;
        if (DeadlineReached(ticker_.Now(), deadline)) return Drained::NeverQuiet;
        ticker_.Sleep(kWaitPollMs);
        device.Flush();
    }
}

// Reads until the reply's line has ended, the buffer is full, the deadline
// passes or a stop comes. Stray bytes ahead of the reply can push its end
// past kReplyBytes, so that many alone do not end the read.
std::string CGpsClock::ReadReply(CDevice& device, const Running& running, uint32_t pollMs, uint32_t deadlineMs,
                                 std::vector<Piece>& pieces)
{
    const uint32_t deadline = ticker_.Now() + deadlineMs;
    std::string received;
    char buffer[kReplyBufferBytes];
    do {
        uint32_t count = kReplyBufferBytes - static_cast<uint32_t>(received.size());
        if (!device.Read(buffer, count)) count = 0;
        if (count > 0) {
            received.append(buffer, count);
            pieces.push_back({ticker_.Now(), received.size()});
        }
        if (received.size() >= kReplyBytes && ClockReplyEnded(received)) break;
        ticker_.Sleep(pollMs);
    } while (running() && received.size() < kReplyBufferBytes && !DeadlineReached(ticker_.Now(), deadline));
    return received;
}

CGpsClock::TimeRead CGpsClock::ReadTime(CDevice& device, const Running& running, ClockTimeOfDay& out,
                                        uint32_t pollMs, uint32_t deadlineMs, uint32_t* composedBy)
{
    std::vector<Piece> pieces;
    const std::string reply = ReadReply(device, running, pollMs, deadlineMs, pieces);
    if (reply.size() < kReplyBytes) return TimeRead::Short;
    size_t timeAt = 0;
    if (ParseClockReply(reply, out, &timeAt) != ReplyParse::Ok) return TimeRead::Unparseable;
    if (composedBy) {
        // Bytes after the line feed need not be the clock's.
        const size_t end = reply.find('\n', timeAt) + 1;
        bool found = false;
        for (const Piece& piece : pieces) {
            if (piece.received <= timeAt) continue;
            const size_t sent = std::min(piece.received, end) - timeAt;
            const uint32_t by = piece.tick - static_cast<uint32_t>(sent) * kByteMs;
            if (!found || static_cast<int32_t>(by - *composedBy) < 0) *composedBy = by;
            found = true;
        }
    }
    return TimeRead::Ok;
}
