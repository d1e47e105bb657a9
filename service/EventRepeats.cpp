#include "service/EventRepeats.h"

std::optional<std::string> EventRepeats::Pass(int id, const std::string& text) {
    const uint32_t now = ticker_.Now();
    const auto key = std::make_pair(id, text);
    const auto found = seen_.find(key);
    if (found != seen_.end() && !DeadlineReached(now, found->second.reportedAt + kHourMs)) {
        ++found->second.heldBack;
        return std::nullopt;
    }
    const uint32_t heldBack = found == seen_.end() ? 0 : found->second.heldBack;
    // Lines with their own times in them never repeat: forget what went quiet.
    for (auto it = seen_.begin(); it != seen_.end();)
        it = it->second.heldBack == 0 && DeadlineReached(now, it->second.reportedAt + kHourMs) ? seen_.erase(it) : ++it;
    if (seen_.size() >= kRemembered) seen_.clear();
    seen_[key] = {now, 0};
    if (heldBack == 0) return text;
    return text + " (" + std::to_string(heldBack) + (heldBack == 1 ? " more time" : " more times") +
           " since it was last reported)";
}
