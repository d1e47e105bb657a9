#include "sync/Period.h"

#include <cctype>
#include <climits>

int ParsePeriodSeconds(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    }
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
    return static_cast<int>(negative ? -value : value);
}

uint32_t PeriodMilliseconds(int seconds) {
    if (seconds <= 0) return 0;
    const unsigned long long ms = static_cast<unsigned long long>(seconds) * 1000ULL;
    return ms > kLongestTimerMs ? kLongestTimerMs : static_cast<uint32_t>(ms);
}

int64_t MaxStepMilliseconds(const std::string& text) {
    if (text.empty() || text.size() > 9) return kDefaultMaxStepMs;
    int64_t seconds = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return kDefaultMaxStepMs;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds * 1000;
}
