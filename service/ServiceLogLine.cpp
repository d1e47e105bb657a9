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

// Up to 12 digits at `at` (more than 30 years in milliseconds); the position after them, or npos.
size_t ReadNumber(const std::string& s, size_t at, int64_t& value) {
    size_t end = at;
    value = 0;
    while (end < s.size() && end - at < 13 && std::isdigit(static_cast<unsigned char>(s[end])))
        value = value * 10 + (s[end++] - '0');
    return end == at || end - at > 12 ? std::string::npos : end;
}

bool Follows(const std::string& s, size_t& at, const char* text) {
    const std::string t = text;
    if (at == std::string::npos || s.compare(at, t.size(), t) != 0) return false;
    at += t.size();
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

bool ParseOffsetSuffix(const std::string& text, int64_t& offsetMs, int64_t& withinMs) {
    size_t at = text.rfind(" offset ");
    if (at == std::string::npos) return false;
    at += 8;
    if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
    const bool negative = text[at++] == '-';
    int64_t offset = 0, within = -1;
    at = ReadNumber(text, at, offset);
    if (!Follows(text, at, " ms")) return false;
    if (at < text.size()) {
        if (!Follows(text, at, " (within ") || (at = ReadNumber(text, at, within)) == std::string::npos ||
            !Follows(text, at, " ms"))
            return false;
        Follows(text, at, ", estimate restarted");
        if (!Follows(text, at, ")") || at != text.size()) return false;
    }
    offsetMs = negative ? -offset : offset;
    withinMs = within;
    return true;
}
