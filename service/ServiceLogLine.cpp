#include "service/ServiceLogLine.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsStamp(const std::string& s, const char* pattern) {
    const std::string p = pattern;
    if (s.size() != p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(s[i])) != 0;
        if (p[i] == '9' ? !digit : s[i] != p[i]) return false;
    }
    return true;
}

}  // namespace

std::string FormatServiceLogLine(const ServiceLogEntry& entry) {
    std::string text = entry.text;
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
               text.end());
    return entry.date + " " + entry.time + " [" + std::to_string(entry.id) + "] " + text + "\r\n";
}

bool ParseServiceLogLine(const std::string& line, ServiceLogEntry& entry) {
    if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) return false;
    const std::string body = line.substr(0, line.size() - 2);
    if (body.size() < 23 || body[10] != ' ' || body[19] != ' ' || body[20] != '[') return false;
    const std::string date = body.substr(0, 10), time = body.substr(11, 8);
    if (!IsStamp(date, "9999-99-99") || !IsStamp(time, "99:99:99")) return false;

    const size_t close = body.find("] ", 21);
    if (close == std::string::npos || close == 21 || close > 26) return false;
    const std::string digits = body.substr(21, close - 21);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;

    entry.date = date;
    entry.time = time;
    entry.id = std::stoi(digits);
    entry.text = body.substr(close + 2);
    return true;
}

std::string OffsetSuffix(int64_t offsetMs, int64_t withinMs, bool restarted) {
    // Negated unsigned: the smallest offset has no positive counterpart.
    const uint64_t magnitude = offsetMs < 0 ? 0 - static_cast<uint64_t>(offsetMs) : static_cast<uint64_t>(offsetMs);
    return std::string(" offset ") + (offsetMs < 0 ? "-" : "+") + std::to_string(magnitude) + " ms" +
           (withinMs < 0 ? "" : " (within " + std::to_string(withinMs) + " ms" +
                                   (restarted ? ", estimate restarted)" : ")"));
}
