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
        lastWriteUs_ = ticker_.CounterUs();
        if (!device.Write(&expected, count)) return false;

        // Byte by byte, so that a reply after the last echo stays queued.
        char reply = 0;
        const uint32_t deadline = ticker_.Now() + ECHO_WINDOW_MS;
        while (reply != expected && !DeadlineReached(ticker_.Now(), deadline)) {
            count = 1;
            if (!device.ReadArriving(&reply, count, deadline - ticker_.Now())) reply = 0;
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
std::string CGpsClock::ReadReply(CDevice& device, const Running& running, uint32_t deadlineMs,
                                 std::vector<Piece>& pieces)
{
    const uint32_t deadline = ticker_.Now() + deadlineMs;
    std::string received;
    char buffer[kReplyBufferBytes];
    while (running() && received.size() < kReplyBufferBytes && !DeadlineReached(ticker_.Now(), deadline)) {
        const uint32_t left = deadline - ticker_.Now();
        uint32_t count = kReplyBufferBytes - static_cast<uint32_t>(received.size());
        if (!device.ReadArriving(buffer, count, left < kWaitPollMs ? left : kWaitPollMs)) count = 0;
        if (count == 0) continue;
        received.append(buffer, count);
        pieces.push_back({ticker_.CounterUs(), received.size()});
        if (received.size() >= kReplyBytes && ClockReplyEnded(received)) break;
    }
    return received;
}

CGpsClock::TimeRead CGpsClock::ReadTime(CDevice& device, const Running& running, ClockTimeOfDay& out,
                                        uint32_t deadlineMs, int64_t* composedByUs)
{
    std::vector<Piece> pieces;
    const std::string reply = ReadReply(device, running, deadlineMs, pieces);
    if (reply.size() < kReplyBytes) return TimeRead::Short;
    size_t timeAt = 0;
    if (ParseClockReply(reply, out, &timeAt) != ReplyParse::Ok) return TimeRead::Unparseable;
    if (composedByUs) {
        // Bytes after the line feed need not be the clock's.
        const size_t end = reply.find('\n', timeAt) + 1;
        *composedByUs = INT64_MAX;
        for (const Piece& piece : pieces) {
            if (piece.received <= timeAt) continue;
            const int64_t sent = static_cast<int64_t>(std::min(piece.received, end) - timeAt);
            *composedByUs = std::min(*composedByUs, piece.atUs - sent * kByteUs);
        }
    }
    return TimeRead::Ok;
}
