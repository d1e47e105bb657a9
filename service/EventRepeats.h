#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "clocklink/Ticker.h"

// Keeps a failure that repeats every period from filling the event log: an
// entry identical to one reported less than an hour ago is held back, and
// the next report of it, an hour or more later, says how often it was.
class EventRepeats {
public:
    static constexpr uint32_t kHourMs = 3600 * 1000;
    // Different entries remembered at most; beyond, the oldest are forgotten.
    static constexpr size_t kRemembered = 32;

    explicit EventRepeats(Ticker& ticker) : ticker_(ticker) {}

    // The text to report now, or none while it is held back.
    std::optional<std::string> Pass(int id, const std::string& text);

private:
    struct Seen {
        uint32_t reportedAt;
        uint32_t heldBack;
    };
    Ticker& ticker_;
    std::map<std::pair<int, std::string>, Seen> seen_;
};
