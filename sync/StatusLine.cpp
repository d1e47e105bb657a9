#include "sync/StatusLine.h"

#include <ctime>

#include "clocklink/SystemError.h"
#include "res/TextPlaceholder.h"

namespace {

// The time set is shown as a time of day on the zero date of the original
// date type, 30 December 1899, formatted with the string as a strftime pattern.
std::string FormatTimeOfDay(const std::string& pattern, int hour, int minute, int second) {
    std::tm tm = {};
    tm.tm_year = -1;
    tm.tm_mon = 11;
    tm.tm_mday = 30;
    tm.tm_wday = 6;
    tm.tm_yday = 363;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = 0;
    char buffer[256];
    const size_t n = std::strftime(buffer, sizeof buffer, pattern.c_str(), &tm);
    return std::string(buffer, n);
}

std::string SignedMilliseconds(int64_t ms) {
    return (ms < 0 ? "-" : "+") + std::to_string(ms < 0 ? 0 - static_cast<uint64_t>(ms) : static_cast<uint64_t>(ms)) + " ms";
}

// "1 h 0 min 3 s", "4 min 10 s", "2 s": how far apart, to the second.
std::string Duration(int64_t ms) {
    const uint64_t s = ((ms < 0 ? 0 - static_cast<uint64_t>(ms) : static_cast<uint64_t>(ms)) + 500) / 1000;
    const std::string sec = std::to_string(s % 60) + " s";
    if (s < 60) return sec;
    const std::string min = std::to_string(s / 60 % 60) + " min " + sec;
    return s < 3600 ? min : std::to_string(s / 3600) + " h " + min;
}

}  // namespace

std::string StatusLineText(const SyncStatus& status, const StringLookup& lookup) {
    std::string text;
    if (status.id == IDS_TIME_SET) {
        if (!lookup(IDS_TIME_SET, text)) text = TEXT_TIME_SET;
        return FormatTimeOfDay(text, status.hour, status.minute, status.second);
    }
    if (!lookup(status.id, text)) {
        if (!lookup(IDS_UNKNOWN_STATUS, text)) text = TEXT_UNKNOWN_STATUS;
        text = ReplaceNumberPlaceholder(text, status.id);
    }
    // A set not taken carries the offset; the step asked was its opposite.
    if (status.id == IDS_LARGE_STEP) text = ReplaceTextPlaceholder(text, Duration(status.offsetMs));
    else if (status.id == IDS_SET_NOT_TAKEN) text = ReplaceTextPlaceholder(text, SignedMilliseconds(-status.offsetMs));
    else if (NamesMilliseconds(status.id)) text = ReplaceTextPlaceholder(text, SignedMilliseconds(status.offsetMs));
    if (status.error != 0) text += " : " + GetSystemErrorText(status.error);
    return text;
}
